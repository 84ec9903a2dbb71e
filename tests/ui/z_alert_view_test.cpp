// The platform alert with carried data: the payload is still there when the delegate hears the tap.
#include <gtest/gtest.h>

#include "platform/ui/testing/alert_driver.h"
#include "ui/z_alert_view.h"
#include "window_fixture.h"

namespace zelvan {
namespace {

class CarryReader : public ui::AlertViewDelegate {
public:
    std::string seen;
    int index = -2;
    void alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) override {
        auto* carrying = dynamic_cast<ZAlertView*>(&alert);
        seen = carrying ? carrying->carryData().stringValue() : "not a ZAlertView";
        index = buttonIndex;
    }
};

using ZAlertViewTest = WindowFixture;

TEST_F(ZAlertViewTest, CarriedDataReachesTheDelegate) {
    auto reader = std::make_shared<CarryReader>();
    auto alert = ZAlertView::create("Invitation", "Join Mia's table?", reader, "No", {"Join"});
    EXPECT_TRUE(alert->carryData().isNull());
    alert->setCarryData(fnd::Value("table-31"));
    alert->show();
    ASSERT_TRUE(ui::testing::AlertDriver::tap(alert, "Join"));
    EXPECT_EQ(reader->index, 1);
    EXPECT_EQ(reader->seen, "table-31");
    EXPECT_FALSE(alert->isVisible());
}

} // namespace
} // namespace zelvan
