// The image picker: source availability, a picker presented modally whose choice or cancel reaches
// the delegate (which dismisses it), the square crop with editing allowed, and the media-info call
// taking precedence over the image call.
#include <memory>
#include <string>

#include "controllers_test_support.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/ui/image_picker_controller.h"
#include "platform/ui/navigation_bar.h"
#include "platform/ui/testing/picker_driver.h"

namespace ui {
namespace {

using namespace controllers_test;
using ui::testing::PickerDriver;
using Source = ImagePickerControllerSourceType;

// A photo: the left half red, the right half blue.
gfx::ImagePtr photo(int width, int height) {
    gfx::beginImageContext({static_cast<double>(width), static_cast<double>(height)});
    const auto ctx = gfx::getCurrentContext();
    ctx->setFillColor(gfx::Color::red());
    ctx->fillRect(gfx::Rect(0, 0, width / 2.0, height));
    ctx->setFillColor(gfx::Color::blue());
    ctx->fillRect(gfx::Rect(width / 2.0, 0, width / 2.0, height));
    auto image = gfx::imageFromCurrentImageContext();
    gfx::endImageContext();
    return image;
}

// The caller: records what it hears and dismisses the picker, as product code does.
class AvatarChooser : public ImagePickerControllerDelegate {
public:
    explicit AvatarChooser(std::shared_ptr<ViewController> presenter) : presenter_(std::move(presenter)) {}
    std::vector<std::string> heard;
    gfx::ImagePtr image;
    std::optional<ImagePickerInfo> editingInfo;
    bool wantsMediaInfo = false;

    void imagePickerControllerDidFinishPickingImage(ImagePickerController&, const gfx::ImagePtr& picked,
                                                    const ImagePickerInfo* info) override {
        heard.push_back("image");
        image = picked;
        editingInfo = info ? std::optional<ImagePickerInfo>(*info) : std::nullopt;
        presenter_->dismissModalViewControllerAnimated(Animated::Yes);
    }
    bool imagePickerControllerDidFinishPickingMediaWithInfo(ImagePickerController&,
                                                            const ImagePickerInfo& info) override {
        if (!wantsMediaInfo) {
            return false;
        }
        heard.push_back("media " + info.mediaType);
        image = info.originalImage;
        presenter_->dismissModalViewControllerAnimated(Animated::No);
        return true;
    }
    void imagePickerControllerDidCancel(ImagePickerController&) override {
        heard.push_back("cancel");
        presenter_->dismissModalViewControllerAnimated(Animated::Yes);
    }

private:
    std::shared_ptr<ViewController> presenter_;
};

class ImagePickerTest : public ControllersTest {
protected:
    void SetUp() override {
        ControllersTest::SetUp();
        profile_ = controller("Profile");
        window_->setRootViewController(profile_);
        chooser_ = std::make_shared<AvatarChooser>(profile_);
    }
    void TearDown() override {
        ImagePickerController::setSourceTypeAvailable(Source::Camera, false);
        ControllersTest::TearDown();
    }
    std::shared_ptr<ImagePickerController> present(bool editing = false) {
        auto picker = std::make_shared<ImagePickerController>();
        picker->setDelegate(chooser_);
        picker->setAllowsImageEditing(editing);
        profile_->presentModalViewController(picker, Animated::Yes);
        finishAnimations();
        return picker;
    }

