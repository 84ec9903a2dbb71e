// gfx::Gradient: colour stops in device RGB for linear gradient fills (Context::drawLinearGradient).
#pragma once

#include <memory>
#include <span>
#include <vector>

#include "platform/graphics/color.h"

namespace gfx {

class Gradient {
public:
    struct Stop {
        double location = 0;
        Color color;
    };

    // `components` holds r, g, b, a for each colour; `locations` one position (0...1) per colour, or
    // is empty to spread the colours evenly. Null when the counts do not agree, there is no colour,
    // or a value is not finite.
    static std::shared_ptr<Gradient> withColorComponents(std::span<const double> components,
                                                         std::span<const double> locations);

    // Sorted by location.
    const std::vector<Stop>& stops() const { return stops_; }

    explicit Gradient(std::vector<Stop> stops) : stops_(std::move(stops)) {}

private:
    std::vector<Stop> stops_;
};

} // namespace gfx
