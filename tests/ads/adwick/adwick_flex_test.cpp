// Rich ads built from markups with assets on the ad host: the markup readers' defaults, animations and
// their group, bad markup and assets at each bound, touches and the click's interaction report, paging
// records, and a rich ad from the ad host shown and clicked in a banner.
#include <gtest/gtest.h>

#include <filesystem>

#include "ads/adwick/adwick_ad.h"
#include "ads/adwick/adwick_controller.h"
#include "ads/adwick/adwick_flex_ad.h"
#include "ads/adwick/adwick_flex_views.h"
#include "ads/adwick/adwick_search_bar.h"
#include "ads/adwick/adwick_view.h"
#include "ads/adwick/json/json_deserializer.h"
#include "platform/foundation/array.h"
#include "platform/foundation/dictionary.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/ui/keyframe_animation.h"
#include "platform/ui/page_control.h"
#include "platform/ui/testing/screenshot.h"
#include "platform/ui/testing/touch_driver.h"
#include "platform/ui/window.h"
#include "tests/ads/adwick/adwick_banner_fixture.h"

namespace zelvan::adwick {
namespace {

using testing::BannerEnv;

fnd::Value json(const std::string& text) {
    auto value = JSONDeserializer().deserialize(fnd::Bytes(text.begin(), text.end()));
    EXPECT_TRUE(value) << text;
    return value ? *value : fnd::Value();
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

struct Outcome : AdwickFlexAdDelegate {
    int loaded = 0;
    std::optional<fnd::Error> error;
    void flexAdDidLoad(AdwickFlexAd&) override { ++loaded; }
    void flexAdDidFailLoadWithError(AdwickFlexAd&, const fnd::Error& e) override { error = e; }
};

struct Built {
    std::shared_ptr<Outcome> outcome = std::make_shared<Outcome>();
    std::shared_ptr<AdwickFlexAd> ad;
    std::shared_ptr<AdwickFlexAdContainerView> container() const { return ad->container(); }
};

// Builds `markup` ("BASE" stands for the ad host) in a 320 x 48 frame and runs it to its outcome.
Built build(BannerEnv& env, const std::string& markup) {
    Built built;
    built.ad = AdwickFlexAd::initWithDictionary(json(replaceAll(markup, "BASE", env.host().url(""))), built.outcome, {},
                                                gfx::Rect(0, 0, 320, 48), context());
    EXPECT_EQ(built.outcome->loaded, 0); // never from inside the call
    BannerEnv::pump([&] { return built.outcome->loaded + (built.outcome->error ? 1 : 0) > 0; });
    return built;
}

std::vector<std::string> strings(const fnd::Value& value) {
    std::vector<std::string> out;
    if (auto array = value.asArray()) {
        for (size_t i = 0; i < array->count(); ++i) {
            out.push_back(array->objectAtIndex(i).asString() ? *array->objectAtIndex(i).asString() : "?");
        }
    }
    return out;
}

TEST(AdwickFlexTest, MarkupReadersAndAnimations) {
    const fnd::Value bad[] = {fnd::Value(), json("[1,2]"), json(R"({"a":1})"), fnd::Value("x"), json("[1,\"y\",3,4]")};
    for (const auto& value : bad) {
        EXPECT_EQ(AdwickFlexAd::rectWithValue(&value, gfx::Rect(1, 1, 1, 1)), gfx::Rect(1, 1, 1, 1));
        EXPECT_EQ(AdwickFlexAd::colorWithValue(&value, gfx::Color::red()), gfx::Color::red());
        EXPECT_TRUE(AdwickFlexAd::transform3DWithValue(&value, ui::Transform3D::identity()) ==
                    ui::Transform3D::identity());
        EXPECT_EQ(AdwickFlexAd::fillModeWithValue(&value, ui::FillMode::Forwards), ui::FillMode::Forwards);
    }
    auto rect = json("[1,\"2\",3,4.5]");
    EXPECT_EQ(AdwickFlexAd::rectWithValue(&rect, gfx::Rect()), gfx::Rect(1, 2, 3, 4.5));
    const fnd::Value half("0.5"), junk("0.5x"), yes("Yes"), no("0");
    EXPECT_DOUBLE_EQ(AdwickFlexAd::floatWithValue(&half, 9), 0.5);
    EXPECT_DOUBLE_EQ(AdwickFlexAd::floatWithValue(&junk, 9), 9);
    EXPECT_TRUE(AdwickFlexAd::boolWithValue(&yes, false));
    EXPECT_FALSE(AdwickFlexAd::boolWithValue(&no, true));
    const fnd::Value io("io"), zz("zz"), fb("fb");
    EXPECT_EQ(AdwickFlexAd::timingFunctionWithValue(&io, ui::TimingFunction::Linear),
              ui::TimingFunction::EaseInEaseOut);
    EXPECT_EQ(AdwickFlexAd::timingFunctionWithValue(&zz, ui::TimingFunction::Linear), ui::TimingFunction::Linear);
    EXPECT_EQ(AdwickFlexAd::fillModeWithValue(&fb, ui::FillMode::Removed), ui::FillMode::Both);
    EXPECT_FALSE(AdwickFlexAd::valueOfType("Q", &half, &AdwickFlexAd::defaultAnimationToValueWithValueType));

    // Defaults of a basic float animation; key-frame validation.
    auto basic = std::dynamic_pointer_cast<ui::BasicAnimation>(
        AdwickFlexAd::basicAnimationFromDictionary(*json(R"({"kp":"opacity","vt":"F","fv":[1]})").asDictionary()));
    ASSERT_TRUE(basic);
    EXPECT_TRUE(basic->fromValue() == ui::AnimationValue(0.0));
    EXPECT_TRUE(basic->toValue() == ui::AnimationValue(1.0));
    EXPECT_EQ(basic->timingFunction(), ui::TimingFunction::Linear);
    auto keyframe = [](const std::string& extra) {
        return AdwickFlexAd::keyframeAnimationFromDictionary(
            *json(R"({"kp":"position","vt":"P","vs":[[0,0],[5,5],"bad"])" + extra + "}").asDictionary());
    };
    EXPECT_FALSE(keyframe(R"(,"kt":[0,0.5,0.9])"));
    EXPECT_FALSE(keyframe(R"(,"tfs":["l","i","o"])"));
    EXPECT_FALSE(keyframe(R"(,"kt":[0,"0.5",1])"));
    auto good = std::dynamic_pointer_cast<ui::KeyframeAnimation>(keyframe(R"(,"kt":[0,0.5,1],"tfs":["i","o"])"));
    ASSERT_TRUE(good);
    EXPECT_EQ(good->values().size(), 3U); // a value of the wrong shape takes the default
    EXPECT_EQ(good->timingFunctions().size(), 2U);

    // The group lasts until the latest end; a speed of 0 counts as 1.
    auto group =
        AdwickFlexAd::animationGroupFromArray(*json(R"([{"t":"B","kp":"opacity","vt":"F","d":1,"bt":0.5,"rc":2,"s":2},
                  {"t":"B","kp":"opacity","vt":"F","d":1.1,"s":0},{"t":"X"},{"t":"K","kp":"x"}])")
                                                   .asArray(),
                                              nullptr);
    ASSERT_TRUE(group);
    EXPECT_DOUBLE_EQ(group->duration(), 1.25);
    EXPECT_EQ(std::dynamic_pointer_cast<ui::AnimationGroup>(group)->animations().size(), 2U);
    EXPECT_DOUBLE_EQ(std::dynamic_pointer_cast<ui::AnimationGroup>(group)->animations()[1]->speed(), 1);
    auto props = json(R"({"d":3,"fm":"f","rc":"2"})");
    group = AdwickFlexAd::animationGroupFromArray(*json(R"([{"t":"B","kp":"opacity","vt":"F"}])").asArray(),
                                                  props.asDictionary().get());
    EXPECT_DOUBLE_EQ(group->duration(), 3);
    EXPECT_EQ(group->fillMode(), ui::FillMode::Forwards);
    EXPECT_DOUBLE_EQ(group->repeatCount(), 2);
    EXPECT_FALSE(AdwickFlexAd::animationGroupFromArray(*json(R"([{"t":"B"}])").asArray(), nullptr));
}

TEST(AdwickFlexTest, AssetsElementsAndBounds) {
    BannerEnv env;
    // A bad asset table fails with -1; a failed asset fails the ad with the download's error.
    auto bad = build(env, R"({"$":[1],"v":[]})");
    ASSERT_TRUE(bad.outcome->error);
    EXPECT_EQ(bad.outcome->error->domain(), "kAdwickFlexAdErrorDomain");
    EXPECT_EQ(bad.outcome->error->code(), -1);
    auto missing = build(env, R"({"$":{"a":{"u":"BASE/adwick/flex/logo.png"},"b":{"u":"BASE/adwick/flex/none.png"}}})");
    ASSERT_TRUE(missing.outcome->error);
    EXPECT_EQ(missing.outcome->error->domain(), AdwickURLDownload::kErrorDomain);
    EXPECT_EQ(missing.ad->pendingDownloadCount(), 0U);

    // An undecodable image, a missing asset and a "file:" asset each drop their element only; "ta"
    // under 44 points uses the bounds; the gradient's keys.
    auto ad =
        build(env, R"({"$":{"logo":{"u":"BASE/adwick/flex/logo.png"},"junk":{"u":"BASE/adwick/flex/not-an-image.png"},
        "local":{"u":"file:///etc/passwd"},"odd":{"x":1},"n":5},
        "ta":[0,0,40,100],"itid":"0.5","ucat":0,"v":[
        {"t":"bg","f":[0,0,320,48],"ia":0.25},{"t":"bg","ia":0.3,"ep":0.9},{"t":"bg"},
        {"t":"i","$":"logo","f":[1,2,30,30],"b":1,"cav":true},{"t":"i","$":"junk"},{"t":"i","$":"local"},{"t":"i"},
        {"t":"l","x":"Hi","fco":[1,0,0,1],"ut":"title","f":"nope"},{"t":"zz"},{"t":5},7,
        {"t":"p","pr":"x","p":[]},{"t":"P","bgc":[0,1,0,1]}]})");
    ASSERT_EQ(ad.outcome->loaded, 1);
    auto container = ad.container();
    EXPECT_EQ(container->touchableArea(), gfx::Rect(0, 0, 320, 48));
    EXPECT_DOUBLE_EQ(container->initialTouchIgnoreDuration(), 0.5);
    EXPECT_FALSE(container->useCATransaction());
    const auto& views = container->subviews();
    ASSERT_EQ(views.size(), 6U); // three gradients, the logo, the label, the plain view
    auto gradient = [&](size_t i) { return std::dynamic_pointer_cast<AdwickGradientView>(views[i]); };
    EXPECT_DOUBLE_EQ(gradient(0)->endPointY(), 0.25);
    EXPECT_DOUBLE_EQ(gradient(1)->initialAlpha(), 0.3);
    EXPECT_DOUBLE_EQ(gradient(1)->endPointY(), 0.9);
    EXPECT_DOUBLE_EQ(gradient(2)->endPointY(), 0.4375);
    EXPECT_EQ(gradient(2)->baseGradientColor(), gfx::Color(0.443, 0.514, 0.631, 1));
    auto logo = std::dynamic_pointer_cast<AdwickImageView>(views[3]);
    ASSERT_TRUE(logo);
    EXPECT_TRUE(logo->beveled);
    EXPECT_EQ(container->clickAnimationView(), views[3]);
    auto label = std::dynamic_pointer_cast<AdwickLabelView>(views[4]);
    ASSERT_TRUE(label);
    EXPECT_EQ(label->frame(), gfx::Rect());
    EXPECT_EQ(label->textColor(), gfx::Color(1, 0, 0, 1));
    EXPECT_EQ(views[5]->backgroundColor(), gfx::Color(0, 1, 0, 1));

