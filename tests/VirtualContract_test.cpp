// The calls the library makes through the tables of the boxes, cameras and
// ranges an application derives from them: which, how often, in which order.
// Every override below appends its letter to one log.

#include "math/BoundingVolume.h"
#include "math/Camera.h"
#include "math/Range.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace orrery;

namespace {

std::string callLog;

using Box = BoundingBox<double, Vec3d>;

// Overrides every virtual test of the double box, logging and forwarding:
// p point, s segment, b box, e isEmpty, l isectLatLon.
struct LoggedBox : Box {
  using Box::Box;
  IsectResult isect(const Vec3d &p) const override {
    callLog += 'p';
    return Box::isect(p);
  }
  IsectResult isect(const Vec3d &a, const Vec3d &b) const override {
    callLog += 's';
    return Box::isect(a, b);
  }
  IsectResult isect(const Box &other) const override {
    callLog += 'b';
    return Box::isect(other);
  }
  using Box::isect;
  bool isEmpty() const override {
    callLog += 'e';
    return Box::isEmpty();
  }
  IsectResult isectLatLon(const Vec3d &p) const override {
    callLog += 'l';
    return Box::isectLatLon(p);
  }
};

// The float box's operations are its user's: defined here, the point test
// answering inside wherever the point is.
struct InsideFloatBox : BoundingBox<float, Vec3f> {
  using BoundingBox::BoundingBox;
  IsectResult isect(const Vec3f & /*p*/) const override {
    callLog += 'p';
    return kIsectInside;
  }
  IsectResult isect(const Vec3f & /*a*/, const Vec3f & /*b*/) const override {
    return kIsectInside;
  }
  IsectResult isect(const BoundingBox & /*other*/) const override { return kIsectInside; }
  bool isEmpty() const override { return false; }
};

// Logs the getters (R right, U up, T towards, P position) and the turns
// (p pitch, y yaw, r roll, Y yawTo, X pitchTo) it forwards to the camera.
struct LoggedCam : QuatCartesianCam {
  Vec3d getRightVec() const override { return log('R', QuatCartesianCam::getRightVec()); }
  Vec3d getUpVec() const override { return log('U', QuatCartesianCam::getUpVec()); }
  Vec3d getTowardsVec() const override { return log('T', QuatCartesianCam::getTowardsVec()); }
  Vec3d getPosition() const override { return log('P', QuatCartesianCam::getPosition()); }
  void pitch(double a) override {
    callLog += 'p';
    QuatCartesianCam::pitch(a);
  }
  void yaw(double a) override {
    callLog += 'y';
    QuatCartesianCam::yaw(a);
  }
  void roll(double a) override {
    callLog += 'r';
    QuatCartesianCam::roll(a);
  }
  void yawTo(const Vec3d &d) override {
    callLog += 'Y';
    QuatCartesianCam::yawTo(d);
  }
  void pitchTo(const Vec3d &d) override {
    callLog += 'X';
    QuatCartesianCam::pitchTo(d);
  }
  static Vec3d log(char c, const Vec3d &v) {
    callLog += c;
    return v;
  }
};

// A root range 0 to 100 counting its queries (s span, b begin, e end); its
// span is the end minus the begin, each through the table.
struct CountedRange : IRange {
  double getBegin() const override {
    callLog += 'b';
    return 0.0;
  }
  double getEnd() const override {
    callLog += 'e';
    return 100.0;
  }
  double getSpan() const override {
    callLog += 's';
    const double e = getEnd();
    return e - getBegin();
  }
};

struct ContractCase {
  const char *what;
  std::function<double()> call;
  double answer;
  const char *calls;
};

} // namespace

