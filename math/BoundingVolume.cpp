#include "math/BoundingVolume.h"

namespace orrery {

BoundingVolume::~BoundingVolume() = default;

template class IBoundingVolume<double, Vec3d>;
template class BoundingBox<double, Vec3d>;
template bool RayBoxIntersect<double, Vec3d, BoundingBox<double, Vec3d>>(
    const Vec3d &, const Vec3d &, const BoundingBox<double, Vec3d> &, double, double &);
template bool RayBoxIntersect<float, Vec3f, BoundingBox<float, Vec3f>>(
    const Vec3f &, const Vec3f &, const BoundingBox<float, Vec3f> &, float, float &);

} // namespace orrery
