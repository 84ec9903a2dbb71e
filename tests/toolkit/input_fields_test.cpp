// The chat input fields: their return keys and first-responder behaviour as the keyboard sees them,
// and the delegate hearing the return key.
#include "core/zelvan_style.h"
#include "platform/ui/testing/keyboard.h"
#include "toolkit/z_simple_chat_input_field.h"
#include "toolkit/z_simple_input_field.h"
#include "window_fixture.h"

namespace zelvan {
namespace {

using ui::testing::Keyboard;

struct ReturnCounter : ui::TextFieldDelegate {
    std::optional<bool> textFieldShouldReturn(ui::TextField& field) override {
        returned.push_back(field.text());
        return false;
    }
    std::vector<std::string> returned;
};

class InputFieldsTest : public WindowFixture {};

TEST_F(InputFieldsTest, ReturnKeysAndFocus) {
    auto chat = ui::View::create<ZSimpleChatInputField>(gfx::Rect(6, 400, 250, 30));
    window_->addSubview(chat);
    auto delegate = std::make_shared<ReturnCounter>();
    chat->setDelegate(delegate);
    EXPECT_EQ(chat->font(), ZelvanStyle::shared()->font(6));
    EXPECT_FALSE(Keyboard::isVisible());

    ASSERT_TRUE(chat->becomeFirstResponder());
    EXPECT_TRUE(Keyboard::isVisible());
    EXPECT_EQ(Keyboard::returnKeyType(), ui::ReturnKeyType::Send);
    EXPECT_TRUE(Keyboard::type("hello"));
    EXPECT_TRUE(Keyboard::pressReturn());
    EXPECT_EQ(delegate->returned, (std::vector<std::string>{"hello"}));
    EXPECT_TRUE(chat->isFirstResponder()); // the return key never resigns by itself

    // The in-game field takes its owner's return key; focus passes to it with the keyboard up.
    auto field = ui::View::create<ZSimpleInputField>(gfx::Rect(0, 440, 320, 30));
    window_->addSubview(field);
    field->setDelegate(delegate);
    field->setReturnKeyType(ui::ReturnKeyType::Done);
    field->setText("gg");

    ASSERT_TRUE(field->becomeFirstResponder());
    EXPECT_EQ(Keyboard::returnKeyType(), ui::ReturnKeyType::Done);
    EXPECT_TRUE(Keyboard::type(" wp"));
    EXPECT_EQ(field->text(), "gg wp");
    EXPECT_TRUE(Keyboard::pressReturn());
    EXPECT_EQ(delegate->returned, (std::vector<std::string>{"hello", "gg wp"}));
    EXPECT_FALSE(chat->isFirstResponder());

    EXPECT_TRUE(Keyboard::isVisible());
    EXPECT_TRUE(field->resignFirstResponder());
    EXPECT_FALSE(Keyboard::isVisible());
    EXPECT_FALSE(Keyboard::type("x"));
}

} // namespace
} // namespace zelvan
