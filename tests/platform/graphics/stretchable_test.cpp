// Slice geometry of stretchable images at the caps product skins use, with targets larger than,
// equal to and smaller than the caps.
#include <gtest/gtest.h>

#include <vector>

#include "platform/graphics/stretchable.h"

namespace gfx {
namespace {

struct Case {
    const char* name;
    Size image;
    StretchCaps caps;
    Rect target;
    std::vector<StretchSlice> want;
};

std::string describe(const std::vector<StretchSlice>& slices) {
    std::string s;
    for (const StretchSlice& sl : slices) {
        auto r = [](Rect x) {
            return "(" + std::to_string(x.origin.x) + "," + std::to_string(x.origin.y) + "," +
                   std::to_string(x.size.width) + "," + std::to_string(x.size.height) + ")";
        };
        s += r(sl.src) + "->" + r(sl.dst) + "\n";
    }
    return s;
}

TEST(Stretchable, SlicesTargetsPerCapRule) {
    const Case cases[] = {
        {"bubble 60/24, larger target",
         {121, 49},
         {60, 24},
         {10, 20, 200, 100},
         {
             {{0, 0, 60, 24}, {10, 20, 60, 24}},
             {{60, 0, 1, 24}, {70, 20, 80, 24}},
             {{61, 0, 60, 24}, {150, 20, 60, 24}},
             {{0, 24, 60, 1}, {10, 44, 60, 52}},
             {{60, 24, 1, 1}, {70, 44, 80, 52}},
             {{61, 24, 60, 1}, {150, 44, 60, 52}},
             {{0, 25, 60, 24}, {10, 96, 60, 24}},
             {{60, 25, 1, 24}, {70, 96, 80, 24}},
             {{61, 25, 60, 24}, {150, 96, 60, 24}},
         }},
        {"button 38/24, natural height",
         {77, 49},
         {38, 24},
         {0, 0, 100, 49},
         {
             {{0, 0, 38, 24}, {0, 0, 38, 24}},
             {{38, 0, 1, 24}, {38, 0, 24, 24}},
             {{39, 0, 38, 24}, {62, 0, 38, 24}},
             {{0, 24, 38, 1}, {0, 24, 38, 1}},
             {{38, 24, 1, 1}, {38, 24, 24, 1}},
             {{39, 24, 38, 1}, {62, 24, 38, 1}},
             {{0, 25, 38, 24}, {0, 25, 38, 24}},
             {{38, 25, 1, 24}, {38, 25, 24, 24}},
             {{39, 25, 38, 24}, {62, 25, 38, 24}},
         }},
        {"loading bar 0/1: whole width scales",
         {10, 3},
         {0, 1},
         {5, 5, 200, 20},
         {
             {{0, 0, 10, 1}, {5, 5, 200, 1}},
             {{0, 1, 10, 1}, {5, 6, 200, 18}},
             {{0, 2, 10, 1}, {5, 24, 200, 1}},
         }},
        {"target smaller than the caps shrinks them",
         {121, 49},
         {60, 24},
         {0, 0, 60, 24},
         {
             {{0, 0, 60, 24}, {0, 0, 30, 12}},
             {{61, 0, 60, 24}, {30, 0, 30, 12}},
             {{0, 25, 60, 24}, {0, 12, 30, 12}},
             {{61, 25, 60, 24}, {30, 12, 30, 12}},
         }},
        {"negative height is standardized, short target",
         {77, 49},
         {38, 24},
         {0, 10, 100, -10},
         {
             {{0, 0, 38, 24}, {0, 0, 38, 5}},
             {{38, 0, 1, 24}, {38, 0, 24, 5}},
             {{39, 0, 38, 24}, {62, 0, 38, 5}},
             {{0, 25, 38, 24}, {0, 5, 38, 5}},
             {{38, 25, 1, 24}, {38, 5, 24, 5}},
             {{39, 25, 38, 24}, {62, 5, 38, 5}},
         }},
        {"no caps scales the whole image", {16, 8}, {0, 0}, {1, 2, 3, 4}, {{{0, 0, 16, 8}, {1, 2, 3, 4}}}},
        {"cap past the image is clamped",
         {10, 10},
         {50, 0},
         {0, 0, 30, 10},
         {
             {{0, 0, 9, 10}, {0, 0, 9, 10}},
             {{9, 0, 1, 10}, {9, 0, 21, 10}},
         }},
        {"empty target", {10, 10}, {4, 4}, {0, 0, 0, 10}, {}},
        {"empty image", {0, 0}, {4, 4}, {0, 0, 10, 10}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<StretchSlice> got = stretchSlices(c.image, c.caps, c.target);
        EXPECT_EQ(got, c.want) << describe(got);
    }
}

} // namespace
} // namespace gfx