TEST(VirtualContract, DerivedClassesSeeTheDocumentedCalls) {
  const LoggedBox box(Vec3d{0, 0, 0}, Vec3d{1, 1, 1});
  const LoggedBox crossing(Vec3d{0.9, 0, 0}, Vec3d{1.1, 1, 1});
  const IBoundingVolume<double, Vec3d> &boxI = box;
  const Plane<double, Vec3d, Vec4d> plane(1, 0, 0, 0);
  const Vec3d in{0.5, 0.5, 0.5};
  const Vec3d out{5, 5, 5};
  const InsideFloatBox floatBox(Vec3f{0, 0, 0}, Vec3f{1, 1, 1});
  float tf = -1;
  double t = -1;
  LoggedCam cam;
  RefPtr<CountedRange> root(new CountedRange);
  const RefPtr<RelativeRange> whole(new RelativeRange(root.get()));
  const RelativeRange middle(whole.get(), Layout{0.25, Layout::kPinFraction},
                             Layout{0.75, Layout::kPinFraction});
  const RelativeRange mixed(root.get(), Layout{0.25, Layout::kPinFraction},
                            Layout{10.0, Layout::kPinBegin});
  const ContractCase cases[] = {
      {"point test: emptiness first", [&] { return double(boxI.isect(in)); }, 0, "pe"},
      {"lat/lon test: emptiness first", [&] { return double(box.isectLatLon(out)); }, 1, "le"},
      {"segment inside: both ends", [&] { return double(boxI.isect(in, in)); }, 0, "sepepe"},
      {"segment leaving: a again in the slab test", [&] { return double(boxI.isect(in, out)); }, 2,
       "sepepepe"},
      {"segment from outside", [&] { return double(boxI.isect(out, in)); }, 2, "sepepe"},
      {"plane test: emptiness", [&] { return double(box.isect(plane)); }, 0, "e"},
      {"box test: nothing but the call", [&] { return double(boxI.isect(box)); }, 0, "b"},
      {"box test: other's emptiness before wrapping it",
       [&] { return double(boxI.isect(crossing)); }, 0, "be"},
      {"box test: this box wraps", [&] { return double(crossing.isect(box)); }, 0, "b"},
      {"slab test: the point test once",
       [&] {
         return double(RayBoxIntersect<double, Vec3d, Box>(out, Vec3d{-1, -1, -1}, box, 100.0, t));
       },
       1, "pe"},
      {"float slab test: the user's point test",
       [&] {
         return RayBoxIntersect<float, Vec3f, BoundingBox<float, Vec3f>>(
                    Vec3f{5, 5, 5}, Vec3f{1, 0, 0}, floatBox, 100.0f, tf)
                    ? tf
                    : -1.0;
       },
       0, "p"},
      {"yawTo along up: no reference read",
       [&] {
         return (cam.yawTo({0, 1, 0}), 0.0);
       },
       0, "YU"},
      {"yawTo",
       [&] {
         return (cam.yawTo({1, 0, -1}), 0.0);
       },
       0, "YUTy"},
      {"pitchTo",
       [&] {
         return (cam.pitchTo({0, 1, -1}), 0.0);
       },
       0, "XRTp"},
      {"rollTo",
       [&] {
         return (cam.rollTo({1, 1, 0}), 0.0);
       },
       0, "TUr"},
      {"pitchUpVecTo",
       [&] {
         return (cam.pitchUpVecTo({0, 1, 1}), 0.0);
       },
       0, "RUp"},
      {"lookAt: yaw then pitch",
       [&] {
         return (cam.lookAt({3, 4, -5}), 0.0);
       },
       0, "PYUTyXRTp"},
      {"lookAt at the camera",
       [&] {
         return (cam.lookAt({0, 0, 0}), 0.0);
       },
       0, "P"},
      {"range chain: span then begin at every level", [&] { return middle.getBegin(); }, 25,
       "sebbsebbsebb"},
      {"fraction: span, then begin", [&] { return mixed.getBegin(); }, 25, "sebb"},
      {"to a fraction: the position, then begin, then span",
       [&] { return mixed.getEndLayoutAsType(Layout::kPinFraction).value; }, 0.1, "bbseb"},
      {"to its own pin: no query",
       [&] { return mixed.getBeginLayoutAsType(Layout::kPinFraction).value; }, 0.25, ""},
      {"span: end, then begin", [&] { return mixed.getSpan(); }, -15, "bsebb"},
  };
  for (const ContractCase &c : cases) {
    SCOPED_TRACE(c.what);
    callLog.clear();
    EXPECT_EQ(c.call(), c.answer);
    EXPECT_EQ(callLog, c.calls);
  }
}
