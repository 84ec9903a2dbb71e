// Tests of the session lifecycle: the first start, a killed run reported as crashed at the next start,
// delivery and failure bookkeeping of the stored sessions, the end during an upload, a report stalled at
// the end, records archived together, and the host's error hooks.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "analytics/tallio/tallio_ad_parser.h"
#include "analytics/tallio/tallio_api.h"
#include "analytics/tallio/tallio_session.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/ui/application.h"
#include "protocol/tracer.h"
#include "tests/analytics/tallio/tallio_test_support.h"
#include "tools/devserver/dev_ads_server.h"
#include "tools/devserver/dev_tallio_reply.h"

namespace zelvan::tallio::testing {
namespace {

using LifecycleTest = TallioTest;

bool exists(const std::string& path) {
    return std::filesystem::exists(path);
}

TEST_F(LifecycleTest, KilledRunIsReportedAsCrashedAndDeliveryEmptiesTheList) {
    // A run that records events and is killed without the termination notice.
    pid_t child = ::fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        TallioContext run{NetworkEndpoint()};
        auto session = TallioSession::createActiveTallioSession(run, kKey);
        session->recordEvent("open");
        session->recordEvent("play", fnd::Value::dictionary({{"level", 2}}));
        session->recordErrorText("E", "lost", "nil");
        ::kill(::getpid(), SIGKILL);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    EXPECT_FALSE(exists(fnd::AppFolders::library() + "/initialTimestamp.archive"));

    auto ctx = newRun();
    const std::string reply = devserver::DevTallioReplyWriter().version(7).bytes();
    sender_->answer(ReportReply{200, fnd::Bytes(reply.begin(), reply.end())});
    TallioAPI::startSession(kKey);
    ctx->waitForUpload();

    EXPECT_TRUE(exists(fnd::AppFolders::library() + "/initialTimestamp.archive"));
    auto calls = sender_->calls();
    ASSERT_EQ(calls.size(), 1U);
    EXPECT_EQ(calls[0].method, "POST");
    EXPECT_EQ(calls[0].url, "http://127.0.0.1:9/tallio/aap.do");
    EXPECT_EQ(calls[0].contentType, "application/octet-stream");
    EXPECT_EQ(calls[0].timeout, 20.0);
    auto report = lastReport();
    EXPECT_EQ(report.requestAds, 1);
    ASSERT_EQ(report.sessions.size(), 1U);
    EXPECT_EQ(report.sessions[0].length, -1);
    ASSERT_EQ(report.sessions[0].events.size(), 2U);
    EXPECT_EQ(report.sessions[0].events[1].parameters[0].second, "2");
    EXPECT_EQ(report.sessions[0].errors.size(), 1U);
    // Delivered: the list is empty, the marker made, the body parsed, the run marked online.
    EXPECT_TRUE(TallioSession::savedSessions(*ctx).empty());
    EXPECT_TRUE(TallioSession::sentSession(*ctx));
    EXPECT_EQ(ctx->adParser()->versionId(), 7);
    EXPECT_EQ(ctx->adParser()->adParsingPhase().get(), 1);
    EXPECT_TRUE(TallioSession::currentSession()->internetAvailable());

    // 399 counts as delivered too; this run (ended by the termination notice) goes out with it.
    ui::Application::shared().terminate();
    EXPECT_EQ(TallioSession::currentSession(), nullptr);
    TallioAPI::logEvent("after the end"); // nothing to record into
    EXPECT_FALSE(exists(TallioSession::currentSessionFilePath(kKey)));
    ASSERT_EQ(TallioSession::savedSessions(*ctx).size(), 1U);
    newRun();
    sender_->answer(ReportReply{399, {}});
    TallioAPI::startSession(kKey);
    context_->waitForUpload();
    report = lastReport();
    ASSERT_EQ(report.sessions.size(), 1U);
    EXPECT_GE(report.sessions[0].length, 0);
    EXPECT_EQ(report.device.size(), 2U);
    EXPECT_TRUE(TallioSession::savedSessions(*context_).empty());
}

TEST_F(LifecycleTest, FailedDeliveriesKeepEverySession) {
    devserver::DevAdsServer ads;
    auto host = devserver::addTallioRoutes(ads);
    ASSERT_TRUE(ads.start());
    host->setStatus(404);

    // Two earlier runs ended, their own start-up reports refused; the 404 at the ad host keeps both.
    sender_->answer(ReportReply{404, {}});
    for (int run = 0; run < 2; ++run) {
        newRun(ads.baseURL());
        TallioAPI::startSession(kKey);
        TallioAPI::logEvent("run" + std::to_string(run));
        TallioAPI::endSession();
    }
    auto ctx = newRun(ads.baseURL(), std::make_shared<UrlReportSender>());
    TallioAPI::startSession(kKey);
    ctx->waitForUpload();
    auto received = host->reports();
    ASSERT_EQ(received.size(), 1U);
    ASSERT_EQ(received[0].sessions.size(), 2U);
    EXPECT_EQ(received[0].sessions[1].events[0].name, "run1");
    EXPECT_EQ(TallioSession::savedSessions(*ctx).size(), 2U);
    EXPECT_FALSE(TallioSession::currentSession()->internetAvailable());
    EXPECT_FALSE(TallioSession::sentSession(*ctx));
    EXPECT_EQ(ctx->lastReport()->status, 404);

    // No reply at all (refused), and no address at all: the same.
    sender_->answer(std::nullopt);
    const size_t before = sender_->calls().size();
    newRun(ads.baseURL());
    TallioAPI::startSession(kKey);
    context_->waitForUpload();
    EXPECT_EQ(TallioSession::savedSessions(*context_).size(), 3U);
    EXPECT_FALSE(TallioSession::currentSession()->internetAvailable());
    newRun("");
    TallioAPI::startSession(kKey);
    context_->waitForUpload();
    EXPECT_EQ(sender_->calls().size(), before + 1); // nothing sent without an address
    EXPECT_EQ(TallioSession::savedSessions(*context_).size(), 4U);

    // Close mode: the report goes without asking for ads, within 5 s, and the sessions stay stored.
    sender_->answer(ReportReply{200, {}});
    newRun();
    TallioAPI::startSession(kKey);
    context_->waitForUpload();
    TallioAPI::logEvent("x");
    TallioAPI::setSessionReportsOnCloseEnabled(true);
    TallioAPI::endSession();
    context_->waitForUpload();
    auto calls = sender_->calls();
    ASSERT_EQ(calls.size(), before + 3);
    EXPECT_EQ(calls.back().timeout, 5.0);
    auto closing = lastReport();
    EXPECT_EQ(closing.requestAds, 0);
    ASSERT_EQ(closing.sessions.size(), 1U);
    EXPECT_EQ(closing.apiKey, kKey);
    EXPECT_EQ(TallioSession::savedSessions(*context_).size(), 1U);
    host->releaseStalls();
}

TEST_F(LifecycleTest, EndDuringAHeldUploadKeepsTheEndedSession) {
    newRun();
    TallioAPI::startSession(kKey);
    TallioAPI::endSession();
    context_->waitForUpload();
    sender_->hold();
    auto ctx = newRun();
    TallioAPI::startSession(kKey);
    sender_->waitForCalls(2);
    TallioAPI::logEvent("during");
    TallioAPI::endSession(); // stored while the report of the earlier run is on its way
    sender_->release();
    ctx->waitForUpload();
    auto stored = TallioSession::savedSessions(*ctx);
    ASSERT_EQ(stored.size(), 1U);
    ASSERT_EQ(stored[0]->eventLog().size(), 1U);
    EXPECT_EQ(stored[0]->eventLog()[0].name, "during");
}

TEST_F(LifecycleTest, TheEndGivesUpAStalledReportAndItsSessionsGoAtTheNextStart) {
    devserver::DevAdsServer ads;
    auto host = devserver::addTallioRoutes(ads);
    ASSERT_TRUE(ads.start());
    // An earlier run, ended with no server to report to.
    newRun("");
    TallioAPI::startSession(kKey);
    TallioAPI::logEvent("earlier");
    TallioAPI::endSession();

    host->setStatus(0);
    auto ctx = newRun(ads.baseURL(), std::make_shared<UrlReportSender>());
    TallioAPI::startSession(kKey);
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return host->reports().size() == 1; }, 20));
    {
        fnd::testing::LogCapture log;
        ctx->finishUpload(0);
        EXPECT_EQ(log.count("no answer within"), 1U);
    }
    EXPECT_EQ(ctx->lastReport()->status, 0);
    ASSERT_EQ(TallioSession::savedSessions(*ctx).size(), 1U);
    host->releaseStalls();

    // The next start reports it, with the run that never ended as crashed.
    host->setStatus(200);
    auto next = newRun(ads.baseURL(), std::make_shared<UrlReportSender>());
    TallioAPI::startSession(kKey);
    next->waitForUpload();
    auto received = host->reports();
    ASSERT_EQ(received.size(), 2U);
    ASSERT_EQ(received[1].sessions.size(), 2U);
    EXPECT_EQ(received[1].sessions[0].events[0].name, "earlier");
    EXPECT_TRUE(TallioSession::savedSessions(*next).empty());
}

