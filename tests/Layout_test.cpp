// What the binary-interface baseline (abi/libmath.dump, CTest test `abi`)
// cannot see: that the value types stay plain data, copied by bytes across the
// boundary, and the layout of the templates instantiated only inline. Sizes,
// field offsets and virtual slot order of every type reachable from an export
// are compared with the baseline by the `abi` test.

#include "math/all.h"

#include <cstddef>
#include <type_traits>

using namespace orrery;

namespace {

// Standard layout, trivially copyable, no vtable.
template <class... T>
constexpr bool kPlain = ((std::is_standard_layout_v<T> && std::is_trivially_copyable_v<T> &&
                          !std::is_polymorphic_v<T>)&&...);

static_assert(kPlain<Vec2d, Vec3d, Vec4d, Vec2f, Vec3f, Vec4f, Vec2<int>, Vec2<double>>);
static_assert(kPlain<Mat2d, Mat3d, Mat4d, Mat2f, Mat3f, Mat4f>);
static_assert(kPlain<Layout, Layout2d, ScreenVec, Rect<double, Vec2d>>);
// A range end holds a counted reference: standard layout, but copied through RefPtr.
static_assert(std::is_standard_layout_v<RangeVal> && !std::is_trivially_copyable_v<RangeVal>);
// UTMZone's copy operations are exported functions of their own, so it is
// passed by reference even by value.
static_assert(std::is_standard_layout_v<gridlot::UTMZone> &&
              !std::is_trivially_copyable_v<gridlot::UTMZone> && sizeof(gridlot::UTMZone) == 2);

// Inline-only instantiations: packed components in declaration order.
static_assert(sizeof(Vec2<double>) == 16 && offsetof(Vec2<double>, y) == 8);
static_assert(sizeof(Vec2<float>) == 8 && offsetof(Vec2<float>, y) == 4);
using RectF = Rect<float, Vec2f>;
static_assert(sizeof(RectF) == 16 && offsetof(RectF, max) == 8);
// Vectors index their components as an array (&v.x)[k].
static_assert(offsetof(Vec3d, z) == 2 * sizeof(double) && offsetof(Vec4f, w) == 3 * sizeof(float));

} // namespace