    // Caps: elements, nesting, and pages without width record nothing.
    std::string many = R"({"v":[)";
    for (int i = 0; i < 300; ++i) {
        many += std::string(i ? "," : "") + R"({"t":"P"})";
    }
    auto capped = build(env, many + "]}");
    EXPECT_EQ(capped.container()->subviews().size(), AdwickFlexAd::kMaxElements);
    auto giant = build(env, R"({"v":[{"t":"P","f":[1e9,0,1e9,-5]},{"t":"l","fs":1e9}]})");
    EXPECT_EQ(giant.container()->subviews().at(0)->frame(), gfx::Rect(4096, 0, 4096, 0));
    std::string deep = R"({"t":"P"})";
    for (int i = 0; i < 40; ++i) {
        deep = R"({"t":"p","p":[{"v":[)" + deep + "]}]}";
    }
    auto nested = build(env, R"({"v":[)" + deep + "]}");
    ASSERT_EQ(nested.outcome->loaded, 1);
    auto paging = std::dynamic_pointer_cast<AdwickPagingScrollView>(nested.container()->subviews().at(0));
    ASSERT_TRUE(paging);
    paging->scrollView()->setContentOffset(gfx::Point(50, 0));
    EXPECT_TRUE(paging->userInteractionHistory().isNull());
}