TEST_F(LifecycleTest, RecordsAreArchivedTogetherAfterADelayAndErrorsAtOnce) {
    auto ctx = newRun();
    TallioAPI::startSession(kKey);
    ctx->waitForUpload();
    // The events in the current-session file.
    const auto archivedEvents = []() -> size_t {
        auto bytes = fnd::readFile(TallioSession::currentSessionFilePath(kKey));
        if (!bytes) {
            return 999;
        }
        auto session = TallioSession::readSessionArchive(*bytes);
        return session.ok() ? session.value()->eventLog().size() : 999;
    };
    TallioAPI::logEvent("a");
    TallioAPI::logEvent("b");
    EXPECT_EQ(archivedEvents(), 0U);
    fnd::RunLoop::main().advance(TallioSession::kSaveDelay);
    EXPECT_EQ(archivedEvents(), 2U);

    // An error is archived at once, with the records before it.
    TallioAPI::logEvent("c");
    TallioAPI::logError("E", "failed", static_cast<const fnd::Error*>(nullptr));
    EXPECT_EQ(archivedEvents(), 3U);

    // The end stores the whole session; no delayed write brings the current-session file back.
    TallioAPI::logEvent("d");
    TallioAPI::endSession();
    fnd::RunLoop::main().advance(TallioSession::kSaveDelay);
    EXPECT_FALSE(exists(TallioSession::currentSessionFilePath(kKey)));
    ASSERT_EQ(TallioSession::savedSessions(*ctx).size(), 1U);
    EXPECT_EQ(TallioSession::savedSessions(*ctx)[0]->eventLog().size(), 4U);
}

