// The animation command handler on a real page under the manual clock: the generated "BridgeGraphics"
// text, scene commands read back from the view's framebuffer, clipping, transforms and alphas, the
// resize, the frame callback that runs once, and a touch reaching the script.
#include <gtest/gtest.h>

#include <GLES/gl.h>
#include <GLES/glext.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "ads/marlin/animation/mn_animation_view.h"
#include "ads/marlin/animation/mn_character.h"
#include "ads/marlin/animation/mn_shape.h"
#include "ads/marlin/javascript_bridge.h"
#include "ads/marlin/javascript_bridge_animation_delegate.h"
#include "ads/marlin/marlin_content_host.h"
#include "ads/marlin/mn_database.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/log.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/foundation/testing/scoped_app_root.h"
#include "platform/ui/application.h"
#include "platform/ui/backends.h"
#include "platform/ui/duktape_script_host.h"
#include "platform/ui/snapshot.h"
#include "platform/ui/testing/touch_driver.h"
#include "platform/ui/testing/web_view_driver.h"
#include "platform/ui/window.h"

namespace zelvan::marlin {
namespace {

using fnd::Value;

// The content controller as far as the animation commands reach it: it makes the animation view over the
// web view, in front.
class AnimationHost : public IMarlinContentHost {
public:
    int clientState() const override { return 3; }
    void setClientState(int) override {}
    bool isAdPrefetched() const override { return false; }
    void setAdPrefetched(bool) override {}
    bool hasClientCheckedInOnPreRoll() const override { return false; }
    void setHasClientCheckedInOnPreRoll(bool) override {}
    std::string loadingMessage() const override { return {}; }
    void setLoadingMessage(const std::string&) override {}
    std::string webViewTitle() const override { return {}; }
    void setWebViewTitle(const std::string&) override {}
    double exitItemDisplayTime() const override { return 0; }
    void setExitItemDisplayTime(double) override {}
    double menuTimerValue() const override { return 0; }
    void setMenuTimerValue(double) override {}
    double sdkAccelerometerUpdateInterval() const override { return 0; }
    void setSdkAccelerometerUpdateInterval(double) override {}
    bool javascriptRequestPassthrough() const override { return false; }
    void setJavascriptRequestPassthrough(bool) override {}
    void presentContent() override {}
    void dismissContent() override {}
    void bootClient() override {}
    void showLoadingScreen() override {}
    void dismissLoadingScreen() override {}
    void hideMenuButton() override {}
    bool isBrowserMode() const override { return false; }
    void setBrowserMode(bool) override {}
    void loadScript(const std::string&, const std::string&, const std::optional<std::string>&) override {}
    void requestPage(const std::string&, bool) override {}
    std::string currentScript() override { return {}; }
    gfx::Size transformationViewSize() const override { return {100, 50}; }
    int deviceOrientation() const override { return 1; }
    std::string serverURL() const override { return {}; }
    void setServerURL(const std::string&) override {}
    int64_t applicationID() const override { return 5; }
    void setApplicationID(int64_t) override {}
    std::optional<std::string> clientVersion() override { return std::nullopt; }
    void setClientVersion(const std::string&) override {}
    int64_t sessionStart() const override { return 0; }
    void notifyConnectionFailed() override {}
    MNDatabase& database() override { return db; }

    void prepareAnimationView(bool prepare) override {
        ++prepared;
        if (!prepare) {
            if (view) {
                view->removeFromSuperview();
            }
            view.reset();
            return;
        }
        if (!view) {
            view = MNEAGLView::createView<MNAnimationView>(webView->frame());
            webView->superview()->addSubview(view);
        } else {
            view->setFrame(webView->frame());
        }
    }
    std::shared_ptr<MNAnimationView> animationView() override { return view; }

