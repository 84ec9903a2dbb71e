// Shared fixture of the offer kit's skinned widget tests: the widget fixture (manual clock, key window)
// with an offer context whose skin is the bundle, synthetic text metrics and a portrait device.
#pragma once

#include <memory>

#include "core/app_registry.h"
#include "offers/orvane/client/orvane_context.h"
#include "offers/orvane/orvane_wiring.h"
#include "platform/device/device.h"
#include "platform/foundation/bundle.h"
#include "platform/graphics/backends.h"
#include "platform/graphics/text_metrics.h"
#include "tests/offers/orvane/widget_test_support.h"
#include "tests/support/scoped_app_delegate.h"

namespace zelvan::orvane::widget_test {

class KitWidgetTest : public WidgetTest {
protected:
    void SetUp() override {
        WidgetTest::SetUp();
        gfx::installTextMetrics(std::make_shared<gfx::SyntheticMetrics>());
        device::Device::current().deviceDidRotate(device::DeviceOrientation::Portrait);
        install(fnd::Bundle::main().resourcePath());
    }
    void TearDown() override {
        device::Device::current().deviceDidRotate(device::DeviceOrientation::Portrait);
        gfx::installTextMetrics(nullptr);
        delegate_.reset();
        WidgetTest::TearDown();
    }
    void install(const std::string& skinFolder) {
        delegate_.reset();
        context_ = makeOrvane(NetworkEndpoint("", "/orvane"), skinFolder);
        AppRegistry registry;
        registry.orvane.factory = ServiceSlot<OrvaneContext>::fixed(context_);
        delegate_ = std::make_unique<ScopedAppDelegate>(std::move(registry));
    }

    std::shared_ptr<OrvaneContext> context_;
    std::unique_ptr<ScopedAppDelegate> delegate_;
};

} // namespace zelvan::orvane::widget_test
