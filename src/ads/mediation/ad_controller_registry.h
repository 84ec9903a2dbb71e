// AdControllerRegistry: the banner mediation's controllers, one per ad event. Resetting an event replaces
// its controller by a new one that takes over the old one's host view; destroying drops them all. Every
// operation holds the context's registry lock. One per context, made by makeMediation; ORVAdModel is its
// class-level front. Main thread.
#pragma once

#include <map>
#include <memory>
#include <utility>

namespace ui {
class View;
}

namespace zelvan::mediation {

class MediationContext;
class ORVAdController;

class AdControllerRegistry {
public:
    // Controllers are made over `context`, whose lock guards the registry.
    explicit AdControllerRegistry(std::weak_ptr<MediationContext> context) : context_(std::move(context)) {}

    // The event's controller, or null.
    std::shared_ptr<ORVAdController> getAdController(int eventId);
    // Replaces the event's controller by a new one that takes over the old one's host view; null once the
    // context has gone.
    std::shared_ptr<ORVAdController> resetAdController(int eventId);
    // Drops every controller; their host views forget them.
    void destroy();
    // Removes every subview of `view`.
    static void cleanView(ui::View& view);

private:
    std::weak_ptr<MediationContext> context_;
    std::map<int, std::shared_ptr<ORVAdController>> controllers_;
};

} // namespace zelvan::mediation
