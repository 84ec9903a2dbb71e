// Splitting a target rect into the slices of a stretchable image, one axis at a time.
#include "platform/graphics/stretchable.h"

#include <algorithm>

namespace gfx {

namespace {

struct Segment {
    double srcStart;
    double srcLength;
    double dstStart;
    double dstLength;
};

// The segments along one axis of `length` image points drawn over [origin, origin + target).
std::vector<Segment> axisSegments(double length, int cap, double origin, double target) {
    std::vector<Segment> out;
    if (!(length > 0) || !(target > 0)) {
        return out;
    }
    double near = std::clamp(static_cast<double>(cap), 0.0, std::max(0.0, length - 1));
    if (near == 0) {
        out.push_back({0, length, origin, target});
        return out;
    }
    double far = length - near - 1;
    double nearDst = near;
    double farDst = far;
    double bandDst = target - near - far;
    if (bandDst < 0) {
        double k = target / (near + far);
        nearDst = near * k;
        farDst = far * k;
        bandDst = 0;
    }
    const Segment all[] = {
        {0, near, origin, nearDst},
        {near, 1, origin + nearDst, bandDst},
        {near + 1, far, origin + nearDst + bandDst, farDst},
    };
    for (const Segment& s : all) {
        if (s.srcLength > 0 && s.dstLength > 0) {
            out.push_back(s);
        }
    }
    return out;
}

} // namespace

std::vector<StretchSlice> stretchSlices(Size imageSize, StretchCaps caps, Rect destRect) {
    Rect dest = destRect.standardized();
    std::vector<Segment> xs = axisSegments(imageSize.width, caps.left, dest.origin.x, dest.size.width);
    std::vector<Segment> ys = axisSegments(imageSize.height, caps.top, dest.origin.y, dest.size.height);
    std::vector<StretchSlice> slices;
    slices.reserve(xs.size() * ys.size());
    for (const Segment& y : ys) {
        for (const Segment& x : xs) {
            slices.push_back({Rect(x.srcStart, y.srcStart, x.srcLength, y.srcLength),
                              Rect(x.dstStart, y.dstStart, x.dstLength, y.dstLength)});
        }
    }
    return slices;
}

} // namespace gfx
