// ZSimplePhotoView: a full-cover picture viewer - the covered view dimmed, a loading indicator until
// the picture arrives from the installed photo source, then the picture centred and scaled down to
// fit the default maximum size; a tap anywhere closes it.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "platform/graphics/geometry.h"
#include "platform/graphics/image.h"
#include "platform/ui/activity_indicator_view.h"
#include "platform/ui/image_view.h"
#include "platform/ui/view.h"
#include "toolkit/photo_source.h"

namespace zelvan {

class ZSimplePhotoView : public ui::View {
public:
    // The name of the bundle image shown when no picture can be had.
    static constexpr const char* kPlaceholderImageName = "photo_placeholder";

    // A viewer for the picture at `url`; it starts loading when shown.
    static std::shared_ptr<ZSimplePhotoView> initWithUrl(const std::string& url);

    // The largest size a picture is shown at: 240 x 180.
    static gfx::Size defaultMaxSize();

    // The source viewers load through: the application registry's (null: none; the viewer then shows
    // the placeholder).
    static std::shared_ptr<PhotoSource> photoSource();

    void initWithFrame(gfx::Rect frame) override;

    std::string className() const override { return "ZSimplePhotoView"; }

    const std::string& url() const { return url_; }

    // Covers `view` (dimmed), shows the loading indicator and asks the photo source for the picture.
    // Showing a viewer that is already shown only moves it to `view`.
    void showInView(const std::shared_ptr<ui::View>& view);

    // Whether the viewer waits for its picture.
    bool isLoading() const { return loading_; }
    // The view that shows the picture (or the placeholder); it has no image while loading.
    const std::shared_ptr<ui::ImageView>& imageView() const { return imageView_; }
    const std::shared_ptr<ui::ActivityIndicatorView>& loadingIndicator() const { return indicator_; }

    // Any tap closes the viewer.
    void touchesBegan(const ui::TouchSet& touches, const ui::Event* event) override;
    void touchesEnded(const ui::TouchSet& touches, const ui::Event* event) override;

    void layoutSubviews() override;

    // The frame a picture of `imageSize` takes in `bounds`: scaled down (never up) to fit
    // defaultMaxSize() with its aspect kept, centred, on whole points.
    static gfx::Rect pictureFrame(gfx::Size imageSize, gfx::Rect bounds);

private:
    // Starts a load through the photo source (or goes straight to the placeholder without one).
    void startLoading();
    // The answer of load number `load`, on the main thread.
    void photoArrived(uint64_t load, gfx::ImagePtr image);
    void showImage(gfx::ImagePtr image);
    void close();
    // The bundle's placeholder, or a drawn one when the bundle has none.
    static gfx::ImagePtr placeholderImage();

    std::string url_;
    std::shared_ptr<ui::ImageView> imageView_;
    std::shared_ptr<ui::ActivityIndicatorView> indicator_;
    bool loading_ = false;
    bool closed_ = false;
    // Numbers the loads, so an answer to an earlier showing is told apart from the current one.
    uint64_t load_ = 0;
};

} // namespace zelvan
