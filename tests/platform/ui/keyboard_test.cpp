// The keyboard: show and hide notifications with bounds, centres and duration as text inputs begin
// and end editing (none while focus moves between inputs), a view moved by an observer, landscape
// frames, and the keyboard driver's keys.
#include <memory>
#include <string>
#include <vector>

#include "controls_test_support.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/ui/animation_log.h"
#include "platform/ui/application.h"
#include "platform/ui/keyboard.h"
#include "platform/ui/testing/keyboard.h"
#include "platform/ui/text_field.h"
#include "platform/ui/text_view.h"

namespace ui {
namespace {

using namespace controls_test;
using ui::testing::Keyboard;

struct Posted {
    std::string name;
    gfx::Rect bounds;
    gfx::Point begin;
    gfx::Point end;
    double duration = 0;
};

class KeyboardTest : public ControlsTest {
protected:
    void SetUp() override {
        ControlsTest::SetUp();
        for (const auto name : {kKeyboardWillShowNotification, kKeyboardDidShowNotification,
                                kKeyboardWillHideNotification, kKeyboardDidHideNotification}) {
            tokens_.push_back(fnd::NotificationCenter::defaultCenter().addObserver(
                std::string(name), fnd::Value(), [this](const fnd::Notification& n) {
                    const auto info = n.userInfo.asDictionary();
                    ASSERT_TRUE(info);
                    Posted p;
                    p.name = n.name;
                    p.bounds = KeyboardController::rectFromValue(info->objectForKey(kKeyboardBoundsUserInfoKey))
                                   .value_or(gfx::Rect());
                    p.begin = KeyboardController::pointFromValue(info->objectForKey(kKeyboardCenterBeginUserInfoKey))
                                  .value_or(gfx::Point{});
                    p.end = KeyboardController::pointFromValue(info->objectForKey(kKeyboardCenterEndUserInfoKey))
                                .value_or(gfx::Point{});
                    p.duration = info->objectForKey(kKeyboardAnimationDurationUserInfoKey).doubleValue();
                    posted_.push_back(p);
                }));
        }
    }
    void TearDown() override {
        // Let the last slide finish, so no did-notification is left pending for the next test.
        window_->endEditing(Force::Yes);
        advance(1);
        Application::shared().setStatusBarOrientation(InterfaceOrientation::Portrait);
        ControlsTest::TearDown();
        tokens_.clear();
    }
    std::vector<std::string> names() {
        std::vector<std::string> out;
        for (const auto& p : posted_) {
            out.push_back(p.name);
        }
        posted_.clear();
        return out;
    }
    static void advance(double seconds) { fnd::RunLoop::main().advance(seconds); }

