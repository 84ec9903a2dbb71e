// A client launched against a loopback dev server with the messenger controller as its messenger: the
// demo account signs in; everything is stopped and its files removed again when the object goes.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/state_files.h"
#include "core/zelvan_app_delegate.h"
#include "messaging/avatars/messenger_card_pictures.h"
#include "messaging/lists/im_controller.h"
#include "platform/foundation/run_loop.h"
#include "tools/devserver/dev_server.h"
#include "tools/devserver/dev_web_server.h"
#include "web/zelvan_web_cache.h"

namespace zelvan {

class LaunchedMessenger {
public:
    using MessengerFactory = std::function<std::shared_ptr<IMController>(zelvanAppDelegate&)>;

    // The demo account alone, and with the demo world (friends, groups, rooms) around it.
    static devserver::DevServerOptions demoAccount() {
        devserver::DevServerOptions options;
        options.accounts = {{"5550100", "secret", "Demo Player", 1001}};
        return options;
    }
    static devserver::DevServerOptions demoWorld() {
        auto options = demoAccount();
        options.demoMessenger = true;
        return options;
    }

    explicit LaunchedMessenger(const devserver::DevServerOptions& options = demoWorld()) : server_(options) {
        deletefile(ContactManage::kContactFile);
        config_.serverHost = "127.0.0.1";
    }
    ~LaunchedMessenger() {
        if (messenger_) {
            messenger_->waitForSync();
        }
        messenger_.reset();
        if (installed_) {
            zelvanAppDelegate::setInstance(nullptr);
        }
        delegate_.reset();
        for (const auto& stop : stops_) {
            stop();
        }
        if (web_) {
            web_->stop();
        }
        server_.stop();
        fnd::RunLoop::main().runUntilIdle();
        deletefile(zelvanAppDelegate::kAccountFile);
        deletefile(ContactManage::kContactFile);
        deletefile(ContactManage::kIMFile);
    }
    LaunchedMessenger(const LaunchedMessenger&) = delete;
    LaunchedMessenger& operator=(const LaunchedMessenger&) = delete;

    // Before launch(): the client's configuration, and services other than the messenger.
    AppConfig& config() { return config_; }
    AppRegistry& registry() { return registry_; }
    // Makes the messenger some other way than IMController::create (a subclass, more wiring).
    void setMessengerFactory(MessengerFactory make) { makeMessenger_ = std::move(make); }
    // Installs the delegate as the application's instance while the client runs, as the application does.
    void installAsInstance() { installed_ = true; }
    // Draws the cards' pictures as the messenger does (heads, group and room badges).
    void useCardPictures() {
        registry_.cardPictureRule.factory =
            ServiceSlot<CardPictureRule>::fixed(std::make_shared<MessengerCardPictures>());
    }
    // Runs `stop` once the client is gone and before the server stops: for helpers the test started that
    // look at the server (a voice relay checking its log-ins).
    void stopBeforeServer(std::function<void()> stop) { stops_.push_back(std::move(stop)); }
    // Runs `connect` on the delegate after it is made and before it launches (the application's
    // connectServices, say).
    void beforeLaunch(std::function<void(zelvanAppDelegate&)> connect) { beforeLaunch_ = std::move(connect); }

    // Before launch(): serves `root` (also the server options' webRoot) over a loopback web server for
    // the server's live log-ins, points the client at it and, as the application wires it, lets the
    // photo viewer take its pictures from the web cache.
    ::testing::AssertionResult serveWeb(const std::string& root) {
        web_ = std::make_unique<devserver::DevWebServer>(
            devserver::DevWebServerOptions{0, root},
            [server = &server_](const std::string& key) { return server->hasLiveSessionKey(key); });
        if (!web_->start()) {
            return ::testing::AssertionFailure() << "the dev web server did not start";
        }
        config_.webHost = webHost();
        registry_.zelvanWebCache.factory = [](zelvanAppDelegate& delegate) {
            return ZelvanWebCache::makeForDelegate(delegate);
        };
        registry_.photoSource.factory = [](zelvanAppDelegate& delegate) -> std::shared_ptr<PhotoSource> {
            return std::dynamic_pointer_cast<ZelvanWebCache>(delegate.zelvanWebCache());
        };
        return ::testing::AssertionSuccess();
    }
    std::string webHost() const { return "127.0.0.1:" + std::to_string(web_ ? web_->port() : 0); }

    // Starts the server and the client with the stored demo account; true once signed in and, if given,
    // once `ready` holds for the messenger.
    ::testing::AssertionResult launch(const std::function<bool(IMController&)>& ready = {}) {
        if (!server_.start()) {
            return ::testing::AssertionFailure() << "the dev server did not start";
        }
        writefile(zelvanAppDelegate::kAccountFile,
                  fnd::Value::dictionary({{"phone", "5550100"}, {"password", "secret"}}));
        config_.serverPort = server_.port();
        registry_.im.factory = [this](zelvanAppDelegate& delegate) -> std::shared_ptr<MessengerService> {
            messenger_ = makeMessenger_ ? makeMessenger_(delegate) : IMController::create(delegate.shared_from_this());
            return messenger_;
        };
        delegate_ = zelvanAppDelegate::create(config_, std::move(registry_));
        if (installed_) {
            zelvanAppDelegate::setInstance(delegate_);
        }
        if (beforeLaunch_) {
            beforeLaunch_(*delegate_);
        }
        delegate_->applicationDidFinishLaunching();
        if (!fnd::RunLoop::main().pumpUntil([&] { return !delegate_->loggedout(); }, 10.0)) {
            return ::testing::AssertionFailure() << "the client did not sign in";
        }
        if (ready && !fnd::RunLoop::main().pumpUntil([&] { return messenger_ && ready(*messenger_); }, 10.0)) {
            return ::testing::AssertionFailure() << "the messenger did not get ready";
        }
        return ::testing::AssertionSuccess();
    }
    // Whether the server received exactly `packet`, waiting for it.
    bool serverReceived(const fnd::Value& packet, double seconds = 10.0) {
        return fnd::RunLoop::main().pumpUntil(
            [&] {
                for (const auto& got : server_.received()) {
                    if (got.packet == packet) {
                        return true;
                    }
                }
                return false;
            },
            seconds);
    }
    // Shows the messenger's tab.
    void showMessenger() { delegate_->switchTab(zelvanAppDelegate::TabMessenger, ui::Animated::No); }

    devserver::DevServer& server() { return server_; }
    const devserver::DevServer& server() const { return server_; }
    const std::shared_ptr<zelvanAppDelegate>& delegate() const { return delegate_; }
    const std::shared_ptr<IMController>& messenger() const { return messenger_; }

private:
    devserver::DevServer server_;
    std::unique_ptr<devserver::DevWebServer> web_;
    AppConfig config_;
    AppRegistry registry_;
    MessengerFactory makeMessenger_;
    std::vector<std::function<void()>> stops_;
    std::function<void(zelvanAppDelegate&)> beforeLaunch_;
    bool installed_ = false;
    std::shared_ptr<zelvanAppDelegate> delegate_;
    std::shared_ptr<IMController> messenger_;
};

} // namespace zelvan
