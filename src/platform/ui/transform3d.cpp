// Transform3D construction and composition.
#include "platform/ui/transform3d.h"

#include <cmath>

namespace ui {

Transform3D Transform3D::makeTranslation(double tx, double ty, double tz) {
    Transform3D t;
    t.m41 = tx;
    t.m42 = ty;
    t.m43 = tz;
    return t;
}

Transform3D Transform3D::makeScale(double sx, double sy, double sz) {
    Transform3D t;
    t.m11 = sx;
    t.m22 = sy;
    t.m33 = sz;
    return t;
}

Transform3D Transform3D::makeRotation(double angle, double x, double y, double z) {
    double length = std::sqrt(x * x + y * y + z * z);
    if (length == 0 || !std::isfinite(length)) {
        return identity();
    }
    x /= length;
    y /= length;
    z /= length;
    double c = std::cos(angle);
    double s = std::sin(angle);
    double k = 1 - c;
    Transform3D t;
    t.m11 = x * x * k + c;
    t.m12 = x * y * k + z * s;
    t.m13 = x * z * k - y * s;
    t.m21 = y * x * k - z * s;
    t.m22 = y * y * k + c;
    t.m23 = y * z * k + x * s;
    t.m31 = z * x * k + y * s;
    t.m32 = z * y * k - x * s;
    t.m33 = z * z * k + c;
    return t;
}

Transform3D Transform3D::makeAffine(const gfx::AffineTransform& a) {
    Transform3D t;
    t.m11 = a.a;
    t.m12 = a.b;
    t.m21 = a.c;
    t.m22 = a.d;
    t.m41 = a.tx;
    t.m42 = a.ty;
    return t;
}

Transform3D Transform3D::concat(const Transform3D& b) const {
    const double l[4][4] = {{m11, m12, m13, m14}, {m21, m22, m23, m24}, {m31, m32, m33, m34}, {m41, m42, m43, m44}};
    const double r[4][4] = {{b.m11, b.m12, b.m13, b.m14},
                            {b.m21, b.m22, b.m23, b.m24},
                            {b.m31, b.m32, b.m33, b.m34},
                            {b.m41, b.m42, b.m43, b.m44}};
    double o[4][4];
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            o[i][j] = l[i][0] * r[0][j] + l[i][1] * r[1][j] + l[i][2] * r[2][j] + l[i][3] * r[3][j];
        }
    }
    return {o[0][0], o[0][1], o[0][2], o[0][3], o[1][0], o[1][1], o[1][2], o[1][3],
            o[2][0], o[2][1], o[2][2], o[2][3], o[3][0], o[3][1], o[3][2], o[3][3]};
}

Transform3D Transform3D::translate(double tx, double ty, double tz) const {
    return makeTranslation(tx, ty, tz).concat(*this);
}

Transform3D Transform3D::scale(double sx, double sy, double sz) const {
    return makeScale(sx, sy, sz).concat(*this);
}

Transform3D Transform3D::rotate(double angle, double x, double y, double z) const {
    return makeRotation(angle, x, y, z).concat(*this);
}

bool Transform3D::isAffine() const {
    return m13 == 0 && m14 == 0 && m23 == 0 && m24 == 0 && m31 == 0 && m32 == 0 && m33 == 1 && m34 == 0 && m43 == 0 &&
           m44 == 1;
}

gfx::AffineTransform Transform3D::affine() const {
    return {m11, m12, m21, m22, m41, m42};
}

} // namespace ui