    std::shared_ptr<ui::WebView> webView;
    std::shared_ptr<MNAnimationView> view;
    int prepared = 0;
    MNDatabase db;
};

Value seg(const char* action, double x, double y) {
    return Value::dictionary({{"action", action}, {"x", x}, {"y", y}});
}

// A w x h rectangle filled with `fill`, its bounds (0, 0, w, h).
Value rect(double w, double h, const char* fill) {
    auto path = Value::dictionary(
        {{"path", Value::array({seg("m", 0, 0), seg("l", w, 0), seg("l", 0, h), seg("l", -w, 0), seg("z", 0, 0)})},
         {"fillId", fill}});
    return Value::dictionary({{"paths", Value::array({path})}, {"x", 0}, {"y", 0}, {"w", w}, {"h", h}});
}

bool near(gfx::Rgba8 got, int r, int g, int b) {
    return std::abs(got.r - r) <= 12 && std::abs(got.g - g) <= 12 && std::abs(got.b - b) <= 12;
}

class MarlinAnimationBridgeTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = fnd::ManualClock::install();
        ui::installScriptHostFactory(ui::DuktapeScriptHost::factory());
        window_ = ui::View::create<ui::Window>(gfx::Rect(0, 0, 100, 50));
        window_->makeKeyAndVisible();
        host_ = std::make_shared<AnimationHost>();
        host_->webView = ui::View::create<ui::WebView>(gfx::Rect(0, 0, 100, 50));
        window_->addSubview(host_->webView);
        handler_ = std::make_shared<JavascriptBridgeAnimationDelegate>(host_);
        bridge_ = JavascriptBridge::javascriptBridgeWithPollingInterval(0.1, host_->webView, handler_);
        bridge_->setContentHost(host_);
        bridge_->loadJavascriptString("", "", "client.js", std::nullopt);
        ASSERT_TRUE(ui::testing::WebViewDriver(host_->webView).finishLoad());
    }
    void TearDown() override {
        ui::testing::TouchDriver::reset();
        bridge_->halt();
        window_->setHidden(true);
        fnd::RunLoop::main().advance(1);
        ui::EaglContext::setCurrentContext(nullptr);
        ui::installScriptHostFactory(nullptr);
        fnd::Clock::install(nullptr);
    }

    std::string eval(const std::string& js) { return host_->webView->stringByEvaluatingJavaScriptFromString(js); }
    // Runs `js` in the page, then the commands it queued.
    int run(const std::string& js) {
        eval(js);
        return bridge_->poll();
    }
    // Asks the script for a frame and reads it back.
    gfx::ImagePtr frame() {
        run("BridgeGraphics.showFrame();");
        auto& view = *host_->view;
        EXPECT_TRUE(ui::EaglContext::setCurrentContext(view.context()));
        view.context()->gl().bindFramebuffer(GL_FRAMEBUFFER_OES, view.viewFramebuffer());
        gfx::ImagePtr image = view.context()->gl().readPixels();
        ui::EaglContext::setCurrentContext(nullptr);
        return image;
    }
    std::shared_ptr<MNCharacter> object(const std::string& key) { return host_->view->characterInstanceWithKey(key); }

    fnd::testing::ScopedAppRoot root_;
    std::shared_ptr<fnd::ManualClock> clock_;
    std::shared_ptr<ui::Window> window_;
    std::shared_ptr<AnimationHost> host_;
    std::shared_ptr<JavascriptBridgeAnimationDelegate> handler_;
    std::shared_ptr<JavascriptBridge> bridge_;
};

TEST(JavascriptBridgeAnimationScriptTest, GeneratedFunctionsAreExact) {
    JavascriptBridgeAnimationDelegate handler({});
    const std::string script = handler.bridgeScript();
    EXPECT_EQ(script.rfind("var BridgeGraphics = function()\n{\n\tvar self = {};\n"
                           "\tself.initializeAnimation = function()\n\t{\n"
                           "\t\tsendCommand(\"bridge_initializeAnimation;\");\n\t}\n\n",
                           0),
              0U);
    EXPECT_NE(
        script.find("\tself.setSpriteTouchBeganCallbackComplex = function(a_setSprite, a_touchBeganCallback, "
                    "a_complex)\n\t{\n"
                    "\t\tsendCommand(\"bridge_setSprite:\\\"\" + a_setSprite + \"\\\" touchBeganCallback:\\\"\" + "
                    "a_touchBeganCallback + \"\\\" complex:\\\"\" + a_complex + \"\\\";\");\n\t}\n\n"),
        std::string::npos);
    EXPECT_EQ(script.substr(script.size() - 18), "\treturn self;\n}();");
    EXPECT_EQ(handler.commands().size(), 22U);
}

