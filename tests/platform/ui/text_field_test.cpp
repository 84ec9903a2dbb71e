// Text input: the order of a text field's delegate calls and control events through begin, typing,
// return, clear and end; delegates answering no; UTF-16 ranges; taps that begin editing or clear;
// a forced end; secure entry drawn as bullets; and the text view's delegate.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "controls_test_support.h"
#include "platform/ui/text_field.h"
#include "platform/ui/text_view.h"

namespace ui {
namespace {

using namespace controls_test;
using Calls = std::vector<std::string>;

class RecordingDelegate : public TextFieldDelegate {
public:
    explicit RecordingDelegate(Calls& log) : log_(log) {}
    std::optional<bool> textFieldShouldBeginEditing(TextField&) override { return note("shouldBegin", begin); }
    void textFieldDidBeginEditing(TextField&) override { log_.push_back("didBegin"); }
    std::optional<bool> textFieldShouldEndEditing(TextField&) override { return note("shouldEnd", end); }
    void textFieldDidEndEditing(TextField&) override { log_.push_back("didEnd"); }
    std::optional<bool> textFieldShouldChangeCharactersInRange(TextField&, fnd::Range r,
                                                               const std::string& s) override {
        log_.push_back("shouldChange(" + std::to_string(r.location) + "," + std::to_string(r.length) + ",'" + s + "')");
        return change && s != "!" ? change : std::optional<bool>(false);
    }
    std::optional<bool> textFieldShouldClear(TextField&) override { return note("shouldClear", clear); }
    std::optional<bool> textFieldShouldReturn(TextField&) override { return note("shouldReturn", ret); }

