// Photo viewer: pictures answered from another thread shown scaled down to 240 x 180 with their
// aspect kept and centred, answers after a close dropped, and the placeholder (with a log line) for
// a missing picture or a missing source.
#include "toolkit/z_simple_photo_view.h"

#include <thread>

#include "platform/foundation/testing/log_capture.h"
#include "tests/support/scoped_app_delegate.h"
#include "window_fixture.h"

namespace zelvan {
namespace {

// Keeps each request for the test to answer.
class FakeSource : public PhotoSource {
public:
    void loadPhoto(const std::string& url, std::function<void(gfx::ImagePtr)> done) override {
        urls.push_back(url);
        pending.push_back(std::move(done));
    }
    // Answers request `request` from a thread of its own, then lets the main loop run.
    void answer(size_t request, gfx::ImagePtr image) {
        std::thread([done = pending.at(request), image = std::move(image)] { done(image); }).join();
        fnd::RunLoop::main().runUntilIdle();
    }
    std::vector<std::string> urls;
    std::vector<std::function<void(gfx::ImagePtr)>> pending;
};

gfx::ImagePtr solidImage(int width, int height) {
    return gfx::Image::fromPixels(width, height, fnd::Bytes(static_cast<size_t>(width) * height * 4, 0xff));
}

class PhotoViewTest : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        AppRegistry registry;
        registry.photoSource.factory = ServiceSlot<PhotoSource>::fixed(source_);
        delegate_.emplace(std::move(registry));
    }
    void TearDown() override {
        delegate_.reset();
        WindowFixture::TearDown();
    }
    std::shared_ptr<ZSimplePhotoView> show(const std::string& url) {
        auto photo = ZSimplePhotoView::initWithUrl(url);
        photo->showInView(window_);
        fnd::RunLoop::main().runUntilIdle();
        return photo;
    }

    std::shared_ptr<FakeSource> source_ = std::make_shared<FakeSource>();
    std::optional<ScopedAppDelegate> delegate_;
};

TEST_F(PhotoViewTest, PictureFitsTheMaximumSizeKeepingItsAspect) {
    EXPECT_EQ(ZSimplePhotoView::defaultMaxSize(), gfx::Size(240, 180));
    struct Case {
        int width, height;
        gfx::Rect frame; // in the 320 x 480 window
    };
    const Case cases[] = {
        {480, 240, gfx::Rect(40, 180, 240, 120)}, // wide: width bound
        {100, 300, gfx::Rect(130, 150, 60, 180)}, // tall: height bound
        {50, 40, gfx::Rect(135, 220, 50, 40)},    // small pictures are not blown up
    };
    for (const auto& c : cases) {
        const std::string url = "http://photos.test/" + std::to_string(c.width) + "x" + std::to_string(c.height);
        auto photo = show(url);
        ASSERT_EQ(source_->urls.back(), url);
        EXPECT_TRUE(photo->loadingIndicator()->isAnimating());
        EXPECT_EQ(photo->imageView()->image(), nullptr);

        const auto image = solidImage(c.width, c.height);
        source_->answer(source_->pending.size() - 1, image);
        EXPECT_FALSE(photo->loadingIndicator()->isAnimating()) << url;
        EXPECT_EQ(photo->imageView()->image(), image);
        EXPECT_EQ(photo->imageView()->frame(), c.frame) << url;

        // A tap anywhere closes it.
        tapIn(*window_, gfx::Rect(5, 5, 1, 1));
        EXPECT_EQ(photo->superview(), nullptr);
    }
}

TEST_F(PhotoViewTest, AnswersAfterCloseAreDropped) {
    auto photo = show("http://photos.test/late");
    tapIn(*window_, gfx::Rect(300, 460, 1, 1));
    EXPECT_EQ(photo->superview(), nullptr);
    source_->answer(0, solidImage(10, 10));
    EXPECT_EQ(photo->imageView()->image(), nullptr);
}

TEST_F(PhotoViewTest, MissingPictureOrSourceShowsThePlaceholder) {
    const auto placeholder = gfx::Image::imageNamed(ZSimplePhotoView::kPlaceholderImageName);
    ASSERT_NE(placeholder, nullptr);
    fnd::testing::LogCapture log;

    auto photo = show("http://photos.test/broken");
    source_->answer(0, nullptr);
    EXPECT_EQ(photo->imageView()->image(), placeholder);
    EXPECT_TRUE(log.contains("http://photos.test/broken could not be loaded"));

    delegate_.emplace(); // a registry without a photo source
    auto unsourced = show("http://photos.test/nowhere");
    EXPECT_EQ(unsourced->imageView()->image(), placeholder);
    EXPECT_TRUE(log.contains("no photo source to load http://photos.test/nowhere"));
    EXPECT_EQ(log.count("could not be loaded"), 1u);
}

} // namespace
} // namespace zelvan
