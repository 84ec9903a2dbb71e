// The web dialog: choosing its controller and putting the controller's view in the content.
#include "web/zlv_web_dialog.h"

#include <utility>

#include "protocol/tracer.h"

namespace zelvan {
namespace {

constexpr gfx::Size kWebContentSize{300, 400};

ZLVWebDialog::ControllerFactory& defaultFactory() {
    static ZLVWebDialog::ControllerFactory factory;
    return factory;
}

} // namespace

std::shared_ptr<ZLVWebDialog> ZLVWebDialog::create(const ControllerFactory& factory) {
    const ControllerFactory& chosen = factory ? factory : defaultFactory();
    std::shared_ptr<WebDialogController> controller = chosen ? chosen() : nullptr;
    if (!controller) {
        if (chosen) {
            ZTRACE_WARN("ZLVWebDialog: the controller factory made nothing; using a plain web view");
        }
        controller = std::make_shared<PlainWebDialogController>();
    }
    return View::create<ZLVWebDialog>(gfx::Rect(), std::move(controller));
}

void ZLVWebDialog::setDefaultControllerFactory(ControllerFactory factory) {
    defaultFactory() = std::move(factory);
}

ZLVWebDialog::ZLVWebDialog(std::shared_ptr<WebDialogController> controller) : controller_(std::move(controller)) {
    preferredContentSize_ = kWebContentSize;
}

void ZLVWebDialog::loadContentView() {
    auto view = controller_->view();
    if (!view) {
        ZTRACE_WARN("ZLVWebDialog: the page controller has no view");
        return;
    }
    view->setFrame(contentView()->bounds());
    view->setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth | ui::AutoresizingMask::FlexibleHeight);
    contentView()->addSubview(view);
}

} // namespace zelvan