    std::vector<fnd::ObserverToken> tokens_;
    std::vector<Posted> posted_;
};

using Names = std::vector<std::string>;
const std::string kWillShow(kKeyboardWillShowNotification);
const std::string kDidShow(kKeyboardDidShowNotification);
const std::string kWillHide(kKeyboardWillHideNotification);
const std::string kDidHide(kKeyboardDidHideNotification);

TEST_F(KeyboardTest, NotificationsCarryFramesAndFollowEditing) {
    auto name = View::create<TextField>(gfx::Rect(10, 60, 300, 30));
    auto password = View::create<TextField>(gfx::Rect(10, 100, 300, 30));
    auto notes = View::create<TextView>(gfx::Rect(10, 140, 300, 100));
    window_->addSubview(name);
    window_->addSubview(password);
    window_->addSubview(notes);
    EXPECT_FALSE(KeyboardController::shared().isVisible());
    EXPECT_EQ(KeyboardController::shared().frame(), gfx::Rect(0, 264, 320, 216));

    ASSERT_TRUE(name->becomeFirstResponder());
    EXPECT_TRUE(KeyboardController::shared().isVisible());
    ASSERT_EQ(posted_.size(), 1u);
    EXPECT_EQ(posted_[0].name, kWillShow);
    EXPECT_EQ(posted_[0].bounds, gfx::Rect(0, 0, 320, 216));
    EXPECT_EQ(posted_[0].begin, (gfx::Point{160, 588}));
    EXPECT_EQ(posted_[0].end, (gfx::Point{160, 372}));
    EXPECT_DOUBLE_EQ(posted_[0].duration, 0.3);
    posted_.clear();
    advance(0.29);
    EXPECT_TRUE(posted_.empty());
    advance(0.01);
    ASSERT_EQ(posted_.size(), 1u);
    EXPECT_EQ(posted_[0].name, kDidShow);
    EXPECT_EQ(posted_[0].end, (gfx::Point{160, 372}));
    posted_.clear();

    // Focus moving between inputs keeps the keyboard up without a word.
    ASSERT_TRUE(password->becomeFirstResponder());
    ASSERT_TRUE(notes->becomeFirstResponder());
    advance(1);
    EXPECT_TRUE(posted_.empty());
    EXPECT_TRUE(KeyboardController::shared().isVisible());

    // Ending editing hides it, sliding the other way.
    ASSERT_TRUE(notes->resignFirstResponder());
    EXPECT_FALSE(KeyboardController::shared().isVisible());
    ASSERT_EQ(posted_.size(), 1u);
    EXPECT_EQ(posted_[0].name, kWillHide);
    EXPECT_EQ(posted_[0].begin, (gfx::Point{160, 372}));
    EXPECT_EQ(posted_[0].end, (gfx::Point{160, 588}));
    posted_.clear();
    advance(0.3);
    EXPECT_EQ(names(), (Names{kDidHide}));

    // A refused begin shows nothing; a hide before did-show arrives completes the show first.
    name->setEnabled(false);
    EXPECT_FALSE(name->becomeFirstResponder());
    EXPECT_TRUE(posted_.empty());
    ASSERT_TRUE(password->becomeFirstResponder());
    window_->endEditing(Force::Yes);
    EXPECT_EQ(names(), (Names{kWillShow, kDidShow, kWillHide}));
    advance(0.3);
    EXPECT_EQ(names(), (Names{kDidHide}));
}

TEST_F(KeyboardTest, ObserverMovesTheInputBarWithTheKeyboard) {
    // A chat's input bar at the bottom moves up by the keyboard's height, over its duration.
    auto bar = View::create(gfx::Rect(0, 436, 320, 44));
    auto field = View::create<TextField>(gfx::Rect(5, 7, 250, 30));
    bar->addSubview(field);
    window_->addSubview(bar);
    auto moveBar = [bar](const fnd::Notification& n, bool up) {
        const auto info = n.userInfo.asDictionary();
        const auto bounds = KeyboardController::rectFromValue(info->objectForKey(kKeyboardBoundsUserInfoKey));
        View::beginAnimations("keyboard");
        View::setAnimationDuration(info->objectForKey(kKeyboardAnimationDurationUserInfoKey).doubleValue());
        bar->setCenter({bar->center().x, bar->center().y + (up ? -1 : 1) * bounds->height()});
        View::commitAnimations();
    };
    auto& center = fnd::NotificationCenter::defaultCenter();
    auto showToken = center.addObserver(std::string(kKeyboardWillShowNotification), fnd::Value(),
                                        [&](const fnd::Notification& n) { moveBar(n, true); });
    auto hideToken = center.addObserver(std::string(kKeyboardWillHideNotification), fnd::Value(),
                                        [&](const fnd::Notification& n) { moveBar(n, false); });

    AnimationLog::clear();
    TouchDriver::tap(window_, {100, 458}); // a tap in the field begins editing
    EXPECT_TRUE(field->isFirstResponder());
    EXPECT_EQ(bar->frame(), gfx::Rect(0, 220, 320, 44));
    // The bar's bottom meets the keyboard's top.
    EXPECT_EQ(bar->frame().maxY(), KeyboardController::shared().frame().minY());
    const auto entries = AnimationLog::entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "keyboard");
    EXPECT_DOUBLE_EQ(entries[0].duration, 0.3);