    std::shared_ptr<RecordingController> profile_;
    std::shared_ptr<AvatarChooser> chooser_;
};

TEST_F(ImagePickerTest, SourcesAreConfigurableAndTheCameraIsOffByDefault) {
    EXPECT_TRUE(ImagePickerController::isSourceTypeAvailable(Source::PhotoLibrary));
    EXPECT_TRUE(ImagePickerController::isSourceTypeAvailable(Source::SavedPhotosAlbum));
    EXPECT_FALSE(ImagePickerController::isSourceTypeAvailable(Source::Camera));
    EXPECT_FALSE(ImagePickerController::isSourceTypeAvailable(static_cast<Source>(7)));
    EXPECT_EQ(static_cast<int>(Source::Camera), 1);

    auto picker = std::make_shared<ImagePickerController>();
    EXPECT_EQ(picker->sourceType(), Source::PhotoLibrary);
    EXPECT_FALSE(picker->allowsImageEditing());
    fnd::testing::LogCapture log;
    picker->setSourceType(Source::Camera);
    EXPECT_EQ(picker->sourceType(), Source::PhotoLibrary);
    EXPECT_TRUE(log.contains("not available"));

    ImagePickerController::setSourceTypeAvailable(Source::Camera, true);
    picker->setSourceType(Source::Camera);
    EXPECT_EQ(picker->sourceType(), Source::Camera);
    // The picker's first screen is titled by its source.
    ASSERT_TRUE(picker->view());
    ASSERT_EQ(picker->viewControllers().size(), 1u);
    EXPECT_EQ(picker->topViewController()->title(), "Camera");
    picker->setSourceType(Source::SavedPhotosAlbum);
    EXPECT_EQ(picker->topViewController()->title(), "Saved Photos");
}

TEST_F(ImagePickerTest, ChoosingAPhotoReachesTheDelegateWhichDismisses) {
    take();
    EXPECT_EQ(PickerDriver::visible(), nullptr);
    auto picker = present();
    EXPECT_EQ(profile_->modalViewController(), picker);
    EXPECT_EQ(PickerDriver::visible(), picker);
    EXPECT_EQ(take(), (Log{"Profile.willDisappear*", "Profile.didDisappear*"}));

    const auto chosen = photo(40, 20);
    ASSERT_TRUE(PickerDriver::pick(chosen));
    EXPECT_EQ(chooser_->heard, (std::vector<std::string>{"image"}));
    EXPECT_EQ(chooser_->image, chosen); // no editing: the original, without editing info
    EXPECT_FALSE(chooser_->editingInfo);
    finishAnimations();
    EXPECT_EQ(profile_->modalViewController(), nullptr);
    EXPECT_EQ(PickerDriver::visible(), nullptr);
    EXPECT_EQ(take(), (Log{"Profile.willAppear*", "Profile.didAppear*"}));

    fnd::testing::LogCapture log;
    EXPECT_FALSE(PickerDriver::pick(chosen));
    EXPECT_FALSE(PickerDriver::cancel());
    EXPECT_TRUE(log.contains("no image picker is showing"));
}

TEST_F(ImagePickerTest, CancelButtonTellsTheDelegate) {
    auto picker = present();
    // The Cancel button sits on the right of the picker's bar; the driver taps it.
    ASSERT_TRUE(PickerDriver::cancel());
    EXPECT_EQ(chooser_->heard, (std::vector<std::string>{"cancel"}));
    EXPECT_EQ(chooser_->image, nullptr);
    finishAnimations();
    EXPECT_EQ(PickerDriver::visible(), nullptr);
    EXPECT_EQ(profile_->modalViewController(), nullptr);
}

TEST_F(ImagePickerTest, EditingCropsToACentredSquare) {
    present(true);
    fnd::testing::LogCapture log;
    EXPECT_FALSE(PickerDriver::pick(nullptr));
    EXPECT_TRUE(log.contains("no image was picked"));
    EXPECT_TRUE(chooser_->heard.empty());

    const auto original = photo(60, 20);
    ASSERT_TRUE(PickerDriver::pick(original));
    ASSERT_TRUE(chooser_->image);
    EXPECT_EQ(chooser_->image->width(), 20);
    EXPECT_EQ(chooser_->image->height(), 20);
    // The crop is the middle 20 pixels: red on its left, blue on its right.
    EXPECT_EQ(chooser_->image->pixelAt(2, 10), (gfx::Rgba8{255, 0, 0, 255}));
    EXPECT_EQ(chooser_->image->pixelAt(17, 10), (gfx::Rgba8{0, 0, 255, 255}));
    ASSERT_TRUE(chooser_->editingInfo);
    EXPECT_EQ(chooser_->editingInfo->originalImage, original);
    EXPECT_EQ(chooser_->editingInfo->cropRect, gfx::Rect(20, 0, 20, 20));
    finishAnimations();
}

TEST_F(ImagePickerTest, MediaInfoCallTakesPrecedence) {
    chooser_->wantsMediaInfo = true;
    present();
    const auto chosen = photo(10, 10);
    ASSERT_TRUE(PickerDriver::pick(chosen));
    EXPECT_EQ(chooser_->heard, (std::vector<std::string>{"media public.image"}));
    EXPECT_EQ(chooser_->image, chosen);
    EXPECT_EQ(profile_->modalViewController(), nullptr);
}

} // namespace
} // namespace ui
