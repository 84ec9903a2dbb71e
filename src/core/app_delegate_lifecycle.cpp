// The application delegate's start and stop: the window, the command map's owners, the state files,
// the stored account, and the network and game threads.
#include "core/app_delegate_parts.h"
#include "core/state_files.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/interrupted_writes.h"
#include "platform/foundation/log.h"
#include "platform/foundation/run_loop.h"
#include "protocol/tracer.h"

namespace zelvan {

namespace {

// A state file's dictionary, or an empty one when it is missing or holds something else.
fnd::Value loadDictionary(const char* name) {
    fnd::Result<fnd::Value> stored = readfile(name);
    if (!stored) {
        logReadfileError(stored.error());
        return fnd::Value::dictionary();
    }
    if (stored->isDictionary()) {
        return *stored;
    }
    ZTRACE_WARN("state file %s is not a dictionary; starting empty", name);
    return fnd::Value::dictionary();
}

} // namespace

void zelvanAppDelegate::applicationDidFinishLaunching() {
    if (launched_) {
        return;
    }
    launched_ = true;
    // Before any state file is read: a process killed while writing one left its temporary file.
    fnd::sweepInterruptedWrites(fnd::AppFolders::root());
    buildWindow();
    buildCommandMap();
    std::weak_ptr<zelvanAppDelegate> weak = weak_from_this();
    fnd::RunLoop::main().performAfter(kLaunchLaterDelay, [weak] {
        if (auto self = weak.lock()) {
            self->applicationDidFinishLaunchingLater();
        }
    });
}

void zelvanAppDelegate::applicationDidFinishLaunchingLater() {
    loadStateFiles();
    if (std::optional<Account> account = storedAccount()) {
        trylogin(account->phone, account->password);
    }
    if (auto voip = zelvanVoip()) {
        networkLoop_->setVoiceEngine(voip);
    }
    if (!threadsStarted_) {
        threadsStarted_ = true;
        ZLOG(Info, "connecting to %@:%d", config_.serverHost, static_cast<int>(config_.serverPort));
        networkLoop_->start();
        gameLoop_->start();
    }
}

void zelvanAppDelegate::applicationWillResignActive() {
    std::lock_guard lock(stateMutex_);
    locked_ = true;
}

void zelvanAppDelegate::applicationDidBecomeActive() {
    std::lock_guard lock(stateMutex_);
    locked_ = false;
}

void zelvanAppDelegate::applicationWillTerminate() {
    if (auto games = newgamerooms()) {
        games->quitGame();
    }
    saveStateFiles();
    gameLoop_->stop();
    networkLoop_->stop();
    shutDownWorkerPool();
    threadsStarted_ = false;
}

void zelvanAppDelegate::loadStateFiles() {
    chatRoomRuleLogs_ = loadDictionary(kRuleLogFile);
    displayGuide_ = loadDictionary(kDisplayGuideFile);
    if (auto im = this->im()) {
        im->loadState();
    }
}

void zelvanAppDelegate::saveStateFiles() {
    bool saved = writefile(kRuleLogFile, chatRoomRuleLogs_) && writefile(kDisplayGuideFile, displayGuide_);
    if (!saved) {
        ZTRACE_ERROR("could not save the application's state files");
    }
    if (!loggedout()) {
        if (auto im = this->im()) {
            im->saveState();
        }
    }
}

} // namespace zelvan