    ASSERT_TRUE(field->resignFirstResponder());
    EXPECT_EQ(bar->frame(), gfx::Rect(0, 436, 320, 44));
}

TEST_F(KeyboardTest, LandscapeKeyboardIsShorterAndWider) {
    Application::shared().setStatusBarOrientation(InterfaceOrientation::LandscapeRight);
    EXPECT_EQ(KeyboardController::shared().frame(), gfx::Rect(0, 158, 480, 162));
    auto field = View::create<TextField>(gfx::Rect(10, 10, 200, 30));
    window_->addSubview(field);
    ASSERT_TRUE(field->becomeFirstResponder());
    ASSERT_EQ(posted_.size(), 1u);
    EXPECT_EQ(posted_[0].bounds, gfx::Rect(0, 0, 480, 162));
    EXPECT_EQ(posted_[0].end, (gfx::Point{240, 239}));
    EXPECT_EQ(posted_[0].begin, (gfx::Point{240, 401}));
    // Hiding leaves from where it was shown, whatever the orientation says by then.
    Application::shared().setStatusBarOrientation(InterfaceOrientation::Portrait);
    window_->endEditing(Force::Yes);
    ASSERT_GE(posted_.size(), 2u);
    EXPECT_EQ(posted_.back().bounds, gfx::Rect(0, 0, 480, 162));
    EXPECT_EQ(posted_.back().begin, (gfx::Point{240, 239}));
}

// Records the ranges and replacements a field's delegate is asked about.
struct Filter : TextFieldDelegate {
    std::vector<std::string> asked;
    int returns = 0;
    std::optional<bool> textFieldShouldChangeCharactersInRange(TextField&, fnd::Range range,
                                                               const std::string& replacement) override {
        asked.push_back(std::to_string(range.location) + "," + std::to_string(range.length) + ":" + replacement);
        return replacement != "#"; // the score dialog's filter refuses some characters
    }
    std::optional<bool> textFieldShouldReturn(TextField&) override {
        ++returns;
        return true;
    }
};

TEST_F(KeyboardTest, DriverTypesDeletesReturnsAndClears) {
    fnd::testing::LogCapture log;
    EXPECT_FALSE(Keyboard::type("x"));
    EXPECT_FALSE(Keyboard::pressReturn());
    EXPECT_TRUE(log.contains("no text input being edited"));
    EXPECT_EQ(Keyboard::returnKeyType(), ReturnKeyType::Default);

    auto field = View::create<TextField>(gfx::Rect(10, 10, 300, 30));
    auto filter = std::make_shared<Filter>();
    field->setDelegate(filter);
    field->setReturnKeyType(ReturnKeyType::Send);
    std::vector<std::string> events;
    recordEvents(*field, events);
    window_->addSubview(field);
    ASSERT_TRUE(field->becomeFirstResponder());
    EXPECT_TRUE(Keyboard::isVisible());
    EXPECT_EQ(Keyboard::returnKeyType(), ReturnKeyType::Send);

    // One insertion per character, with UTF-16 ranges; an emoji is one key of two units.
    ASSERT_TRUE(Keyboard::type("h\xC3\xA9#\xF0\x9F\x98\x80!"));
    EXPECT_EQ(filter->asked,
              (std::vector<std::string>{"0,0:h", "1,0:\xC3\xA9", "2,0:#", "2,0:\xF0\x9F\x98\x80", "4,0:!"}));
    EXPECT_EQ(field->text(), "h\xC3\xA9\xF0\x9F\x98\x80!");
    ASSERT_TRUE(Keyboard::backspace());
    ASSERT_TRUE(Keyboard::backspace());
    EXPECT_EQ(field->text(), "h\xC3\xA9");
    EXPECT_EQ(filter->asked.back(), "2,2:");

    events.clear();
    ASSERT_TRUE(Keyboard::pressReturn());
    EXPECT_EQ(filter->returns, 1);
    EXPECT_EQ(events, (std::vector<std::string>{"EditingDidEndOnExit"}));
    EXPECT_TRUE(field->isFirstResponder()); // return never resigns by itself

    ASSERT_TRUE(Keyboard::tapClear());
    EXPECT_EQ(field->text(), "");

    // A text view takes the same keys; return is a line break.
    auto view = View::create<TextView>(gfx::Rect(10, 50, 300, 100));
    view->textInputTraits().returnKeyType = ReturnKeyType::Done;
    window_->addSubview(view);
    ASSERT_TRUE(view->becomeFirstResponder());
    EXPECT_EQ(Keyboard::returnKeyType(), ReturnKeyType::Done);
    ASSERT_TRUE(Keyboard::type("ab"));
    ASSERT_TRUE(Keyboard::pressReturn());
    ASSERT_TRUE(Keyboard::type("c"));
    ASSERT_TRUE(Keyboard::backspace());
    EXPECT_EQ(view->text(), "ab\n");
    EXPECT_FALSE(Keyboard::tapClear());
}

} // namespace
} // namespace ui
