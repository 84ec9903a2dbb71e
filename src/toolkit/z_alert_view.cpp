// ZAlertView construction through the platform alert's factory.
#include "toolkit/z_alert_view.h"

namespace zelvan {

std::shared_ptr<ZAlertView> ZAlertView::create(std::string title, std::string message,
                                               std::weak_ptr<ui::AlertViewDelegate> delegate,
                                               std::optional<std::string> cancelButtonTitle,
                                               const std::vector<std::string>& otherButtonTitles) {
    return ui::AlertView::initWithTitle<ZAlertView>(std::move(title), std::move(message), std::move(delegate),
                                                    std::move(cancelButtonTitle), otherButtonTitles);
}

} // namespace zelvan