TEST_F(MarlinAnimationBridgeTest, ScriptBuildsMovesClipsAndHearsCallbacks) {
    // Unbound, drawing commands do nothing.
    EXPECT_EQ(run("BridgeGraphics.newSprite('s'); BridgeGraphics.showFrame();"), 2);
    EXPECT_EQ(run("BridgeGraphics.initializeAnimation();"), 1);
    ASSERT_TRUE(host_->view);
    EXPECT_EQ(handler_->animationView(), host_->view);
    EXPECT_EQ(host_->view->delegate(), handler_);
    host_->view->setShapesWithProperties(Value::dictionary({{"red", rect(20, 10, "#FF0000")},
                                                            {"green", rect(100, 10, "#00FF00")},
                                                            {"blue", rect(100, 10, "#0000FF")},
                                                            {"mask", rect(30, 50, "#FFFFFF")}})
                                             .asDictionary());

    EXPECT_EQ(run("BridgeGraphics.newSprite('s');"
                  "BridgeGraphics.newShapeFromLibraryShape('a', 'red');"
                  "BridgeGraphics.placeObjectInSpriteLayerTransform('s', 'root', '1', 'null');"
                  "BridgeGraphics.placeObjectInSpriteLayerTransform('a', 's', '2', '1,0,0,1,10,20');"
                  "BridgeGraphics.setObjectPropertyValue('a', 'opacity', '0.25');"
                  "BridgeGraphics.placeObjectInSpriteLayerTransform('a', 's', '2', 'null');"),
              6);
    auto a = object("a");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->transform(), gfx::AffineTransform::makeTranslation(10, 20));
    EXPECT_EQ(a->opacity(), 1.0F);
    auto image = frame();
    EXPECT_TRUE(near(image->pixelAt(12, 22), 255, 0, 0));
    EXPECT_TRUE(near(image->pixelAt(8, 22), 0, 0, 0));

    // Alpha -1 keeps the opacity, 0 hides; five numbers are no transform; a shape is no sprite.
    run("BridgeGraphics.moveObjectInSpriteLayerTransformAlpha('s', '2', '1,0,0,1,50,20', '-1');");
    image = frame();
    EXPECT_EQ(a->opacity(), 1.0F);
    EXPECT_EQ(object("s")->bounds(), gfx::Rect(50, 20, 20, 10)); // the sprite's bounds follow the move
    EXPECT_TRUE(near(image->pixelAt(52, 22), 255, 0, 0));
    EXPECT_TRUE(near(image->pixelAt(12, 22), 0, 0, 0));
    run("BridgeGraphics.moveObjectInSpriteLayerTransform('s', '2', '1,0,0,1,5');"
        "BridgeGraphics.moveObjectInSpriteLayerTransformAlpha('s', '2', 'null', '0');"
        "BridgeGraphics.newShapeFromLibraryShape('b', 'red');"
        "BridgeGraphics.placeObjectInSpriteLayerTransform('b', 'a', '1', 'null');");
    EXPECT_EQ(a->transform(), gfx::AffineTransform::makeTranslation(50, 20));
    EXPECT_FALSE(object("b")->supersprite());
    EXPECT_TRUE(near(frame()->pixelAt(52, 22), 0, 0, 0));

    // A clip from layer 3 to 5 cuts layers 4 and 5 to its 30 points; layer 6 stays whole.
    EXPECT_EQ(run("BridgeGraphics.newShapeFromLibraryShape('m', 'mask');"
                  "BridgeGraphics.newShapeFromLibraryShape('g', 'green');"
                  "BridgeGraphics.newShapeFromLibraryShape('g2', 'green');"
                  "BridgeGraphics.newShapeFromLibraryShape('bl', 'blue');"
                  "BridgeGraphics.placeClippingObjectInSpriteFirstLayerLastLayerTransform('m', 's', '3', '5', 'null');"
                  "BridgeGraphics.placeObjectInSpriteLayerTransformAlpha('g', 's', '4', '1,0,0,1,0,0', '1');"
                  "BridgeGraphics.placeObjectInSpriteLayerTransformAlphaUseFill('g2', 's', '5', '1,0,0,1,0,15', "
                  "'1', '#FFFF00');"
                  "BridgeGraphics.placeObjectInSpriteLayerTransformAlpha('bl', 's', '6', '1,0,0,1,0,30', '1');"),
              8);
    EXPECT_EQ(object("m")->clipDepth(), 2U);
    image = frame();
    EXPECT_TRUE(near(image->pixelAt(5, 5), 0, 255, 0));
    EXPECT_TRUE(near(image->pixelAt(60, 5), 0, 0, 0));
    EXPECT_TRUE(near(image->pixelAt(5, 20), 255, 255, 0));
    EXPECT_TRUE(near(image->pixelAt(60, 20), 0, 0, 0));
    EXPECT_TRUE(near(image->pixelAt(60, 35), 0, 0, 255));
    EXPECT_TRUE(near(image->pixelAt(5, 45), 0, 0, 0)); // the clip is never drawn
    std::error_code ec;
    std::filesystem::create_directories("screenshots", ec);
    EXPECT_TRUE(ui::Snapshot::saveViewAsPng(*window_, "screenshots/marlin-animation-clipped-scene.png"));

    // An unknown property ends the poll; the known ones set the character.
    EXPECT_EQ(run("BridgeGraphics.setObjectPropertyValue('s', 'name', 'stage');"
                  "BridgeGraphics.setObjectPropertyValue('s', 'usePathChecking', 'YES');"
                  "BridgeGraphics.setObjectPropertyValue('a', 'bogus', '1');"
                  "BridgeGraphics.newSprite('after');"),
              2);
    EXPECT_EQ(object("s")->name(), std::optional<std::string>("stage"));
    EXPECT_FALSE(object("after"));

    // A frame's callback runs once, though later frames follow.
    run("BridgeGraphics.showFrameWithCallback('window.frames = (window.frames || 0) + 1');");
    frame();
    frame();
    EXPECT_EQ(eval("window.frames"), "1");
    EXPECT_TRUE(host_->view->renderContext().isNull());

    // A touch on an interactive shape reaches the script with its formatted text.
    run("BridgeGraphics.moveObjectInSpriteLayerTransformAlpha('s', '2', '1,0,0,1,10,20', '1');"
        "BridgeGraphics.setSpriteTouchBeganCallbackComplex('s', 'window.tap = \"%s\"', 'false');");
    EXPECT_FALSE(static_cast<MNSprite&>(*object("s")).usesPathChecking());
    ui::Application::shared().flush();
    ui::testing::TouchDriver::touchDown(1, {15, 25});
    ui::testing::TouchDriver::touchUp(1);
    EXPECT_EQ(eval("window.tap"), "1, 15.000000, 25.000000, 15.000000, 25.000000");

    // The script resizes the view: the next frame is drawn at the new size.
    run("BridgeGraphics.setAnimationViewFrameXYWidthHeight('0', '0', '200', '100');");
    image = frame();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width(), 200);
    EXPECT_EQ(image->height(), 100);
    EXPECT_TRUE(near(image->pixelAt(12, 27), 255, 0, 0));
    EXPECT_TRUE(near(image->pixelAt(60, 35), 0, 0, 255));
    run("BridgeGraphics.hideAnimation();");
    EXPECT_TRUE(host_->view->isHidden());
    run("BridgeGraphics.setAnimationViewHidden('false');");
    EXPECT_FALSE(host_->view->isHidden());

    run("BridgeGraphics.finalizeAnimation();");
    EXPECT_FALSE(handler_->animationView());
    EXPECT_TRUE(host_->view);
}

} // namespace
} // namespace zelvan::marlin
