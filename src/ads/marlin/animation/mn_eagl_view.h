// zelvan::marlin::MNEAGLView: the view the animation scene is drawn in. This shell has no drawing surface yet:
// its renderScene does nothing, and subclasses draw their frame there.
#pragma once

#include <string>

#include "platform/ui/view.h"

namespace zelvan::marlin {

class MNEAGLView : public ui::View {
public:
    std::string className() const override { return "MNEAGLView"; }

    // Draws one frame; the shell draws nothing.
    virtual void renderScene() {}
};

} // namespace zelvan::marlin
