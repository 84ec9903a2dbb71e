// The open transactions of the main thread: a stack of disable-actions flags.
#include "platform/ui/transaction.h"

#include <vector>

#include "platform/foundation/log.h"
#include "platform/foundation/thread.h"
#include "platform/foundation/verify.h"

namespace ui {
namespace {

std::vector<bool>& openTransactions() {
    static std::vector<bool> stack;
    return stack;
}

} // namespace

void Transaction::begin() {
    VERIFY(fnd::isMainThread());
    auto& stack = openTransactions();
    stack.push_back(!stack.empty() && stack.back());
}

void Transaction::commit() {
    VERIFY(fnd::isMainThread());
    auto& stack = openTransactions();
    if (stack.empty()) {
        ZLOG(Warn, "Transaction: commit without begin");
        return;
    }
    stack.pop_back();
}

void Transaction::setDisableActions(bool disable) {
    auto& stack = openTransactions();
    if (!stack.empty()) {
        stack.back() = disable;
    }
}

bool Transaction::disableActions() {
    const auto& stack = openTransactions();
    return !stack.empty() && stack.back();
}

int Transaction::depth() {
    return int(openTransactions().size());
}

} // namespace ui
