// Library files and pattern images over HTTP: the main loop keeps turning while a host holds a load, the
// earlier library stays until an answer comes, a newer load ends an older one, a failure keeps what was
// there, and a view that goes ends its loads.
#include <gtest/gtest.h>

#include <GLES/gl.h>
#include <GLES/glext.h>

#include <asio/buffer.hpp>
#include <asio/write.hpp>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>

#include "ads/marlin/animation/mn_animation_view.h"
#include "ads/marlin/animation/mn_character.h"
#include "ads/marlin/animation/mn_pattern.h"
#include "ads/marlin/animation/mn_shape.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/property_list.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/foundation/testing/loopback_peer.h"
#include "platform/foundation/testing/refused_port.h"
#include "platform/foundation/timer.h"
#include "platform/graphics/bitmap_context.h"

namespace zelvan::marlin {
namespace {

using fnd::Value;

// A host on 127.0.0.1 for one connection: it reads the request and then stays silent, or, given a body,
// answers with it once released; either way it notes when the client closes the connection.
class HeldHost {
public:
    explicit HeldHost(std::string body = {}, std::string type = "application/xml")
        : body_(std::move(body)), type_(std::move(type)), peer_([this](asio::ip::tcp::socket& s) { serve(s); }) {}
    ~HeldHost() { release(); }

    fnd::Url url(const std::string& path) const {
        return *fnd::Url::parse("http://127.0.0.1:" + std::to_string(peer_.port()) + path);
    }
    bool asked() const { return asked_; }
    bool closed() const { return closed_; }
    void release() {
        std::lock_guard lock(mutex_);
        released_ = true;
        cv_.notify_all();
    }

private:
    void serve(asio::ip::tcp::socket& socket) {
        char buffer[4096];
        std::error_code ec;
        socket.read_some(asio::buffer(buffer), ec);
        asked_ = !ec;
        if (!ec && !body_.empty()) {
            std::unique_lock lock(mutex_);
            cv_.wait(lock, [this] { return released_; });
            const std::string reply = "HTTP/1.1 200 OK\r\nContent-Type: " + type_ +
                                      "\r\nContent-Length: " + std::to_string(body_.size()) +
                                      "\r\nConnection: close\r\n\r\n" + body_;
            asio::write(socket, asio::buffer(reply), ec);
        }
        while (!ec) {
            socket.read_some(asio::buffer(buffer), ec);
        }
        closed_ = true;
    }

    const std::string body_;
    const std::string type_;
    std::atomic<bool> asked_ = false;
    std::atomic<bool> closed_ = false;
    std::mutex mutex_;
    std::condition_variable cv_;
    bool released_ = false;
    fnd::testing::LoopbackPeer peer_; // last: its thread starts once the fields above exist
};

std::string plist(const Value& patterns, const Value& shapes) {
    return *fnd::PropertyList::write(Value::dictionary({{"patterns", patterns}, {"shapes", shapes}}));
}

// A library of two shapes, "a" and "b", with a solid pattern, or one of shape "c" alone.
std::string twoShapes() {
    return plist(Value::dictionary({{"red", Value::dictionary({{"type", "solid"}, {"color", "#FF0000FF"}})}}),
                 Value::dictionary({{"a", Value::dictionary({{"w", 1}})}, {"b", Value::dictionary({{"w", 2}})}}));
}
std::string oneShape() {
    return plist(Value::dictionary(), Value::dictionary({{"c", Value::dictionary({{"w", 3}})}}));
}

fnd::Bytes bytesOf(const std::string& text) {
    return fnd::Bytes(text.begin(), text.end());
}

bool pumpUntil(const std::function<bool()>& pred) {
    return fnd::RunLoop::main().pumpUntil(pred);
}

class MNLibraryLoadTest : public ::testing::Test {
protected:
    void SetUp() override { clock_ = fnd::ManualClock::install(); }
    void TearDown() override { fnd::Clock::install(nullptr); }

