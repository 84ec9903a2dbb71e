// fnd::IndexPath: a section and a row, as table views address their cells. Ordered by section, then
// row, and hashable for use as a map key.
#pragma once

#include <compare>
#include <cstddef>
#include <functional>

namespace fnd {

struct IndexPath {
    int section = 0;
    int row = 0;

    static constexpr IndexPath indexPathForRow(int row, int section) { return IndexPath{section, row}; }

    constexpr auto operator<=>(const IndexPath&) const = default;
};

} // namespace fnd

template <>
struct std::hash<fnd::IndexPath> {
    size_t operator()(const fnd::IndexPath& p) const noexcept {
        return std::hash<long long>{}((static_cast<long long>(p.section) << 32) ^ static_cast<unsigned>(p.row));
    }
};
