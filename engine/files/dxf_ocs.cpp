#include "files/dxf_ocs.h"

#include <bit>
#include <cmath>
#include <cstdint>

namespace dezadiravevava {

namespace {

// The bound of the arbitrary axis algorithm: below it in both Nx and Ny the
// extrusion counts as "close to Z" and Ax is built from the world Y axis.
constexpr double kArbitraryAxisBound = 1.0 / 64.0;

Vector3 Cross(const Vector3& a, const Vector3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

double Dot(const Vector3& a, const Vector3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

bool Normalise(Vector3& v) {
    const double length = std::sqrt(Dot(v, v));
    if (!(length > 0.0) || !std::isfinite(length)) {
        return false;
    }
    v = {v.x / length, v.y / length, v.z / length};
    return true;
}

} // namespace

ObjectFrame::ObjectFrame(const Vector3& extrusion) : n_(extrusion) {
    valid_ = Normalise(n_);
    if (!valid_) {
        n_ = {0.0, 0.0, 1.0};
        return;
    }
    upright_ = n_.x == 0.0 && n_.y == 0.0;
    world_ = upright_ && n_.z > 0.0;
    if (world_) {
        return;
    }
    const bool near_z =
        std::fabs(n_.x) < kArbitraryAxisBound && std::fabs(n_.y) < kArbitraryAxisBound;
    ax_ = Cross(near_z ? Vector3{0.0, 1.0, 0.0} : Vector3{0.0, 0.0, 1.0}, n_);
    Normalise(ax_);
    ay_ = Cross(n_, ax_);
    Normalise(ay_);
}

Vector3 ObjectFrame::ToWorld(const Vector3& p) const {
    if (world_) {
        return p;
    }
    return {p.x * ax_.x + p.y * ay_.x + p.z * n_.x, p.x * ax_.y + p.y * ay_.y + p.z * n_.y,
            p.x * ax_.z + p.y * ay_.z + p.z * n_.z};
}

// The axes follow from the normalised extrusion alone.
bool ObjectFrame::SameAs(const ObjectFrame& other) const {
    const auto bits = [](double value) { return std::bit_cast<std::uint64_t>(value); };
    return valid_ == other.valid_ && bits(n_.x) == bits(other.n_.x) &&
           bits(n_.y) == bits(other.n_.y) && bits(n_.z) == bits(other.n_.z);
}

// The axes are orthonormal, so the inverse is the transpose.
Vector3 ObjectFrame::ToObject(const Vector3& p) const {
    if (world_) {
        return p;
    }
    return {Dot(p, ax_), Dot(p, ay_), Dot(p, n_)};
}

} // namespace dezadiravevava
