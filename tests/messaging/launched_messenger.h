// A client launched against a loopback dev server with the messenger controller as its messenger: the
// demo account signs in; everything is stopped and its files removed again when the object goes.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "core/state_files.h"
#include "core/zelvan_app_delegate.h"
#include "messaging/im_controller.h"
#include "platform/foundation/run_loop.h"
#include "tools/devserver/dev_server.h"

namespace zelvan {

class LaunchedMessenger {
public:
    static devserver::DevServerOptions demoWorld() {
        devserver::DevServerOptions options;
        options.accounts = {{"5550100", "secret", "Demo Player", 1001}};
        options.demoMessenger = true;
        return options;
    }

    explicit LaunchedMessenger(const devserver::DevServerOptions& options = demoWorld()) : server_(options) {
        deletefile(ContactManage::kContactFile);
    }
    ~LaunchedMessenger() {
        if (messenger_) {
            messenger_->waitForSync();
        }
        messenger_.reset();
        delegate_.reset();
        server_.stop();
        fnd::RunLoop::main().runUntilIdle();
        deletefile(zelvanAppDelegate::kAccountFile);
        deletefile(ContactManage::kContactFile);
        deletefile(ContactManage::kIMFile);
    }
    LaunchedMessenger(const LaunchedMessenger&) = delete;
    LaunchedMessenger& operator=(const LaunchedMessenger&) = delete;

    // Starts the server and the client with the stored demo account; true once signed in.
    ::testing::AssertionResult launch() {
        if (!server_.start()) {
            return ::testing::AssertionFailure() << "the dev server did not start";
        }
        writefile(zelvanAppDelegate::kAccountFile,
                  fnd::Value::dictionary({{"phone", "5550100"}, {"password", "secret"}}));
        AppConfig config;
        config.serverHost = "127.0.0.1";
        config.serverPort = server_.port();
        AppRegistry registry;
        registry.im.factory = [this](zelvanAppDelegate& delegate) -> std::shared_ptr<MessengerService> {
            messenger_ = IMController::create(delegate.shared_from_this());
            return messenger_;
        };
        delegate_ = zelvanAppDelegate::create(config, std::move(registry));
        delegate_->applicationDidFinishLaunching();
        if (!fnd::RunLoop::main().pumpUntil([&] { return !delegate_->loggedout(); }, 10.0)) {
            return ::testing::AssertionFailure() << "the client did not sign in";
        }
        return ::testing::AssertionSuccess();
    }

    devserver::DevServer& server() { return server_; }
    const std::shared_ptr<zelvanAppDelegate>& delegate() const { return delegate_; }
    const std::shared_ptr<IMController>& messenger() const { return messenger_; }

private:
    devserver::DevServer server_;
    std::shared_ptr<zelvanAppDelegate> delegate_;
    std::shared_ptr<IMController> messenger_;
};

} // namespace zelvan
