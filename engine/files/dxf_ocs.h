// Object coordinate systems of DXF entities.
//
// Planar entities (circles, arcs, texts, inserts, lightweight polylines,
// hatches, ...) store their points in the object coordinate system (OCS) of
// their extrusion direction N, group codes 210/220/230. Its axes follow the
// "arbitrary axis algorithm" of the DXF reference:
//   Ax = Wy × N  when |Nx| < 1/64 and |Ny| < 1/64 (N close to the world Z axis),
//   Ax = Wz × N  otherwise;
//   Ay = N × Ax;
// with N, Ax and Ay normalised. A point (x, y, z) of the OCS lies at
// x·Ax + y·Ay + z·N in world coordinates (WCS). For N = (0, 0, 1) both systems
// coincide; for N = (0, 0, −1), a mirrored entity, world x is −x.
#pragma once

namespace dezadiravevava {

struct Vector3 {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

class ObjectFrame {
public:
    // The world frame: extrusion (0, 0, 1).
    ObjectFrame() = default;
    // The frame of an extrusion direction; it need not be unit length. False
    // from valid() when it has no direction (zero or not finite).
    explicit ObjectFrame(const Vector3& extrusion);

    bool valid() const { return valid_; }
    // True for the extrusion (0, 0, 1): object and world coordinates coincide.
    bool is_world() const { return world_; }
    // True when N lies on the world Z axis, (0, 0, ±1): moving a point in plan
    // leaves its object z unchanged.
    bool is_upright() const { return upright_; }
    const Vector3& normal() const { return n_; }

    Vector3 ToWorld(const Vector3& p) const;
    Vector3 ToObject(const Vector3& p) const;

    // True when both frames carry points exactly alike (the same extrusion
    // to the last bit once normalised).
    bool SameAs(const ObjectFrame& other) const;

private:
    Vector3 ax_{1.0, 0.0, 0.0};
    Vector3 ay_{0.0, 1.0, 0.0};
    Vector3 n_{0.0, 0.0, 1.0};
    bool valid_ = true;
    bool world_ = true;
    bool upright_ = true;
};

} // namespace dezadiravevava