    std::optional<bool> begin = true, end = true, change = true, clear = true, ret = false;

private:
    std::optional<bool> note(const char* name, std::optional<bool> answer) {
        log_.push_back(name);
        return answer;
    }
    Calls& log_;
};

class TextFieldTest : public ControlsTest {
protected:
    void SetUp() override {
        ControlsTest::SetUp();
        field_ = View::create<TextField>(gfx::Rect(10, 10, 200, 31));
        field_->setBorderStyle(TextBorderStyle::RoundedRect);
        window_->addSubview(field_);
        delegate_ = std::make_shared<RecordingDelegate>(log_);
        field_->setDelegate(delegate_);
        recordEvents(*field_, log_);
    }
    std::shared_ptr<TextField> field_;
    Calls log_;
    std::shared_ptr<RecordingDelegate> delegate_;
};

TEST_F(TextFieldTest, DelegateAndEventOrderThroughAnEditingSession) {
    EXPECT_TRUE(field_->becomeFirstResponder());
    EXPECT_TRUE(field_->isEditing());
    field_->insertText("hé");
    field_->insertText("!"); // refused by the delegate
    field_->deleteBackward();
    field_->returnKeyPressed(); // answered no: no EditingDidEndOnExit
    delegate_->ret = std::nullopt;
    field_->returnKeyPressed();              // not answered: the default goes ahead
    EXPECT_TRUE(field_->isFirstResponder()); // return never resigns by itself
    field_->clearButtonTapped();
    EXPECT_TRUE(field_->resignFirstResponder());
    EXPECT_EQ(log_,
              (Calls{"shouldBegin", "didBegin", "EditingDidBegin", "shouldChange(0,0,'hé')", "EditingChanged",
                     "shouldChange(2,0,'!')", "shouldChange(1,1,'')", "EditingChanged", "shouldReturn", "shouldReturn",
                     "EditingDidEndOnExit", "shouldClear", "EditingChanged", "shouldEnd", "didEnd", "EditingDidEnd"}));
    EXPECT_EQ(field_->text(), "");
    EXPECT_FALSE(field_->isEditing());
}

TEST_F(TextFieldTest, ADelegateAnsweringNoKeepsTheFieldAsItIs) {
    delegate_->begin = false;
    EXPECT_FALSE(field_->becomeFirstResponder());
    EXPECT_FALSE(field_->isFirstResponder());
    EXPECT_EQ(log_, (Calls{"shouldBegin"}));

    delegate_->begin = true;
    ASSERT_TRUE(field_->becomeFirstResponder());
    field_->setText("keep");
    delegate_->change = false;
    delegate_->clear = false;
    delegate_->end = false;
    log_.clear();
    field_->insertText("x");
    field_->deleteBackward();
    field_->clearButtonTapped();
    EXPECT_FALSE(field_->resignFirstResponder());
    EXPECT_EQ(field_->text(), "keep");
    EXPECT_TRUE(field_->isFirstResponder());
    EXPECT_EQ(log_, (Calls{"shouldChange(4,0,'x')", "shouldChange(3,1,'')", "shouldClear", "shouldEnd"}));

    // Another field taking over must get past this one's refusal first.
    auto other = View::create<TextField>(gfx::Rect(10, 60, 200, 31));
    window_->addSubview(other);
    EXPECT_FALSE(other->becomeFirstResponder());
    EXPECT_TRUE(field_->isFirstResponder());

    // A forced end of editing skips the question.
    log_.clear();
    EXPECT_TRUE(window_->endEditing(Force::Yes));
    EXPECT_FALSE(field_->isFirstResponder());
    EXPECT_EQ(log_, (Calls{"didEnd", "EditingDidEnd"}));
}

TEST_F(TextFieldTest, RangesCountUtf16AndSwitchingFieldsResignsTheFirst) {
    ASSERT_TRUE(field_->becomeFirstResponder());
    field_->insertText("a\U0001F600"); // a surrogate pair
    log_.clear();
    field_->deleteBackward();
    EXPECT_EQ(log_, (Calls{"shouldChange(1,2,'')", "EditingChanged"}));
    EXPECT_EQ(field_->text(), "a");

    auto other = View::create<TextField>(gfx::Rect(10, 60, 200, 31));
    window_->addSubview(other);
    log_.clear();
    EXPECT_TRUE(other->becomeFirstResponder());
    EXPECT_EQ(log_, (Calls{"shouldEnd", "didEnd", "EditingDidEnd"}));
    EXPECT_TRUE(other->isEditing());
    EXPECT_FALSE(field_->isEditing());
}

TEST_F(TextFieldTest, TapsBeginEditingAndHitTheClearButton) {
    field_->setClearButtonMode(TextFieldViewMode::WhileEditing);
    field_->setText("text");
    EXPECT_FALSE(field_->isClearButtonVisible());
    TouchDriver::tap(window_, {60, 25});
    EXPECT_TRUE(field_->isEditing());
    ASSERT_TRUE(field_->isClearButtonVisible());

    log_.clear();
    const gfx::Rect clear = field_->convertRectToView(field_->clearButtonRect(), nullptr);
    TouchDriver::tap(window_, {clear.midX(), clear.midY()});
    EXPECT_EQ(log_, (Calls{"TouchDown", "shouldClear", "EditingChanged", "UpInside"}));
    EXPECT_EQ(field_->text(), "");
    EXPECT_FALSE(field_->isClearButtonVisible());
}

TEST_F(TextFieldTest, TraitsKeepTheirValuesAndSecureEntryDrawsBullets) {
    field_->setReturnKeyType(ReturnKeyType::Send);
    field_->setKeyboardType(KeyboardType::URL);
    field_->setKeyboardAppearance(KeyboardAppearance::Alert);
    EXPECT_EQ(static_cast<int>(field_->returnKeyType()), 7);
    EXPECT_EQ(static_cast<int>(field_->keyboardType()), 3);
    EXPECT_EQ(static_cast<int>(field_->keyboardAppearance()), 1);
    EXPECT_EQ(field_->autocorrectionType(), AutocorrectionType::Default);

    field_->setFont(gfx::Font::systemFontOfSize(18));
    field_->setText("WWWW");
    const Ink plain = inkWhere(*field_->screenshot(), gfx::Rect(0, 0, 200, 31), isDark);
    field_->setSecureTextEntry(true);
    const Ink secure = inkWhere(*field_->screenshot(), gfx::Rect(0, 0, 200, 31), isDark);
    ASSERT_TRUE(plain.any());
    ASSERT_TRUE(secure.any());
    EXPECT_LT(secure.pixels, plain.pixels / 2); // four small dots instead of four W
    EXPECT_LT(secure.maxY - secure.minY, plain.maxY - plain.minY);

    field_->setText("");
    field_->setPlaceholder("Name");
    const Ink placeholder = inkWhere(*field_->screenshot(), gfx::Rect(0, 0, 200, 31),
                                     [](gfx::Rgba8 p) { return p.a > 200 && p.r < 230 && p.r > 120 && p.r == p.g; });
    EXPECT_TRUE(placeholder.any());
}

class RecordingTextViewDelegate : public TextViewDelegate {
public:
    std::optional<bool> textViewShouldBeginEditing(TextView&) override {
        calls.push_back("shouldBegin");
        return allowBegin;
    }
    void textViewDidBeginEditing(TextView&) override { calls.push_back("didBegin"); }
    void textViewDidChange(TextView& v) override { calls.push_back("didChange:" + v.text()); }
    void textViewDidEndEditing(TextView&) override { calls.push_back("didEnd"); }
    Calls calls;
    bool allowBegin = false;
};

TEST_F(TextFieldTest, TextViewDelegateMayRefuseEditingAndHearsChanges) {
    auto view = View::create<TextView>(gfx::Rect(0, 100, 200, 100));
    window_->addSubview(view);
    auto delegate = std::make_shared<RecordingTextViewDelegate>();
    view->setDelegate(delegate);
    TouchDriver::tap(window_, {50, 150});
    EXPECT_FALSE(view->isEditing());
    delegate->allowBegin = true;
    TouchDriver::tap(window_, {50, 150});
    EXPECT_TRUE(view->isEditing());
    view->insertText("ab");
    view->deleteBackward();
    view->setText("quiet");
    EXPECT_TRUE(view->resignFirstResponder());
    EXPECT_EQ(delegate->calls,
              (Calls{"shouldBegin", "shouldBegin", "didBegin", "didChange:ab", "didChange:a", "didEnd"}));

    view->setEditable(false);
    EXPECT_FALSE(view->becomeFirstResponder());
    view->setText("line one\nline two");
    EXPECT_TRUE(inkWhere(*view->screenshot(), gfx::Rect(0, 0, 200, 100), isDark).any());
}

} // namespace
} // namespace ui
