// ZLVWebDialog: a framed dialog showing a web page. Its page controller comes from a factory (the
// application registry's, or a plain web view controller); the controller's view fills the dialog's
// content when the dialog first shows, which opens the controller's init address.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "web/web_dialog_controller.h"
#include "web/zlv_dialog.h"

namespace zelvan {

class ZLVWebDialog : public ZLVDialog {
public:
    using ControllerFactory = std::function<std::shared_ptr<WebDialogController>()>;

    // A dialog whose controller comes from `factory`, else from the application registry (and when
    // that gives none, a PlainWebDialogController).
    static std::shared_ptr<ZLVWebDialog> create(const ControllerFactory& factory = {});

    explicit ZLVWebDialog(std::shared_ptr<WebDialogController> controller);
    std::string className() const override { return "ZLVWebDialog"; }

    const std::shared_ptr<WebDialogController>& controller() const { return controller_; }

    void loadContentView() override;

private:
    std::shared_ptr<WebDialogController> controller_;
};

} // namespace zelvan
