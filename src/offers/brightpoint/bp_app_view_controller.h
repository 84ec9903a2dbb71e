// BPAppViewController: the "Details" page of an app of the apps tab, holding one BPAppView.
#pragma once

#include <memory>
#include <string>

#include "offers/brightpoint/bp_app_view.h"
#include "offers/brightpoint/bp_page_services.h"
#include "platform/foundation/value.h"
#include "platform/ui/view_controller.h"

namespace zelvan::brightpoint {

class BPAppViewController : public ui::ViewController {
public:
    // The page is handed `services`.
    explicit BPAppViewController(BPPageServices services);

    std::string className() const override { return "BPAppViewController"; }
    // Its view is a BPAppView as large as the bounds less 93 points of height.
    void viewDidLoad() override;
    // Hands the record to the page (loading the view first when needed).
    void setApp(const fnd::Value& app);
    const std::shared_ptr<BPAppView>& appView() const { return appView_; }

private:
    const BPPageServices services_;
    std::shared_ptr<BPAppView> appView_;
};

} // namespace zelvan::brightpoint
