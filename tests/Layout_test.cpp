// The binary layout that code built against these headers relies on, for
// LP64 targets with the Itanium C++ ABI: the size and field offsets of every
// value type and of every polymorphic class with listed fields, and the
// order of the virtual operations of every polymorphic class.
//
// Private fields are reached without widening the interface: through a
// getter that returns a reference, or by reading the object's bytes where a
// constructor has stored known values.
//
// Virtual order: an Itanium pointer to a virtual member function stores the
// byte offset of its vtable slot (plus 1 on x86-64; doubled adjustment with
// the low bit set on ARM), and the dynamic symbol of a vtable carries its
// size, which gives the number of slots.

#include "math/all.h"

#include <gtest/gtest.h>

#include <cxxabi.h>
#include <dlfcn.h>
#include <link.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <vector>

#if defined(__LP64__) && defined(__GXX_ABI_VERSION)

using namespace orrery;

namespace {

using Box = BoundingBox<double, Vec3d>;
using BoxF = BoundingBox<float, Vec3f>;
using IVolume = IBoundingVolume<double, Vec3d>;
using PlaneD = Plane<double, Vec3d, Vec4d>;
using RectD = Rect<double, Vec2d>;

constexpr std::size_t kPtr = sizeof(void *);

// ---------------------------------------------------------------------------
// Sizes and offsets

struct At {
  const char *what;
  std::size_t actual;
  std::size_t expected;
};

void expectAt(std::initializer_list<At> rows) {
  for (const At &row : rows) {
    EXPECT_EQ(row.actual, row.expected) << row.what;
  }
}

template <class T, class F> std::size_t offsetIn(const T &object, const F &field) {
  return static_cast<std::size_t>(reinterpret_cast<const char *>(&field) -
                                  reinterpret_cast<const char *>(&object));
}

// True when the bytes of object at offset hold value.
template <class T, class V> bool holdsAt(const T &object, std::size_t offset, const V &value) {
  return std::memcmp(reinterpret_cast<const char *>(&object) + offset, &value, sizeof value) == 0;
}

// A value type: standard layout and trivially copyable, so that it can be
// passed and stored by plain copies across the boundary.
template <class T> void expectPlainValue(const char *name) {
  EXPECT_TRUE(std::is_standard_layout_v<T>) << name;
  EXPECT_TRUE(std::is_trivially_copyable_v<T>) << name;
  EXPECT_FALSE(std::is_polymorphic_v<T>) << name;
}

// ---------------------------------------------------------------------------
// Virtual slots

struct Slot {
  bool isVirtual;
  std::size_t index;
  std::uintptr_t adjust;
};

template <class F> Slot slotOf(F f) {
  static_assert(std::is_member_function_pointer_v<F> && sizeof(F) == 2 * sizeof(std::uintptr_t));
  std::uintptr_t raw[2];
  std::memcpy(raw, &f, sizeof raw);
#if defined(__arm__) || defined(__aarch64__)
  return {(raw[1] & 1u) != 0, raw[0] / kPtr, raw[1] >> 1};
#else
  return {(raw[0] & 1u) != 0, (raw[0] - 1) / kPtr, raw[1]};
#endif
}

// The number of virtual slots of a class whose vtable the library exports:
// the vtable symbol holds the offset to top, the type information and then
// one pointer per slot.
std::size_t exportedSlotCount(const std::type_info &type) {
  const std::string symbol = std::string("_ZTV") + type.name();
  void *vtable = dlsym(RTLD_DEFAULT, symbol.c_str());
  Dl_info info;
  void *entry = nullptr;
  if (vtable == nullptr || dladdr1(vtable, &info, &entry, RTLD_DL_SYMENT) == 0 ||
      entry == nullptr) {
    return 0;
  }
  return static_cast<const ElfW(Sym) *>(entry)->st_size / kPtr - 2;
}

std::string nameOf(const std::type_info &type) {
  int status = 0;
  char *name = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
  std::string result = status == 0 ? name : type.name();
  std::free(name);
  return result;
}

struct Op {
  const char *name;
  Slot slot;
};

// ops lists the virtual operations that follow the destructor, in slot
// order; the destructor takes slots 0 and 1 (complete and deleting). With
// exported set, the class's vtable must hold exactly these slots.
void expectVirtualOrder(const std::type_info &type, const std::vector<Op> &ops,
                        bool exported = true) {
  std::size_t expected = 2;
  for (const Op &op : ops) {
    EXPECT_TRUE(op.slot.isVirtual) << nameOf(type) << " " << op.name;
    EXPECT_EQ(op.slot.index, expected) << nameOf(type) << " " << op.name;
    EXPECT_EQ(op.slot.adjust, 0u) << nameOf(type) << " " << op.name;
    ++expected;
  }
  if (exported) {
    EXPECT_EQ(exportedSlotCount(type), expected) << "slots of " << nameOf(type);
  }
}

void expectNonVirtual(std::initializer_list<Op> ops) {
  for (const Op &op : ops) {
    EXPECT_FALSE(op.slot.isVirtual) << op.name;
  }
}

// ---------------------------------------------------------------------------

TEST(BinaryLayout, VectorsAndMatricesAreContiguousComponentsInStorageOrder) {
  expectPlainValue<Vec2d>("Vec2d");
  expectPlainValue<Vec3d>("Vec3d");
  expectPlainValue<Vec4d>("Vec4d");
  expectPlainValue<Vec2f>("Vec2f");
  expectPlainValue<Vec3f>("Vec3f");
  expectPlainValue<Vec4f>("Vec4f");
  expectPlainValue<Vec2<int>>("Vec2<int>");
  expectPlainValue<Mat2d>("Mat2d");
  expectPlainValue<Mat3d>("Mat3d");
  expectPlainValue<Mat4d>("Mat4d");
  expectPlainValue<Mat2f>("Mat2f");
  expectPlainValue<Mat3f>("Mat3f");
  expectPlainValue<Mat4f>("Mat4f");
  expectAt({
      {"sizeof Vec2d", sizeof(Vec2d), 16},        {"Vec2d::y", offsetof(Vec2d, y), 8},
      {"sizeof Vec3d", sizeof(Vec3d), 24},        {"Vec3d::y", offsetof(Vec3d, y), 8},
      {"Vec3d::z", offsetof(Vec3d, z), 16},       {"sizeof Vec4d", sizeof(Vec4d), 32},
      {"Vec4d::y", offsetof(Vec4d, y), 8},        {"Vec4d::z", offsetof(Vec4d, z), 16},
      {"Vec4d::w", offsetof(Vec4d, w), 24},       {"sizeof Vec2f", sizeof(Vec2f), 8},
      {"Vec2f::y", offsetof(Vec2f, y), 4},        {"sizeof Vec3f", sizeof(Vec3f), 12},
      {"Vec3f::y", offsetof(Vec3f, y), 4},        {"Vec3f::z", offsetof(Vec3f, z), 8},
      {"sizeof Vec4f", sizeof(Vec4f), 16},        {"Vec4f::y", offsetof(Vec4f, y), 4},
      {"Vec4f::z", offsetof(Vec4f, z), 8},        {"Vec4f::w", offsetof(Vec4f, w), 12},
      {"sizeof Vec2<int>", sizeof(Vec2<int>), 8}, {"Vec2<int>::y", offsetof(Vec2<int>, y), 4},
      {"sizeof Mat2d", sizeof(Mat2d), 4 * 8},     {"sizeof Mat3d", sizeof(Mat3d), 9 * 8},
      {"sizeof Mat4d", sizeof(Mat4d), 16 * 8},    {"sizeof Mat2f", sizeof(Mat2f), 4 * 4},
      {"sizeof Mat3f", sizeof(Mat3f), 9 * 4},     {"sizeof Mat4f", sizeof(Mat4f), 16 * 4},
      {"Mat4d::m", offsetof(Mat4d, m), 0},        {"Mat4f::m", offsetof(Mat4f, m), 0},
  });
}

TEST(BinaryLayout, SmallValueTypesOfGeodesyCullingAndScreenLayout) {
  expectPlainValue<Layout>("Layout");
  expectPlainValue<Layout2d>("Layout2d");
  expectPlainValue<ScreenVec>("ScreenVec");
  expectPlainValue<RectD>("Rect");
  // UTMZone's copy operations are its own exported functions, so it is not
  // trivially copyable and travels by reference when passed by value.
  EXPECT_TRUE(std::is_standard_layout_v<gridlot::UTMZone>);
  EXPECT_FALSE(std::is_trivially_copyable_v<gridlot::UTMZone>);
  EXPECT_FALSE(std::is_polymorphic_v<gridlot::UTMZone>);
  EXPECT_TRUE(std::is_standard_layout_v<RangeVal>);

  // UTMZone keeps its fields private: its bytes show the zone, then the letter.
  const gridlot::UTMZone zone(static_cast<unsigned char>(33), 'U');
  // CullRect adds its flags after the fields of its base.
  CullRect cull{};
  const math::ScreenSpaceCalculator calc({1.0, 2.0, 3.0}, {1.2, 0.7}, Vec2<int>{800, 600});

  expectAt({
      {"sizeof Layout::PinType", sizeof(Layout::PinType), 4},
      {"sizeof IsectResult", sizeof(IsectResult), 4},
      {"sizeof Layout", sizeof(Layout), 16},
      {"Layout::pin", offsetof(Layout, pin), 8},
      {"sizeof Layout2d", sizeof(Layout2d), 32},
      {"Layout2d::y", offsetof(Layout2d, y), 16},
      {"sizeof RangeVal", sizeof(RangeVal), 24},
      {"RangeVal::parent", offsetof(RangeVal, parent), 16},
      {"sizeof ScreenVec", sizeof(ScreenVec), 24},
      {"ScreenVec::y", offsetof(ScreenVec, y), 8},
      {"ScreenVec::xUnits", offsetof(ScreenVec, xUnits), 16},
      {"ScreenVec::yUnits", offsetof(ScreenVec, yUnits), 20},
      {"sizeof Rect", sizeof(RectD), 32},
      {"Rect::max", offsetof(RectD, max), 16},
      {"sizeof CullRect", sizeof(CullRect), 40},
      {"CullRect::max", offsetIn(cull, cull.max), 16},
      {"CullRect::wrapX", offsetIn(cull, cull.wrapX), 32},
      {"CullRect::wrapY", offsetIn(cull, cull.wrapY), 33},
      {"sizeof UTMZone", sizeof(gridlot::UTMZone), 2},
      {"sizeof ScreenSpaceCalculator", sizeof(math::ScreenSpaceCalculator), 48},
      {"ScreenSpaceCalculator::position", offsetIn(calc, calc.getPosition()), 0},
  });
  EXPECT_TRUE(holdsAt(zone, 0, static_cast<unsigned char>(33)));
  EXPECT_TRUE(holdsAt(zone, 1, 'U'));
  EXPECT_TRUE(holdsAt(calc, 24, calc.getPixelTanX()));
  EXPECT_TRUE(holdsAt(calc, 32, calc.getPixelTanY()));
  EXPECT_TRUE(holdsAt(calc, 40, calc.getPixelTanSq()));
  EXPECT_NE(calc.getPixelTanX(), calc.getPixelTanY()); // the two can tell their places apart
}

TEST(BinaryLayout, CullingClassesPlaceTheirFieldsAfterTheVtablePointer) {
  PlaneD plane(0.0, 1.0, 0.0, -2.0);
  Frustum frustum;
  Box box;
  BoxF boxF;
  Octahedron octahedron;
  const Polyhedron &poly = octahedron;
  const Vec4d &planeBase = plane;
  expectAt({
      {"sizeof BoundingVolume", sizeof(BoundingVolume), kPtr},
      {"sizeof IBoundingVolume", sizeof(IVolume), kPtr},
      {"sizeof BoundingBox<double>", sizeof(Box), 56},
      {"BoundingBox<double>::min", offsetIn(box, box.min), 8},
      {"BoundingBox<double>::max", offsetIn(box, box.max), 32},
      {"sizeof BoundingBox<float>", sizeof(BoxF), 32},
      {"BoundingBox<float>::min", offsetIn(boxF, boxF.min), 8},
      {"BoundingBox<float>::max", offsetIn(boxF, boxF.max), 20},
      // The base Vec4d has no vtable pointer, so the plane's comes first.
      {"sizeof Plane", sizeof(PlaneD), 40},
      {"Plane base Vec4d", offsetIn(plane, planeBase), 8},
      {"Plane::w", offsetIn(plane, plane.w), 32},
      {"sizeof Polytope", sizeof(Polytope), 416},
      {"Polytope::planes", offsetIn(frustum, frustum.planes), 8},
      {"Polytope::planes[9]", offsetIn(frustum, frustum.planes[9]), 8 + 9 * 40},
      {"Polytope::count", offsetIn(frustum, frustum.count), 408},
      {"sizeof Frustum", sizeof(Frustum), 536},
      {"Frustum::eye", offsetIn(frustum, frustum.eye), 416},
      {"Frustum::edges", offsetIn(frustum, frustum.edges), 440},
      {"sizeof Polyhedron", sizeof(Polyhedron), 72},
      {"sizeof Octahedron", sizeof(Octahedron), 72},
      {"sizeof Icosahedron", sizeof(Icosahedron), 72},
      {"Polyhedron::vertices", offsetIn(poly, poly.vertices), 8},
      {"Polyhedron::numVertices", offsetIn(poly, poly.numVertices), 16},
      {"Polyhedron::faces", offsetIn(poly, poly.faces), 24},
      {"Polyhedron::numFaces", offsetIn(poly, poly.numFaces), 32},
      {"Polyhedron::texCoords", offsetIn(poly, poly.texCoords), 40},
      {"Polyhedron::numTexCoords", offsetIn(poly, poly.numTexCoords), 48},
      {"Polyhedron::indexPairs", offsetIn(poly, poly.indexPairs), 56},
      {"Polyhedron::numIndexPairs", offsetIn(poly, poly.numIndexPairs), 64},
  });
}

TEST(BinaryLayout, CountedClassesPlaceTheCountAfterTheVtablePointerAndTheirFieldsAfterIt) {
  const RefPtr<Range> parent(new Range(0.0, 10.0));
  const Range range(1.5, 2.5);
  const RelativeRange relative(parent.get());
  AbsoluteRange2d rect(new Range(1.0, 2.0), new Range(3.0, 4.0));
  const IRange *rectX = rect[0];
  const IRange *rectY = rect[1];
  const Rectangle rectangle(Mat4d::identity, 2.0, 0.3, -0.2, -0.4, 0.5);
  const Cylinder cylinder(Mat4d::identity, 2.0, 0.3, -0.2, -0.4, 0.5);
  const FovDelimitedSurface &fov = rectangle;
  expectAt({
      {"sizeof Referent", sizeof(Referent), 16},
      {"Referent::refCount", offsetIn(range, range.refCount), 8},
      {"sizeof IRange", sizeof(IRange), 16},
      // Range keeps begin and end private: its bytes show them in that order.
      {"sizeof Range", sizeof(Range), 32},
      {"sizeof RelativeRange", sizeof(RelativeRange), 64},
      {"RelativeRange begin layout", offsetIn(relative, relative.getBeginLayout()), 16},
      {"RelativeRange end layout", offsetIn(relative, relative.getEndLayout()), 40},
      {"sizeof Range2d", sizeof(Range2d), 32},
      {"sizeof RelativeRange2d", sizeof(RelativeRange2d), 32},
      {"sizeof AbsoluteRange2d", sizeof(AbsoluteRange2d), 32},
      {"sizeof ISurface", sizeof(ISurface), 16},
      {"sizeof FovDelimitedSurface", sizeof(FovDelimitedSurface), 288},
      {"FovDelimitedSurface::placement", offsetIn(fov, fov.placement), 16},
      {"FovDelimitedSurface::origin", offsetIn(fov, fov.origin), 144},
      {"FovDelimitedSurface::viewDir", offsetIn(fov, fov.viewDir), 168},
      {"FovDelimitedSurface::upAxis", offsetIn(fov, fov.upAxis), 192},
      {"FovDelimitedSurface::rightAxis", offsetIn(fov, fov.rightAxis), 216},
      {"FovDelimitedSurface::distance", offsetIn(fov, fov.distance), 240},
      {"FovDelimitedSurface::valid", offsetIn(fov, fov.valid), 248},
      {"FovDelimitedSurface::topAngle", offsetIn(fov, fov.topAngle), 256},
      {"FovDelimitedSurface::bottomAngle", offsetIn(fov, fov.bottomAngle), 264},
      {"FovDelimitedSurface::leftAngle", offsetIn(fov, fov.leftAngle), 272},
      {"FovDelimitedSurface::rightAngle", offsetIn(fov, fov.rightAngle), 280},
      {"sizeof Rectangle", sizeof(Rectangle), 472},
      {"Rectangle::normal", offsetIn(rectangle, rectangle.normal), 288},
      {"Rectangle::cornerPoints", offsetIn(rectangle, rectangle.cornerPoints), 312},
      {"Rectangle::edgeU", offsetIn(rectangle, rectangle.edgeU), 408},
      {"Rectangle::edgeV", offsetIn(rectangle, rectangle.edgeV), 432},
      {"Rectangle::lengthU", offsetIn(rectangle, rectangle.lengthU), 456},
      {"Rectangle::lengthV", offsetIn(rectangle, rectangle.lengthV), 464},
      {"sizeof Cylinder", sizeof(Cylinder), 304},
      {"Cylinder::bottomHeight", offsetIn(cylinder, cylinder.bottomHeight), 288},
      {"Cylinder::height", offsetIn(cylinder, cylinder.height), 296},
      {"sizeof Sphere", sizeof(Sphere), 288},
  });
  EXPECT_TRUE(holdsAt(range, 16, 1.5));
  EXPECT_TRUE(holdsAt(range, 24, 2.5));
  // Each end of a relative range holds the parent after its layout.
  EXPECT_TRUE(holdsAt(relative, 32, parent.get()));
  EXPECT_TRUE(holdsAt(relative, 56, parent.get()));
  EXPECT_TRUE(holdsAt(rect, 16, rectX));
  EXPECT_TRUE(holdsAt(rect, 24, rectY));
}

TEST(BinaryLayout, QuaternionAndCameraPlaceTheirFieldsAfterTheVtablePointer) {
  const Quatd q;
  const QuatCartesianCam cam;
  expectAt({
      {"sizeof Quatd", sizeof(Quatd), 40},
      {"Quatd::x", offsetIn(q, q.x), 8},
      {"Quatd::y", offsetIn(q, q.y), 16},
      {"Quatd::z", offsetIn(q, q.z), 24},
      {"Quatd::w", offsetIn(q, q.w), 32},
      {"sizeof ICartesianCam", sizeof(ICartesianCam), 16},
      {"sizeof QuatCartesianCam", sizeof(QuatCartesianCam), 80},
      {"QuatCartesianCam::refCount", offsetIn(cam, cam.refCount), 8},
      {"QuatCartesianCam::position", offsetIn(cam, cam.position), 16},
      {"QuatCartesianCam::rotation", offsetIn(cam, cam.rotation), 40},
      {"QuatCartesianCam::rotation.x", offsetIn(cam, cam.rotation.x), 48},
  });
}

// The slots of a range; Range and RelativeRange fill those of IRange.
template <class R> void expectRangeSlots() {
  expectVirtualOrder(typeid(R), {{"orphaned", slotOf(&R::orphaned)},
                                 {"getBegin", slotOf(&R::getBegin)},
                                 {"getEnd", slotOf(&R::getEnd)},
                                 {"getSpan", slotOf(&R::getSpan)}});
}

// A counted class with no virtual operations of its own.
template <class T> void expectCountedRootSlots() {
  expectVirtualOrder(typeid(T), {{"orphaned", slotOf(&T::orphaned)}});
}

TEST(VirtualSlots, CountedRootAndRangesKeepTheirOperationOrder) {
  expectCountedRootSlots<Referent>();
  expectRangeSlots<IRange>();
  expectRangeSlots<Range>();
  expectRangeSlots<RelativeRange>();
  expectCountedRootSlots<Range2d>();
  expectCountedRootSlots<RelativeRange2d>();
  expectCountedRootSlots<AbsoluteRange2d>();
  expectNonVirtual({{"Range::set", slotOf(&Range::set)},
                    {"RelativeRange::setLayout", slotOf(&RelativeRange::setLayout)},
                    {"RelativeRange::setParent", slotOf(&RelativeRange::setParent)},
                    {"RelativeRange2d::set", slotOf(&RelativeRange2d::set)},
                    {"AbsoluteRange2d::set", slotOf(&AbsoluteRange2d::set)}});
}

// The camera interface's operations after the destructor, in slot order,
// followed by those a concrete camera appends.
template <class Cam> void expectCameraSlots(std::initializer_list<Op> extra) {
  using Turn = void (Cam::*)(const Quatd &);
  using SetQuat = void (Cam::*)(const Quatd &);
  using SetAxes = void (Cam::*)(const Vec3d &, const Vec3d &);
  std::vector<Op> ops = {{"orphaned", slotOf(&Cam::orphaned)},
                         {"clone", slotOf(&Cam::clone)},
                         {"setPosition", slotOf(&Cam::setPosition)},
                         {"translate", slotOf(&Cam::translate)},
                         {"moveTowardsVec", slotOf(&Cam::moveTowardsVec)},
                         {"moveRightVec", slotOf(&Cam::moveRightVec)},
                         {"moveUpVec", slotOf(&Cam::moveUpVec)},
                         {"pitch", slotOf(&Cam::pitch)},
                         {"yaw", slotOf(&Cam::yaw)},
                         {"roll", slotOf(&Cam::roll)},
                         {"rotate quaternion", slotOf<Turn>(&Cam::rotate)},
                         {"setRotation quaternion", slotOf<SetQuat>(&Cam::setRotation)},
                         {"setRotation axes", slotOf<SetAxes>(&Cam::setRotation)},
                         {"lookAt", slotOf(&Cam::lookAt)},
                         {"pitchTo", slotOf(&Cam::pitchTo)},
                         {"yawTo", slotOf(&Cam::yawTo)},
                         {"rollTo", slotOf(&Cam::rollTo)},
                         {"getRotation", slotOf(&Cam::getRotation)},
                         {"getMatrix", slotOf(&Cam::getMatrix)},
                         {"getPosition", slotOf(&Cam::getPosition)},
                         {"getUpVec", slotOf(&Cam::getUpVec)},
                         {"getTowardsVec", slotOf(&Cam::getTowardsVec)},
                         {"getRightVec", slotOf(&Cam::getRightVec)},
                         {"derive", slotOf(&Cam::derive)},
                         {"set", slotOf(&Cam::set)},
                         {"getWorldOrientation", slotOf(&Cam::getWorldOrientation)}};
  ops.insert(ops.end(), extra);
  expectVirtualOrder(typeid(Cam), ops);
}

TEST(VirtualSlots, CamerasKeepTheirOperationOrder) {
  expectCameraSlots<ICartesianCam>({});
  // The quaternion camera appends its world-axis rotation after the interface.
  using AxisTurn = void (QuatCartesianCam::*)(Vec3d, double);
  expectCameraSlots<QuatCartesianCam>(
      {{"rotate axis", slotOf<AxisTurn>(&QuatCartesianCam::rotate)}});
  using LocalTurn = void (QuatCartesianCam::*)(const Quatd &);
  using LocalAxisTurn = void (QuatCartesianCam::*)(Vec3d, double);
  expectNonVirtual(
      {{"pitchUpVecTo", slotOf(&ICartesianCam::pitchUpVecTo)},
       {"cameraSpaceRotate quaternion", slotOf<LocalTurn>(&QuatCartesianCam::cameraSpaceRotate)},
       {"cameraSpaceRotate axis", slotOf<LocalAxisTurn>(&QuatCartesianCam::cameraSpaceRotate)},
       {"operator=", slotOf(&QuatCartesianCam::operator=)}});
}

// The slots of a bounding volume over vectors V tested against boxes B.
template <class T, class V, class B> std::vector<Op> volumeOps() {
  return {{"isect point", slotOf<IsectResult (T::*)(const V &) const>(&T::isect)},
          {"isect segment", slotOf<IsectResult (T::*)(const V &, const V &) const>(&T::isect)},
          {"isect box", slotOf<IsectResult (T::*)(const B &) const>(&T::isect)},
          {"isEmpty", slotOf(&T::isEmpty)},
          {"makeEmpty", slotOf(&T::makeEmpty)},
          {"getCenter", slotOf(&T::getCenter)},
          {"clone", slotOf(&T::clone)}};
}

// A box fills the slots of its interface and appends its longitude/latitude test.
template <class S, class V> std::vector<Op> boxOps() {
  using B = BoundingBox<S, V>;
  std::vector<Op> ops = volumeOps<B, V, B>();
  ops.push_back({"isectLatLon", slotOf(&B::isectLatLon)});
  return ops;
}

TEST(VirtualSlots, BoundingVolumesKeepTheirOperationOrder) {
  expectVirtualOrder(typeid(BoundingVolume), {});
  expectVirtualOrder(typeid(IVolume), volumeOps<IVolume, Vec3d, Box>());
  expectVirtualOrder(typeid(Box), boxOps<double, Vec3d>());
  // The float box keeps the same interface; the library exports no vtable for it.
  expectVirtualOrder(typeid(BoxF), boxOps<float, Vec3f>(), false);
  using BoxPlaneTest = IsectResult (Box::*)(const PlaneD &) const;
  expectNonVirtual({{"BoundingBox::add", slotOf(&Box::add)},
                    {"BoundingBox::build", slotOf(&Box::build)},
                    {"BoundingBox::isect plane", slotOf<BoxPlaneTest>(&Box::isect)},
                    {"BoundingBox::intersectBoxSimple", slotOf(&Box::intersectBoxSimple)}});
}

// The slots of the field-of-view surface; the three shapes fill them and add none.
template <class Shape> void expectSurfaceSlots() {
  expectVirtualOrder(typeid(Shape),
                     {{"orphaned", slotOf(&Shape::orphaned)},
                      {"getNormal", slotOf(&Shape::getNormal)},
                      {"isPtOnSurface", slotOf(&Shape::isPtOnSurface)},
                      {"intersectRay", slotOf(&Shape::intersectRay)},
                      {"isPtOnFiniteSurface", slotOf(&Shape::isPtOnFiniteSurface)},
                      {"getRelativeCoords", slotOf(&Shape::getRelativeCoords)},
                      {"getPointFromCoords", slotOf(&Shape::getPointFromCoords)},
                      {"cullToFrustum", slotOf(&Shape::cullToFrustum)},
                      {"isViewCloseToSurface", slotOf(&Shape::isViewCloseToSurface)},
                      {"getWidthHeightRatio", slotOf(&Shape::getWidthHeightRatio)},
                      {"getWrapping", slotOf(&Shape::getWrapping)},
                      {"getViewingDistanceImpl", slotOf(&Shape::getViewingDistanceImpl)},
                      {"getViewDirectionImpl", slotOf(&Shape::getViewDirectionImpl)},
                      {"projectToSurface", slotOf(&Shape::projectToSurface)}});
}

TEST(VirtualSlots, SurfacesKeepTheirOperationOrder) {
  expectVirtualOrder(typeid(ISurface), {{"orphaned", slotOf(&ISurface::orphaned)},
                                        {"getNormal", slotOf(&ISurface::getNormal)},
                                        {"isPtOnSurface", slotOf(&ISurface::isPtOnSurface)},
                                        {"intersectRay", slotOf(&ISurface::intersectRay)}});
  expectSurfaceSlots<FovDelimitedSurface>();
  expectSurfaceSlots<Rectangle>();
  expectSurfaceSlots<Cylinder>();
  expectSurfaceSlots<Sphere>();
  using Fov = FovDelimitedSurface;
  expectNonVirtual({{"buildVectors", slotOf(&Fov::buildVectors)},
                    {"getViewingDistance", slotOf(&Fov::getViewingDistance)},
                    {"getViewDirection", slotOf(&Fov::getViewDirection)},
                    {"wrapCoords", slotOf(&Fov::wrapCoords)},
                    {"doSnapPoint", slotOf(&Fov::doSnapPoint)},
                    {"Rectangle::buildGeometry", slotOf(&Rectangle::buildGeometry)},
                    {"Cylinder::checkValid", slotOf(&Cylinder::checkValid)},
                    {"Sphere::checkValid", slotOf(&Sphere::checkValid)}});
}

TEST(VirtualSlots, QuaternionPlanesPolytopesAndPolyhedraHaveOnlyAVirtualDestructor) {
  expectVirtualOrder(typeid(Quatd), {});
  expectVirtualOrder(typeid(PlaneD), {});
  expectVirtualOrder(typeid(Polytope), {});
  expectVirtualOrder(typeid(Frustum), {});
  expectVirtualOrder(typeid(Polyhedron), {});
  expectVirtualOrder(typeid(Octahedron), {});
  expectVirtualOrder(typeid(Icosahedron), {});
  using TwoDirections = void (Quatd::*)(const Vec3d &, const Vec3d &);
  using FourDirections =
      void (Quatd::*)(const Vec3d &, const Vec3d &, const Vec3d &, const Vec3d &);
  expectNonVirtual({{"Quatd::set", slotOf(&Quatd::set)},
                    {"Quatd::operator*", slotOf(&Quatd::operator*)},
                    {"Quatd::operator*=", slotOf(&Quatd::operator*=)},
                    {"Quatd::fromMatrix", slotOf(&Quatd::fromMatrix)},
                    {"Quatd::buildRotation two", slotOf<TwoDirections>(&Quatd::buildRotation)},
                    {"Quatd::buildRotation four", slotOf<FourDirections>(&Quatd::buildRotation)},
                    {"Quatd::slerp", slotOf(&Quatd::slerp)},
                    {"Frustum::build", slotOf(&Frustum::build)},
                    {"Frustum::isPtInside", slotOf(&Frustum::isPtInside)},
                    {"Frustum::isZCulled", slotOf(&Frustum::isZCulled)},
                    {"Polyhedron::Create", slotOf(&Polyhedron::Create)}});
}

} // namespace

#endif
