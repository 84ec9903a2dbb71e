// The web dialog: choosing its controller and putting the controller's view in the content.
#include "web/zlv_web_dialog.h"

#include <utility>

#include "core/zelvan_app_delegate.h"
#include "protocol/tracer.h"
#include "web/web_context.h"

namespace zelvan {
namespace {

constexpr gfx::Size kWebContentSize{300, 400};

// The controller factory of the application registry, bound to its delegate; empty when there is none.
ZLVWebDialog::ControllerFactory registeredFactory() {
    auto delegate = web::context();
    auto factory = delegate ? delegate->webDialogControllerFactory() : nullptr;
    if (!factory) {
        return {};
    }
    return [delegate, factory] { return factory(*delegate); };
}

} // namespace

std::shared_ptr<ZLVWebDialog> ZLVWebDialog::create(const ControllerFactory& factory) {
    const ControllerFactory chosen = factory ? factory : registeredFactory();
    std::shared_ptr<WebDialogController> controller = chosen ? chosen() : nullptr;
    if (!controller) {
        if (chosen) {
            ZTRACE_WARN("ZLVWebDialog: the controller factory made nothing; using a plain web view");
        }
        controller = std::make_shared<PlainWebDialogController>();
    }
    return View::create<ZLVWebDialog>(gfx::Rect(), std::move(controller));
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
