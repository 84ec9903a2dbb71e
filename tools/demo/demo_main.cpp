// zelvan-demo: the demo driver behind `make run`. It runs the client in this process against a dev
// server and plays its user with the platform's input drivers: the messenger's lists, the friend's
// chat, a reply typed on the keyboard and the friend's answer, then the Games tab's lobby and a game
// played alone to its result and score, with a screenshot of each screen and a summary at the end.
// A step that does not happen in time ends the run with exit code 1.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "app/client_session.h"
#include "core/launch_options.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/log.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/fake_reachability.h"
#include "platform/foundation/thread.h"
#include "tools/demo/demo_adwick_steps.h"
#include "tools/demo/demo_brightpoint_steps.h"
#include "tools/demo/demo_brightpoint_store_steps.h"
#include "tools/demo/demo_game_steps.h"
#include "tools/demo/demo_goods_store_steps.h"
#include "tools/demo/demo_kavlo_steps.h"
#include "tools/demo/demo_leaderboard_steps.h"
#include "tools/demo/demo_marlin_steps.h"
#include "tools/demo/demo_mediation_steps.h"
#include "tools/demo/demo_messenger_steps.h"
#include "tools/demo/demo_offer_wall_steps.h"
#include "tools/demo/demo_selvo_steps.h"
#include "tools/demo/demo_session.h"
#include "tools/demo/demo_summary.h"
#include "tools/demo/demo_tallio_steps.h"

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

// The driver's own options on `cli`; what it does not know is left for the client's command line.
void addDriverOptions(CLI::App& cli, DriverOptions& options) {
    cli.allow_extras();
    cli.add_option("--step-seconds", options.stepSeconds, "how long each step may wait for what it expects")
        ->default_val(options.stepSeconds)
        ->check(CLI::Range(0.1, 3600.0));
    cli.add_option("--friend", options.friendId, "the user id whose line the user answers")
        ->default_val(options.friendId)
        ->check(CLI::Range(1, std::numeric_limits<int>::max()));
    cli.add_option("--reply", options.reply, "what the user answers")->default_str(options.reply);
    cli.footer(std::string("The client's own options follow (--screenshots defaults to ") + kDefaultScreens +
               "; --run-seconds and --tab are the plain client's):\n" + zelvan::LaunchOptions::usage());
}

} // namespace

int main(int argc, char** argv) {
    using namespace zelvan;
    DriverOptions driver;
    CLI::App cli{"The demo driver: the client against a dev server, its user played by the test drivers.",
                 "zelvan-demo"};
    addDriverOptions(cli, driver);
    try {
        cli.parse(argc, argv);
        driver.clientArgs = cli.remaining();
        for (const std::string& arg : driver.clientArgs) {
            if (arg == "--run-seconds" || arg == "--tab") {
                throw CLI::ValidationError(arg +
                                           " is the plain client's; the demo decides when to stop and which tab shows");
            }
        }
    } catch (const CLI::ParseError& e) {
        return cli.exit(e) == 0 ? EXIT_SUCCESS : 2;
    }
    auto parsed = LaunchOptions::parse(driver.clientArgs);
    if (!parsed.ok()) {
        std::fprintf(stderr, "zelvan-demo: %s\nRun with --help for more information.\n",
                     parsed.error().localizedDescription().c_str());
        return 2;
    }
    LaunchOptions options = parsed.value();
    if (!options.account) {
        std::fprintf(stderr, "zelvan-demo: --account is required\nRun with --help for more information.\n");
        return 2;
    }
    if (options.home) {
        setenv("ZELVAN_HOME", options.home->c_str(), 1);
    }
    // The software GL renderer rasterises on the calling thread, as in the tests: the same frames, and no
    // threads of the (uninstrumented) driver drawing beside the client under ThreadSanitizer.
    setenv("LP_NUM_THREADS", "0", 0);
    fnd::initMainThread();
    // Reachability reads the default route, which a CI machine may lack; the demo's servers are loopback.
    auto reachability = fnd::testing::FakeReachability::install();
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
    // The page ad slot follows the server's feature lists: the first (at log-in) hands it to the offer
    // network's banner, the Kavlo and hook-ad steps ask for the next ones.
    if (session.steps.waitFor("sign in", [&] { return !session.delegate->loggedout(); }) &&
        demo::runBoughtGoodsPromptSteps(session) && demo::runMessengerSteps(session) && demo::runAdwickSteps(session) &&
        demo::runSelvoSteps(session) && demo::runMediationSteps(session) && demo::runKavloSteps(session) &&
        demo::runKavloBannerSteps(session) && demo::runMarlinSteps(session) && demo::runTallioSteps(session)) {
        if (demo::runGameSteps(session) && demo::runBrightpointSteps(session) &&
            demo::runBrightpointStoreSteps(session)) {
            if (demo::runOfferWallSteps(session) && demo::runGoodsStoreSteps(session)) {
                demo::runLeaderboardSteps(session);
            }
        }
    }

    const std::string summary = demo::demoSummary(session);
    app::finishClient(*session.delegate);
    // The client's last posted work runs before the process ends.
    fnd::RunLoop::main().runUntilIdle();
    std::fputs(summary.c_str(), stdout);
    std::fflush(stdout);
    return session.steps.failed() ? EXIT_FAILURE : EXIT_SUCCESS;
}
