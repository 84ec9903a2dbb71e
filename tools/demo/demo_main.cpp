// zelvan-demo: the demo driver behind `make run`. It runs the client in this process against a dev
// server and plays its user with the platform's input drivers: the messenger's lists, the friend's
// chat, a reply typed on the keyboard and the friend's answer, then the Games tab's lobby and a game
// played alone to its result and score, with a screenshot of each screen and a summary at the end.
// A step that does not happen in time ends the run with exit code 1.
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "app/client_session.h"
#include "core/launch_options.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/log.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/thread.h"
#include "tools/demo/demo_game_steps.h"
#include "tools/demo/demo_messenger_steps.h"
#include "tools/demo/demo_session.h"
#include "tools/demo/demo_summary.h"

namespace {

// The user's reply to the friend; its letters go beyond Latin-1.
constexpr const char* kDefaultReply = "Cze\xC5\x9B\xC4\x87 Ada! Zagramy w karty?";
constexpr const char* kDefaultScreens = "build/run/screens";

struct DriverOptions {
    double stepSeconds = 15;
    int friendId = 2001;
    std::string reply = kDefaultReply;
    std::vector<std::string> clientArgs;
};

void usage(FILE* out) {
    std::fprintf(out,
                 "usage: zelvan-demo --server HOST:PORT --account PHONE:PASSWORD [--web HOST[:PORT]] [--home DIR]\n"
                 "                   [--screenshots DIR] [--audio-out FILE] [--idle-turns N]\n"
                 "                   [--step-seconds N] [--friend USER] [--reply TEXT]\n"
                 "  --screenshots defaults to %s\n"
                 "  --step-seconds: how long each step may wait for what it expects (default 15)\n"
                 "  --friend: the user id whose line the user answers (default 2001)\n",
                 kDefaultScreens);
}

bool parseNumber(std::string_view text, double& out) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size() && out > 0;
}

// Takes the driver's own options out of `args`; the rest are the client's. False on a bad value.
bool parseDriverOptions(const std::vector<std::string>& args, DriverOptions& options, std::string& error) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool own = arg == "--step-seconds" || arg == "--friend" || arg == "--reply";
        if (!own) {
            if (arg == "--run-seconds" || arg == "--tab") {
                error = arg + " is the plain client's; the demo decides when to stop and which tab shows";
                return false;
            }
            options.clientArgs.push_back(arg);
            continue;
        }
        if (i + 1 >= args.size()) {
            error = arg + " needs a value";
            return false;
        }
        const std::string& value = args[++i];
        double number = 0;
        if (arg == "--reply") {
            options.reply = value;
        } else if (!parseNumber(value, number)) {
            error = "bad value for " + arg + ": " + value;
            return false;
        } else if (arg == "--step-seconds") {
            options.stepSeconds = number;
        } else {
            options.friendId = static_cast<int>(number);
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    using namespace zelvan;
    DriverOptions driver;
    std::string error;
    if (!parseDriverOptions(std::vector<std::string>(argv + 1, argv + argc), driver, error)) {
        std::fprintf(stderr, "zelvan-demo: %s\n", error.c_str());
        usage(stderr);
        return 2;
    }
    auto parsed = LaunchOptions::parse(driver.clientArgs);
    if (!parsed.ok()) {
        std::fprintf(stderr, "zelvan-demo: %s\n", parsed.error().localizedDescription().c_str());
        usage(stderr);
        return 2;
    }
    LaunchOptions options = parsed.value();
    if (options.help) {
        usage(stdout);
        return EXIT_SUCCESS;
    }
    if (!options.account) {
        std::fprintf(stderr, "zelvan-demo: --account is required\n");
        usage(stderr);
        return 2;
    }
    if (options.home) {
        setenv("ZELVAN_HOME", options.home->c_str(), 1);
    }
    fnd::initMainThread();
    if (!fnd::AppFolders::setUp()) {
        ZLOG(Error, "zelvan-demo: cannot prepare the application folders under %s", fnd::AppFolders::root());
        return EXIT_FAILURE;
    }

    demo::DemoSession session(app::startClient(options), driver.stepSeconds,
                              options.screenshotFolder.value_or(kDefaultScreens));
    session.friendId = driver.friendId;
    session.reply = driver.reply;
    session.phone = options.account->phone;
    session.delegate->addLoginObserver(
        [&session](const LoginSession& login) { session.displayName = login.displayName; });

    session.delegate->applicationDidFinishLaunching();
    if (session.steps.waitFor("sign in", [&] { return !session.delegate->loggedout(); }) &&
        demo::runMessengerSteps(session)) {
        demo::runGameSteps(session);
    }

    const std::string summary = demo::demoSummary(session);
    app::finishClient(*session.delegate);
    // The client's last posted work runs before the process ends.
    fnd::RunLoop::main().runUntilIdle();
    std::fputs(summary.c_str(), stdout);
    std::fflush(stdout);
    return session.steps.failed() ? EXIT_FAILURE : EXIT_SUCCESS;
}
