// ui::Transform3D: the 4x4 layer transform (row-vector convention, translation in the fourth row),
// with the constructors and composition layers use; only its affine part is ever rendered.
#pragma once

#include "platform/graphics/geometry.h"

namespace ui {

struct Transform3D {
    double m11 = 1, m12 = 0, m13 = 0, m14 = 0;
    double m21 = 0, m22 = 1, m23 = 0, m24 = 0;
    double m31 = 0, m32 = 0, m33 = 1, m34 = 0;
    double m41 = 0, m42 = 0, m43 = 0, m44 = 1;

    static constexpr Transform3D identity() { return {}; }
    static Transform3D makeTranslation(double tx, double ty, double tz);
    static Transform3D makeScale(double sx, double sy, double sz);
    // A rotation of `angle` radians about the axis (x, y, z); a zero axis gives the identity.
    static Transform3D makeRotation(double angle, double x, double y, double z);
    // The 2-D transform embedded in the x/y plane.
    static Transform3D makeAffine(const gfx::AffineTransform& t);

    bool isIdentity() const { return *this == identity(); }
    // `a.concat(b)` applies a first, then b.
    Transform3D concat(const Transform3D& b) const;
    // These prepend the operation (the result applies it first, then this transform).
    Transform3D translate(double tx, double ty, double tz) const;
    Transform3D scale(double sx, double sy, double sz) const;
    Transform3D rotate(double angle, double x, double y, double z) const;
    // Whether the transform maps the x/y plane onto itself with no z or perspective terms.
    bool isAffine() const;
    // The x/y part (m11, m12, m21, m22, m41, m42), whether or not the transform is affine.
    gfx::AffineTransform affine() const;

    constexpr bool operator==(const Transform3D&) const = default;
};

} // namespace ui