TEST(AdwickFlexTest, TouchesPagingAndTheInteractionReport) {
    BannerEnv env;
    auto ad = build(env, R"({"itid":1,"v":[{"t":"l","f":[0,0,100,48],"x":"Tap","ut":"title"},
        {"t":"p","f":[100,0,200,48],"ut":"pages","ip":1,"p":[{"v":[{"t":"P","f":[0,0,10,10]}]},{"v":[]},{"v":[]}]}]})");
    ASSERT_EQ(ad.outcome->loaded, 1);
    auto container = ad.container();
    auto window = ui::View::create<ui::Window>(gfx::Rect(0, 0, 320, 480));
    window->addSubview(container);
    window->makeKeyAndVisible();
    auto paging = std::dynamic_pointer_cast<AdwickPagingScrollView>(container->subviews().at(1));
    ASSERT_TRUE(paging);
    EXPECT_EQ(paging->pageControl()->numberOfPages(), 3);
    EXPECT_DOUBLE_EQ(paging->pageControl()->alpha(), 0.35);
    EXPECT_EQ(paging->scrollView()->contentSize(), gfx::Size(600, 48));
    EXPECT_EQ(paging->touchForwardingView()->subviews().at(0)->frame(), gfx::Rect(0, 0, 10, 10));

    // The first draw makes every view appear at once: the initial page, the control shown then fading.
    AdwickSearchBar::renderView(*container);
    ASSERT_TRUE(container->dateOfFirstRender());
    EXPECT_DOUBLE_EQ(paging->scrollView()->contentOffset().x, 200);
    // Touches in the first second neither highlight nor click.
    ui::testing::TouchDriver::tap(window, gfx::Point(50, 20));
    EXPECT_FALSE(container->touched());
    env.advance(1.5);

    // Paging 1 -> 2 -> 1 -> 0 records every page crossed.
    for (double x : {400.0, 200.0, 0.0}) {
        paging->scrollView()->setContentOffset(gfx::Point(x, 0));
    }
    EXPECT_EQ(paging->pageControl()->currentPage(), 0);
    auto scrolls = strings(paging->userInteractionHistory());
    ASSERT_EQ(scrolls.size(), 3U);
    EXPECT_EQ(scrolls[0].substr(0, 2), "2,");
    EXPECT_EQ(scrolls[2].substr(0, 2), "0,");

    ui::testing::TouchDriver::tap(window, gfx::Point(50, 20));
    auto report = container->gatherInteractions().asDictionary();
    ASSERT_TRUE(report);
    auto touches = [&](const char* tag) {
        const fnd::Value* entry = report->find(tag);
        auto table = entry ? entry->asDictionary() : nullptr;
        return table ? strings(table->objectForKey("touches")) : std::vector<std::string>{"missing"};
    };
    EXPECT_EQ(touches("title").size(), 4U); // both taps on the label, the early one too
    EXPECT_EQ(touches("container").size(), 2U);
    EXPECT_EQ(touches("container")[1].substr(0, 8), "1,50,20,");
    EXPECT_EQ(strings(report->objectForKey("pages")), scrolls);
    window->setHidden(true);
}

