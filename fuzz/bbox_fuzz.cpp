// Bounding boxes against points, segments, planes and boxes (date line
// included), and the ray-box slab test, checked against brute force: an
// empty box answers outside to everything, the plane test classifies by the
// corners exactly, boxes overlap as their intervals do (with one turn of
// wrapping for a box that crosses the date line), and nothing but clone
// allocates.

#include "fuzz/FuzzSupport.h"
#include "math/BoundingVolume.h"

#include <cmath>
#include <cstring>

using namespace orrery;
using Box = BoundingBox<double, Vec3d>;
using BoxF = BoundingBox<float, Vec3f>;

namespace {

Vec3d readPoint(fuzz::Input &in, bool wild) { return wild ? in.vec3() : in.vec3(4.0); }

Box readBox(fuzz::Input &in) {
  switch (in.byte() % 4) {
  case 0:
    return Box(); // the canonical empty box
  case 1: {
    Box b;
    b.build(readPoint(in, true), readPoint(in, true));
    return b;
  }
  case 2: // any bounds, inverted ones included
    return Box(readPoint(in, false), readPoint(in, false));
  default: {
    // A longitude/latitude box, possibly crossing the date line.
    const double lo = in.within(-1.5, 1.0);
    const double hi = lo + in.within(0.0, 2.0);
    const double y = in.within(-0.5, 0.5);
    const double z = in.within(-1.0, 1.0);
    return Box(Vec3d{lo, y, z}, Vec3d{hi, y + in.within(0.0, 0.5), z + in.within(0.0, 1.0)});
  }
  }
}

bool allFinite(const Vec3d &v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

bool contains(const Box &b, const Vec3d &p) {
  return b.min.x <= p.x && p.x <= b.max.x && b.min.y <= p.y && p.y <= b.max.y && b.min.z <= p.z &&
         p.z <= b.max.z;
}

bool overlapX(double aLo, double aHi, const Box &b) { return aLo <= b.max.x && b.min.x <= aHi; }
bool overlapYZ(const Box &a, const Box &b) {
  return a.min.y <= b.max.y && b.min.y <= a.max.y && a.min.z <= b.max.z && b.min.z <= a.max.z;
}
bool crosses(const Box &b) { return b.min.x < -1.0 || b.max.x > 1.0; }

// Whether the boxes meet, the crossing one (this first) taken one turn
// round as well.
bool wrappedOverlap(const Box &dl, const Box &other) {
  if (!overlapYZ(dl, other)) {
    return false;
  }
  if (other.min.x == -1.0 && other.max.x == 1.0) {
    return true;
  }
  const double shift = dl.min.x < -1.0 ? 2.0 : -2.0;
  return overlapX(dl.min.x, dl.max.x, other) || overlapX(dl.min.x + shift, dl.max.x + shift, other);
}

void checkBox(fuzz::Input &in) {
  const Box a = readBox(in);
  const Box b = readBox(in);
  const Vec3d p = readPoint(in, in.flag());
  const Vec3d q = readPoint(in, in.flag());
  const Plane<double, Vec3d, Vec4d> plane(in.number(), in.number(), in.number(), in.number());

  fuzz::NoAllocation none;
  if (a.isEmpty()) {
    FUZZ_CHECK(a.isect(p) == kIsectOutside);
    FUZZ_CHECK(a.isectLatLon(p) == kIsectOutside);
    FUZZ_CHECK(a.isect(p, q) == kIsectOutside);
    FUZZ_CHECK(a.isect(b) == kIsectOutside);
    FUZZ_CHECK(b.isect(a) == kIsectOutside);
    FUZZ_CHECK(a.isect(plane) == kIsectOutside);
    return;
  }

  // Points: the closed box.
  FUZZ_CHECK((a.isect(p) == kIsectInside) == contains(a, p));

  // Segments: inside exactly when both ends are; partial when only the
  // start is; and never outside while a sample of the segment lies well
  // inside the box (for directions not flattened onto a slab).
  const IsectResult seg = a.isect(p, q);
  const bool pIn = contains(a, p);
  const bool qIn = contains(a, q);
  FUZZ_CHECK((seg == kIsectInside) == (pIn && qIn));
  if (pIn && !qIn) {
    FUZZ_CHECK(seg == kIsectPartial);
  }
  Vec3d dir = q - p;
  const double len = divideByLength(dir);
  const double margin = 1e-9 * (1.0 + len);
  if (seg == kIsectOutside && allFinite(a.min) && allFinite(a.max) && allFinite(p) &&
      allFinite(q) && std::fabs(dir.x) >= 1e-4 && std::fabs(dir.y) >= 1e-4 &&
      std::fabs(dir.z) >= 1e-4 && len < 1e6) {
    const Box shrunk(a.min + Vec3d{margin, margin, margin}, a.max - Vec3d{margin, margin, margin});
    for (int k = 1; k < 16; ++k) {
      FUZZ_CHECK(!contains(shrunk, p + (q - p) * (k / 16.0)));
    }
  }

  // Planes: the eight corners decide, exactly.
  if (allFinite(a.min) && allFinite(a.max) && std::isfinite(plane.x) && std::isfinite(plane.y) &&
      std::isfinite(plane.z) && std::isfinite(plane.w)) {
    double lowest = INFINITY;
    double highest = -INFINITY;
    bool finiteDistances = true;
    for (int c = 0; c < 8; ++c) {
      const Vec3d corner{(c & 1) != 0 ? a.max.x : a.min.x, (c & 2) != 0 ? a.max.y : a.min.y,
                         (c & 4) != 0 ? a.max.z : a.min.z};
      const double d = plane.signedDistance(corner);
      lowest = std::fmin(lowest, d);
      highest = std::fmax(highest, d);
      finiteDistances = finiteDistances && std::isfinite(d);
    }
    // Overflowing products make the sums infinite or NaN; then no order holds.
    if (finiteDistances) {
      const IsectResult expected =
          highest < 0 ? kIsectOutside : (lowest >= 0 ? kIsectInside : kIsectPartial);
      FUZZ_CHECK(a.isect(plane) == expected);
    }
  }

  // Boxes, with the date line.
  if (!b.isEmpty() && allFinite(b.min) && allFinite(b.max) && allFinite(a.min) &&
      allFinite(a.max)) {
    bool expected;
    if (crosses(a)) {
      expected = wrappedOverlap(a, b);
    } else if (crosses(b)) {
      expected = wrappedOverlap(b, a);
    } else {
      expected = overlapYZ(a, b) && overlapX(a.min.x, a.max.x, b);
    }
    FUZZ_CHECK((a.isect(b) == kIsectInside) == expected);
    if (!crosses(a) && !crosses(b)) {
      FUZZ_CHECK(a.isect(b) == b.isect(a));
    }
    Box both = a;
    both.intersectBoxSimple(b);
    FUZZ_CHECK(both.isEmpty() == !(overlapYZ(a, b) && overlapX(a.min.x, a.max.x, b)));
  }

  // Growing and emptying.
  Box grown = a;
  grown.add(p);
  if (allFinite(p)) {
    FUZZ_CHECK(grown.isect(p) == kIsectInside);
  }
  grown.makeEmpty();
  FUZZ_CHECK(grown.isEmpty() && grown.isect(p) == kIsectOutside);
}

void checkRay(fuzz::Input &in) {
  const Box box = readBox(in);
  const Vec3d o = readPoint(in, in.flag());
  const Vec3d d = readPoint(in, in.flag());
  const double maxDist = in.flag() ? in.number() : in.within(0.0, 100.0);
  double t = -7.0;
  fuzz::NoAllocation none;
  const bool hit = RayBoxIntersect<double, Vec3d, Box>(o, d, box, maxDist, t);
  if (box.isEmpty()) {
    FUZZ_CHECK(!hit && t == -7.0);
  } else if (contains(box, o)) {
    FUZZ_CHECK(hit && t == 0.0);
  } else if (hit) {
    FUZZ_CHECK(t > 0.0 && t < maxDist);
    // The entry lies on the box within rounding in every axis the ray
    // crosses; in an axis it runs parallel to, the origin is in the slab.
    const Vec3d e = o + d * t;
    // The entry is as precise as the origin and the step that reach it.
    const double slack = 1e-9 * (1.0 + length(o) + length(d) * t);
    if (allFinite(e)) {
      for (int k = 0; k < 3; ++k) {
        const double lo = (&box.min.x)[k];
        const double hi = (&box.max.x)[k];
        if (std::fabs((&d.x)[k]) >= 1e-4) {
          FUZZ_CHECK(lo - slack <= (&e.x)[k] && (&e.x)[k] <= hi + slack);
        } else {
          FUZZ_CHECK(lo <= (&o.x)[k] && (&o.x)[k] <= hi);
        }
      }
    }
  }

  // The float twin agrees on empty boxes and on starting inside.
  const BoxF boxF(Vec3f{float(box.min.x), float(box.min.y), float(box.min.z)},
                  Vec3f{float(box.max.x), float(box.max.y), float(box.max.z)});
  float tf = -7.0f;
  const Vec3f of{float(o.x), float(o.y), float(o.z)};
  const bool hitF = RayBoxIntersect<float, Vec3f, BoxF>(
      of, Vec3f{float(d.x), float(d.y), float(d.z)}, boxF, float(maxDist), tf);
  if (boxF.isEmpty()) {
    FUZZ_CHECK(!hitF);
  } else if (boxF.isect(of) == kIsectInside) {
    FUZZ_CHECK(hitF && tf == 0.0f);
  }
}

void checkClone(fuzz::Input &in) {
  auto &counter = fuzz::AllocationCounter::instance();
  const long before = counter.live;
  const Box a = readBox(in);
  counter.failNext = in.flag();
  IBoundingVolume<double, Vec3d> *copy = a.clone();
  counter.failNext = false;
  if (copy != nullptr) {
    const auto *box = static_cast<const Box *>(copy);
    FUZZ_CHECK(std::memcmp(&box->min, &a.min, sizeof a.min) == 0);
    FUZZ_CHECK(std::memcmp(&box->max, &a.max, sizeof a.max) == 0);
    FUZZ_CHECK(copy->isEmpty() == a.isEmpty());
    (void)copy->getCenter();
    delete copy;
  }
  FUZZ_CHECK(counter.live == before);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  return fuzz::runOne(data, size, {checkBox, checkRay, checkClone}, false);
}