TEST_F(LifecycleTest, HostHooksDamagedArchivesAndGuards) {
    // A damaged current-session file is moved aside with one line, and the start goes on.
    auto ctx = newRun();
    ASSERT_TRUE(fnd::writeFile(TallioSession::currentSessionFilePath(kKey), fnd::Bytes{0x0D, 0x7F}));
    ASSERT_TRUE(fnd::writeFile(TallioSession::sessionsFilePath(kKey), fnd::Bytes{0x05}));
    {
        fnd::testing::LogCapture log;
        TallioAPI::startSession(kKey);
        ctx->waitForUpload();
        EXPECT_EQ(log.count("moved aside"), 2U);
    }
    EXPECT_TRUE(exists(TallioSession::currentSessionFilePath(kKey) + ".damaged"));
    ASSERT_NE(TallioSession::currentSession(), nullptr);
    EXPECT_EQ(sender_->calls().size(), 1U);

    // A traced error becomes an error record under "ERROR-LOG".
    TallioAPI::installErrorHooks();
    ZTRACE_ERROR("disk %s is full", "one");
    auto session = TallioSession::currentSession();
    ASSERT_EQ(session->errors().size(), 1U);
    EXPECT_EQ(session->errors()[0].errorId, "ERROR-LOG");
    EXPECT_NE(session->errors()[0].message.find("disk one is full"), std::string::npos);

    // An exception inside a guarded operation goes no further.
    session->setSessionReportsOnCloseEnabled(true);
    sender_->setThrowing(true);
    EXPECT_NO_THROW(TallioAPI::endSession());
    EXPECT_EQ(TallioSession::savedSessions(*ctx).size(), 1U);
    Tracer::sharedTracer().setErrorRecorder(nullptr);
}

TEST_F(LifecycleTest, UncaughtExceptionIsRecordedBeforeTheProcessEnds) {
    auto ctx = newRun();
    TallioSession::createActiveTallioSession(*ctx, kKey);
    pid_t child = ::fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        ::close(STDERR_FILENO);
        TallioAPI::installErrorHooks();
        try {
            throw std::runtime_error("fatal");
        } catch (...) {
            std::terminate();
        }
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGABRT);
    auto saved = fnd::readFile(TallioSession::currentSessionFilePath(kKey));
    ASSERT_TRUE(saved.has_value());
    auto session = TallioSession::readSessionArchive(*saved);
    ASSERT_TRUE(session.ok());
    ASSERT_EQ(session.value()->errors().size(), 1U);
    EXPECT_EQ(session.value()->errors()[0].errorId, "UNCAUGHT");
    EXPECT_EQ(session.value()->errors()[0].exception, "std::runtime_error: fatal");
}

} // namespace
} // namespace zelvan::tallio::testing
