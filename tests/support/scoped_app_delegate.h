// A test's own application delegate over a registry the test fills, installed for the test's span so
// that library code reading the registry finds it, and removed again at the end.
#pragma once

#include <utility>

#include "core/app_registry.h"
#include "core/zelvan_app_delegate.h"

namespace zelvan {

class ScopedAppDelegate {
public:
    explicit ScopedAppDelegate(AppRegistry registry = {}, AppConfig config = {})
        : delegate_(zelvanAppDelegate::create(std::move(config), std::move(registry))) {
        zelvanAppDelegate::setInstance(delegate_);
    }
    ~ScopedAppDelegate() { zelvanAppDelegate::setInstance(nullptr); }
    ScopedAppDelegate(const ScopedAppDelegate&) = delete;
    ScopedAppDelegate& operator=(const ScopedAppDelegate&) = delete;

    zelvanAppDelegate& operator*() const { return *delegate_; }
    zelvanAppDelegate* operator->() const { return delegate_.get(); }

private:
    std::shared_ptr<zelvanAppDelegate> delegate_;
};

} // namespace zelvan
