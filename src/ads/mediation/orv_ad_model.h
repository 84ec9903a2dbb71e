// ORVAdModel: the class-level front of the controller registry (AdControllerRegistry), over the context in
// the application registry (without one, nothing happens and nothing is returned). Defined in
// mediation_entry_points.cpp.
#pragma once

#include <memory>
#include <mutex>

namespace ui {
class View;
}

namespace zelvan::mediation {

class ORVAdController;

class ORVAdModel {
public:
    ORVAdModel() = delete;
    // The registry's lock, or null without a context.
    static std::recursive_mutex* getLock();
    // The event's controller, or null.
    static std::shared_ptr<ORVAdController> getAdController(int eventId);
    // The event's new controller, which keeps the host view of the one it replaces; null without a context.
    static std::shared_ptr<ORVAdController> resetAdController(int eventId);
    // Removes every subview of `view`.
    static void cleanView(ui::View& view);
    // Drops every controller.
    static void destroy();
};

} // namespace zelvan::mediation
