// ZAlertView: the platform alert with a payload carried along, so the code that answers a tap knows
// what the alert was about (a game's request, a friend's card, ...).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/value.h"
#include "platform/ui/alert_view.h"

namespace zelvan {

class ZAlertView : public ui::AlertView {
public:
    // An alert as ui::AlertView::initWithTitle makes it, ready to carry data.
    static std::shared_ptr<ZAlertView> create(std::string title, std::string message,
                                              std::weak_ptr<ui::AlertViewDelegate> delegate,
                                              std::optional<std::string> cancelButtonTitle = std::nullopt,
                                              const std::vector<std::string>& otherButtonTitles = {});

    std::string className() const override { return "ZAlertView"; }

    const fnd::Value& carryData() const { return carryData_; }
    void setCarryData(fnd::Value data) { carryData_ = std::move(data); }

private:
    fnd::Value carryData_;
};

} // namespace zelvan
