// BPErrorViewController: the page the offer wall's client shows instead of the wall when something is
// wrong (no network, the server's refusal, a configuration without tabs).
#pragma once

#include <memory>
#include <string>

#include "platform/ui/image_view.h"
#include "platform/ui/label.h"
#include "platform/ui/view_controller.h"

namespace zelvan::brightpoint {

class BPErrorViewController : public ui::ViewController {
public:
    static std::shared_ptr<BPErrorViewController> initWithMessage(std::string message);

    std::string className() const override { return "BPErrorViewController"; }
    void viewDidLoad() override;

    const std::string& message() const { return message_; }
    const std::shared_ptr<ui::Label>& errorLabel() const { return errorLabel_; }

private:
    std::string message_;
    std::shared_ptr<ui::ImageView> errorImage_;
    std::shared_ptr<ui::ImageView> errorBackground_;
    std::shared_ptr<ui::Label> errorLabel_;
};

} // namespace zelvan::brightpoint