    std::shared_ptr<fnd::ManualClock> clock_;
};

TEST_F(MNLibraryLoadTest, ASilentHostNeitherStopsTheLoopNorTakesTheLibrary) {
    auto view = ui::View::create<MNAnimationView>(gfx::Rect(0, 0, 320, 480));
    ASSERT_TRUE(view->loadPropertiesFromData(
        bytesOf(plist(Value::dictionary({{"tile", Value::dictionary({{"type", "image"}, {"path", "tile.png"}})}}),
                      Value::dictionary({{"a", Value::dictionary({{"w", 1}})}})))));
    HeldHost host;
    int fired = 0;
    auto timer = fnd::Timer::scheduled(1, fnd::Repeats::Yes, [&](fnd::Timer&) { ++fired; });

    view->setBaseURL(host.url("/ads"));
    view->loadPropertiesFromFile("anim.plist");
    auto tile = view->patternInstanceWithKey("tile", "tile", true); // its image from the same host
    ASSERT_TRUE(pumpUntil([&] { return host.asked(); }));
    fnd::RunLoop::main().advance(5);
    EXPECT_EQ(fired, 5);
    EXPECT_EQ(view->shapeLibraryKeys(), std::vector<std::string>{"a"});
    EXPECT_EQ(tile->image(), nullptr);
    EXPECT_FALSE(host.closed());
    timer->invalidate();

    // The view going ends its loads: the host sees the connection closed.
    view.reset();
    EXPECT_TRUE(pumpUntil([&] { return host.closed(); }));
}

TEST_F(MNLibraryLoadTest, AnAnswerIsAppliedWhenItComesAndANewerLoadEndsAnOlderOne) {
    auto view = ui::View::create<MNAnimationView>(gfx::Rect(0, 0, 320, 480));
    ASSERT_TRUE(view->loadPropertiesFromData(bytesOf(oneShape())));
    HeldHost older;
    HeldHost later(twoShapes());
    view->setBaseURL(older.url("/ads"));
    view->loadPropertiesFromFile("old.plist");
    ASSERT_TRUE(pumpUntil([&] { return older.asked(); }));
    view->setBaseURL(later.url("/ads"));
    view->loadPropertiesFromFile("new.plist");
    ASSERT_TRUE(pumpUntil([&] { return older.closed() && later.asked(); }));
    EXPECT_EQ(view->shapeLibraryKeys(), std::vector<std::string>{"c"});

    later.release();
    ASSERT_TRUE(pumpUntil([&] { return view->shapeLibraryKeys().size() == 2; }));
    EXPECT_EQ(view->patternLibraryKeys(), std::vector<std::string>{"red"});

    // A host that refuses the connection: one WARN, and the library stays.
    fnd::testing::LogCapture log;
    view->setBaseURL(fnd::Url::parse(fnd::testing::refusedUrl("/ads")));
    view->loadPropertiesFromFile("anim.plist");
    ASSERT_TRUE(pumpUntil([&] { return log.count("PropertyList: ") == 1; }));
    EXPECT_EQ(view->shapeLibraryKeys().size(), 2u);
}

TEST_F(MNLibraryLoadTest, APatternImageThatComesLaterIsDrawnAtTheNextFrame) {
    auto view = MNEAGLView::createView<MNAnimationView>(gfx::Rect(0, 0, 64, 64));
    ASSERT_TRUE(view);
    auto blue = gfx::BitmapContext::create(1, 1, gfx::PixelFormat::Rgba8PremulLast);
    blue->setFillColor(gfx::Color(0, 0, 1, 1));
    blue->fillRect(gfx::Rect(0, 0, 1, 1));
    const fnd::Bytes png = gfx::pngRepresentation(*blue->makeImage());
    HeldHost host(std::string(png.begin(), png.end()), "image/png");
    view->setBaseURL(host.url("/ads"));
    auto square = [](double side) {
        auto seg = [](const char* action, double x, double y) {
            return Value::dictionary({{"action", action}, {"x", x}, {"y", y}});
        };
        return Value::dictionary(
            {{"paths", Value::array({Value::dictionary(
                           {{"path", Value::array({seg("m", 0, 0), seg("l", side, 0), seg("l", 0, side),
                                                   seg("l", -side, 0), seg("z", 0, 0)})},
                            {"fillId", "tile"}})})},
             {"x", 0},
             {"y", 0},
             {"w", side},
             {"h", side}});
    };
    ASSERT_TRUE(view->loadPropertiesFromData(
        bytesOf(plist(Value::dictionary({{"tile", Value::dictionary({{"type", "image"}, {"path", "tile.png"}})}}),
                      Value::dictionary({{"box", square(32)}})))));
    auto box = std::dynamic_pointer_cast<MNShape>(view->shapeInstanceWithKey("box", "box", true));
    view->root()->placeObj(box, 1);
    auto centre = [&] {
        view->renderScene();
        EXPECT_TRUE(ui::EaglContext::setCurrentContext(view->context()));
        view->context()->gl().bindFramebuffer(GL_FRAMEBUFFER_OES, view->viewFramebuffer());
        const gfx::Rgba8 pixel = view->context()->gl().readPixels()->pixelAt(16, 16);
        ui::EaglContext::setCurrentContext(nullptr);
        return pixel;
    };

    EXPECT_LT(centre().b, 64); // drawn before the image came
    ASSERT_TRUE(pumpUntil([&] { return host.asked(); }));
    host.release();
    ASSERT_TRUE(pumpUntil([&] { return view->patternInstanceWithKey("tile", "tile", false)->image() != nullptr; }));
    EXPECT_EQ(box->contentsTextureID(), MNShape::kNoTexture);
    EXPECT_GT(centre().b, 200);
}

} // namespace
} // namespace zelvan::marlin