TEST(AdwickFlexTest, RichAdFromTheAdHostIsShownAndClicked) {
    BannerEnv env;
    std::error_code ec;
    std::filesystem::create_directories("screenshots", ec);
    auto publisher = std::make_shared<testing::Publisher>();
    publisher->kind = "markup";
    auto view = std::dynamic_pointer_cast<AdwickViewInternal>(AdwickView::requestAdWithDelegate(publisher));
    BannerEnv::pump([&] { return publisher->received + publisher->failed > 0; });
    ASSERT_EQ(publisher->received, 1);
    auto container =
        std::dynamic_pointer_cast<AdwickFlexAdContainerView>(view->viewWithTag(AdwickController::kDisplayedTag));
    ASSERT_TRUE(container);
    EXPECT_EQ(container->subviews().size(), 4U);

    ASSERT_TRUE(view->screenshot());
    EXPECT_TRUE(ui::testing::saveScreenshot(*view, "adwick-flex.png"));
    ASSERT_TRUE(container->dateOfFirstRender());
    EXPECT_TRUE(container->ad());
    EXPECT_TRUE(BannerEnv::pump([&] { return env.hits("/adwick/pixel/cpm") == 1; }));
    env.advance(1);

    container->click();
    BannerEnv::pump([&] { return env.hits("/adwick/click") == 1; });
    std::string body;
    for (const auto& request : env.host().server().requests()) {
        if (request.path == "/adwick/click") {
            body = request.body;
        }
    }
    EXPECT_NE(body.find(R"("interactions":{)"), std::string::npos) << body;
}

} // namespace
} // namespace zelvan::adwick
