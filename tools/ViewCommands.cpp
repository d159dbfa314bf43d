// orrery orient, cull and demo: a camera over the globe, a photograph on a
// surface, and the part of the photograph the camera sees.

#include "tools/Commands.h"
#include "tools/Coordinates.h"
#include "tools/Json.h"
#include "tools/Options.h"
#include "tools/Stream.h"
#include "tools/Svg.h"
#include "tools/Text.h"

#include "math/BoundingVolume.h"
#include "math/Camera.h"
#include "math/Surface.h"
#include "math/UTMZone.h"
#include "math/Units.h"
#include "math/Vector.h"
#include "math/ViewMatrix.h"
#include "math/detail/Angles.h"

#include <CLI/CLI.hpp>

#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <memory>
#include <string>

namespace orrery::tool {

namespace {

using detail::kDegToRad;
using detail::kRadToDeg;
// Largest altitude and distance, in metres (about 7 astronomical units): far
// beyond it the squared lengths of the camera arithmetic overflow and its
// answers stop meaning anything.
constexpr double kMaxMetres = 1e12;
// Samples per edge of the view when tracing its border on the photograph.
constexpr int kBorderSamples = 48;

struct Place {
  double latitude;
  double longitude;
  double altitude;
};

// "LAT,LON,ALT" (or "LON,LAT,ALT" with lonlat), angles in any form the
// command reads; a bad part is named alone.
Place parsePlace(const std::string &text, const char *option, bool lonlat = false) {
  std::string_view fields[3];
  const int count = splitFields(text, fields, 3);
  const char *expected =
      lonlat ? "LON,LAT,ALT (degrees, degrees, metres)" : "LAT,LON,ALT (degrees, degrees, metres)";
  if (count != 3) {
    throw UsageError(std::string(option) + ": expected " + expected + ", got " +
                     tool::quoted(text));
  }
  LatLon p{};
  std::string message;
  if (!parseLatLon(fields[0], fields[1], lonlat, p, message)) {
    throw UsageError(std::string(option) + ": " + message);
  }
  const auto altitude = parseNumber(fields[2]);
  if (!altitude) {
    throw UsageError(std::string(option) + ": ALT: expected a number in metres, got " +
                     tool::quoted(fields[2]));
  }
  if (*altitude <= -Units::sPlanetRadius || *altitude > kMaxMetres) {
    throw UsageError(std::string(option) + ": ALT: " + std::string(fields[2]) +
                     " is outside the planet's centre to 1e12 metres");
  }
  return {p.latitude, p.longitude, *altitude};
}

// The globe's Cartesian frame: the planet is the unit sphere.
Vec3d cartesian(const Place &p) {
  return convert::LLAToNorm(Vec3d{p.longitude, p.latitude, p.altitude}).getCartesian();
}

// A positive number from an option (metres at most 1e12), or UsageError.
double parsePositiveOption(const std::string &text, const char *option, const char *unit) {
  const double v = parseArgument(text, option, std::string("a number in ") + unit);
  if (!(v > 0.0)) {
    throw UsageError(std::string(option) + ": expected a positive number, got " +
                     tool::quoted(text));
  }
  if (std::string_view(unit) == "metres" && v > kMaxMetres) {
    throw UsageError(std::string(option) + ": " + text + " is more than 1e12 metres");
  }
  return v;
}

double metresToWorld(double metres) {
  return Units::convertLength(metres, Units::kMeters, Units::kPlanetRadii);
}

// A camera at eye aimed at target and rolled upright: its up vector leans to
// the local vertical, so it reports no roll.
void aimUpright(QuatCartesianCam &cam, const Vec3d &eye, const Vec3d &target) {
  cam.setPosition(eye);
  cam.lookAt(target);
  cam.rollTo(eye);
}

struct Orientation {
  double heading; // degrees
  double tilt;
  double roll;
};

// The camera's orientation in degrees, the heading as a compass gives it:
// 0 to 360 (the library's is -180 to 180), clockwise from north.
Orientation orientationOf(QuatCartesianCam &cam) {
  const Vec3d o = cam.getWorldOrientation();
  const double heading = o.x * kRadToDeg;
  return {heading < 0.0 ? heading + 360.0 : heading, o.y * kRadToDeg, o.z * kRadToDeg};
}

// A heading with the given decimals, 0 to below 360: one that rounds up to
// 360 is written 0.
std::string headingText(double heading, int decimals) {
  const std::string text = fixedText(heading, decimals);
  return text.starts_with("360") ? fixedText(0.0, decimals) : text;
}

// Everything the culling of one photograph needs, built from the options.
struct Scene {
  std::string shape;
  Place photo{};
  Vec3d photoPoint{};
  double facing = 0.0; // degrees
  double distance = 0.0;
  double angles[4] = {}; // top, bottom, left, right in degrees
  Mat4d placement{};
  RefPtr<FovDelimitedSurface> surface;
  Place eye{};
  Place lookAt{};
  QuatCartesianCam camera;
  Orientation cameraOrientation{};
  Orientation photoOrientation{};
  double fov = 0.0;
  double aspect = 0.0;
  double nearPlane = 0.0;
  double farPlane = 0.0;
  Frustum frustum;
  bool wrapU = false;
  bool wrapV = false;
  Rect<double, Vec2d> visible{};
};

void buildScene(const CullOptions &o, Scene &s) {
  s.shape = o.shape;
  s.photo = parsePlace(o.photo, "--photo");
  if (std::fabs(s.photo.latitude) > 89.0) {
    throw UsageError("--photo: the photograph's heading needs a place within 89 degrees of the "
                     "equator, got " +
                     tool::quoted(o.photo));
  }
  s.facing = parseArgument(o.facing, "--facing", "a compass heading in degrees");
  if (std::fabs(s.facing) > 540.0) {
    throw UsageError("--facing: " + o.facing + " is outside -540 to 540 degrees");
  }
  s.distance = parsePositiveOption(o.distance, "--distance", "metres");
  std::string_view fields[4];
  if (splitFields(o.angles, fields, 4) != 4) {
    throw UsageError("--angles: expected TOP,BOTTOM,LEFT,RIGHT in degrees, got " +
                     tool::quoted(o.angles));
  }
  for (int i = 0; i < 4; ++i) {
    s.angles[i] = parseArgument(fields[i], "--angles", "TOP,BOTTOM,LEFT,RIGHT in degrees");
  }
  s.eye = parsePlace(o.eye, "--eye");
  s.lookAt = parsePlace(o.lookAt, "--look-at");
  s.fov = parsePositiveOption(o.fov, "--fov", "degrees");
  if (s.fov >= 180.0) {
    throw UsageError("--fov: expected less than 180 degrees, got " + tool::quoted(o.fov));
  }
  s.aspect = parsePositiveOption(o.aspect, "--aspect", "width / height");
  s.nearPlane = parsePositiveOption(o.near, "--near", "metres");
  s.farPlane = parsePositiveOption(o.far, "--far", "metres");
  if (s.farPlane <= s.nearPlane) {
    throw UsageError("--far: expected more than --near, got " + tool::quoted(o.far));
  }

  // The photograph: taken at photoPoint, held level, facing the compass
  // heading. A camera there is turned to face north (up to the local
  // vertical, then the view horizontal) and yawed clockwise by the heading;
  // its camera-to-world matrix is the placement of the surface.
  s.photoPoint = cartesian(s.photo);
  QuatCartesianCam photoCam;
  photoCam.setPosition(s.photoPoint);
  photoCam.lookAt(Vec3d{0.0, 1.0, 0.0});
  photoCam.rollTo(s.photoPoint);
  photoCam.pitchUpVecTo(s.photoPoint);
  photoCam.yaw(-s.facing * kDegToRad);
  s.photoOrientation = orientationOf(photoCam);
  s.placement = photoCam.getMatrix();
  math::invertFullPivot(s.placement);

  const double d = metresToWorld(s.distance);
  const double top = s.angles[0] * kDegToRad;
  const double bottom = s.angles[1] * kDegToRad;
  const double left = s.angles[2] * kDegToRad;
  const double right = s.angles[3] * kDegToRad;
  if (s.shape == "rectangle") {
    s.surface = new Rectangle(s.placement, d, top, bottom, left, right);
  } else if (s.shape == "cylinder") {
    s.surface = new Cylinder(s.placement, d, top, bottom, left, right);
  } else {
    auto *sphere = new Sphere(s.placement, d, top, bottom, left, right);
    s.surface = sphere;
    if (sphere != nullptr) {
      sphere->checkValid();
    }
  }
  if (!s.surface) {
    throw std::bad_alloc();
  }
  if (!s.surface->valid) {
    throw UsageError("--angles: " + tool::quoted(o.angles) + " do not make a " + s.shape +
                     " (the edges must be in order, top above bottom and right of left, "
                     "within the shape's limits)");
  }
  s.surface->getWrapping(s.wrapU, s.wrapV);

  // The camera and its view frustum.
  const Vec3d eye = cartesian(s.eye);
  const Vec3d target = cartesian(s.lookAt);
  if (eye == target) {
    throw UsageError("--look-at: the target is the camera position");
  }
  aimUpright(s.camera, eye, target);
  s.cameraOrientation = orientationOf(s.camera);
  Mat4d projection;
  projection.buildPerspective(s.fov * kDegToRad, s.aspect, metresToWorld(s.nearPlane),
                              metresToWorld(s.farPlane));
  if (!s.frustum.build(s.camera.getMatrix(), projection)) {
    throw UsageError("--fov, --aspect, --near, --far: the camera's view and projection make no "
                     "usable frustum (the matrices cannot be inverted at these magnitudes)");
  }

  s.visible = kEmptyRect;
  s.surface->cullToFrustum(s.frustum, s.visible);
  if (!std::isfinite(s.visible.min.x) || !std::isfinite(s.visible.min.y) ||
      !std::isfinite(s.visible.max.x) || !std::isfinite(s.visible.max.y)) {
    throw UsageError("no finite visible part for these values");
  }
}

// Where rays along the border of the view meet the photograph, as (u, v);
// rays that miss, and jumps across the seam of a periodic u, leave gaps.
std::vector<std::pair<double, double>> viewBorder(const Scene &s) {
  constexpr double kGap = std::numeric_limits<double>::quiet_NaN();
  std::vector<std::pair<double, double>> border;
  double lastU = kGap;
  for (int k = 0; k <= 4 * kBorderSamples; ++k) {
    const int edge = (k / kBorderSamples) % 4;
    const double t = static_cast<double>(k % kBorderSamples) / kBorderSamples;
    const Vec3d &a = s.frustum.edges[edge];
    const Vec3d &b = s.frustum.edges[(edge + 1) % 4];
    const Vec3d dir = a * (1.0 - t) + b * t;
    Vec3d hit{};
    double u = 0.0;
    double v = 0.0;
    if (s.surface->intersectRay(s.frustum.eye, dir, hit, false) &&
        s.surface->getRelativeCoords(hit, u, v)) {
      if (s.wrapU && std::fabs(u - lastU) > 1.0) {
        border.emplace_back(kGap, kGap);
      }
      border.emplace_back(u, v);
      lastU = u;
    } else {
      border.emplace_back(kGap, kGap);
      lastU = kGap;
    }
  }
  return border;
}

void drawScene(const Scene &s, const std::string &path, const char *option) {
  CullDrawing d;
  char title[256];
  std::snprintf(title, sizeof title, "%s photograph, %g° to %g° across, %g° to %g° up",
                s.shape.c_str(), s.angles[2], s.angles[3], s.angles[1], s.angles[0]);
  d.title = title;
  d.widthHeightRatio = s.surface->getWidthHeightRatio();
  d.wrapU = s.wrapU;
  d.empty = s.visible.isEmpty();
  d.minU = s.visible.min.x;
  d.minV = s.visible.min.y;
  d.maxU = s.visible.max.x;
  d.maxV = s.visible.max.y;
  d.viewBorder = viewBorder(s);
  writeFileOrThrow(path, cullSvg(d), option);
}

void jsonPlace(JsonWriter &j, const char *key, const Place &p) {
  j.beginObject(key).number("latitude", p.latitude).number("longitude", p.longitude);
  j.number("altitude", p.altitude).endObject();
}

void jsonOrientation(JsonWriter &j, const char *key, const Orientation &o) {
  j.beginObject(key).number("heading", o.heading).number("tilt", o.tilt);
  j.number("roll", o.roll).endObject();
}

void jsonVisible(JsonWriter &j, const Scene &s) {
  const bool empty = s.visible.isEmpty();
  j.boolean("visible", !empty);
  if (empty) {
    j.null("u").null("v");
  } else {
    j.beginArray("u").number(s.visible.min.x).number(s.visible.max.x).endArray();
    j.beginArray("v").number(s.visible.min.y).number(s.visible.max.y).endArray();
  }
  j.boolean("wrap_u", s.wrapU).boolean("wrap_v", s.wrapV);
}

std::string visibleText(const Scene &s, int decimals) {
  if (s.visible.isEmpty()) {
    return "nothing of the photograph is in view\n";
  }
  std::string out = "u " + fixedText(s.visible.min.x, decimals) + " to " +
                    fixedText(s.visible.max.x, decimals) + "\nv " +
                    fixedText(s.visible.min.y, decimals) + " to " +
                    fixedText(s.visible.max.y, decimals) + "\n";
  if (s.wrapU && s.visible.max.x > 1.0) {
    out += "(u is periodic: past 1 it continues from -1)\n";
  }
  return out;
}

std::string orientationText(const Orientation &o) {
  return "heading " + headingText(o.heading, 6) + "°  tilt " + fixedText(o.tilt, 6) + "°  roll " +
         fixedText(o.roll, 6) + "°";
}

} // namespace

int runOrient(const OrientOptions &o) {
  const Place eyePlace = parsePlace(o.eye, "--eye", o.lonlat);
  const Place targetPlace = parsePlace(o.lookAt, "--look-at", o.lonlat);
  const Vec3d eye = cartesian(eyePlace);
  const Vec3d target = cartesian(targetPlace);
  if (eye == target) {
    throw UsageError("--look-at: the target is the camera position");
  }
  QuatCartesianCam cam;
  aimUpright(cam, eye, target);
  const Orientation r = orientationOf(cam);
  if (!std::isfinite(r.heading) || !std::isfinite(r.tilt) || !std::isfinite(r.roll)) {
    throw UsageError("no finite orientation for these places");
  }
  if (o.json) {
    LineBuffer line;
    JsonWriter j(*line);
    j.beginObject().number("heading", r.heading).number("tilt", r.tilt).number("roll", r.roll);
    j.endObject();
    return writeResult("orient", line.str() + '\n');
  }
  const int p = o.precision;
  return writeResult("orient", "heading  " + headingText(r.heading, p) + "°\ntilt     " +
                                   fixedText(r.tilt, p) + "°\nroll     " + fixedText(r.roll, p) +
                                   "°\n");
}

int runCull(const CullOptions &o) {
  Scene s;
  buildScene(o, s);
  if (!o.svg.empty()) {
    drawScene(s, o.svg, "--svg");
  }
  if (o.json) {
    LineBuffer line;
    JsonWriter j(*line);
    j.beginObject().string("shape", s.shape);
    jsonVisible(j, s);
    j.endObject();
    return writeResult("cull", line.str() + '\n');
  }
  return writeResult("cull", visibleText(s, o.precision));
}

int runDemo(const DemoOptions &o) {
  const CullOptions defaults;
  Scene s;
  buildScene(defaults, s);
  if (!o.svg.empty()) {
    drawScene(s, o.svg, "--svg");
  }
  const Vec3d norm =
      convert::LLAToNorm(Vec3d{s.photo.longitude, s.photo.latitude, s.photo.altitude});
  const gridlot::UTMZone zone(s.photo.latitude, s.photo.longitude);
  double easting = 0.0;
  double northing = 0.0;
  zone.LatLongToUTM(s.photo.latitude, s.photo.longitude, &easting, &northing);
  const bool centreInView = s.frustum.isPtInside(s.surface->getPointFromCoords(0.0, 0.0, nullptr));

  if (o.json) {
    LineBuffer line;
    JsonWriter j(*line);
    j.beginObject();
    j.beginObject("photograph");
    jsonPlace(j, "place", s.photo);
    j.triple("normalised", norm.x, norm.y, norm.z);
    j.triple("cartesian", s.photoPoint.x, s.photoPoint.y, s.photoPoint.z);
    j.beginObject("utm").integer("zone", zone.getZoneNumber());
    j.string("band", std::string(1, zone.getZoneLetter()));
    j.number("easting", easting).number("northing", northing);
    j.string("series", "viewer").endObject();
    j.string("shape", s.shape).number("distance", s.distance);
    j.beginArray("angles");
    for (const double a : s.angles) {
      j.number(a);
    }
    j.endArray();
    jsonOrientation(j, "orientation", s.photoOrientation);
    j.endObject();
    j.beginObject("camera");
    jsonPlace(j, "eye", s.eye);
    jsonPlace(j, "look_at", s.lookAt);
    jsonOrientation(j, "orientation", s.cameraOrientation);
    j.number("fov", s.fov).number("aspect", s.aspect);
    j.number("near", s.nearPlane).number("far", s.farPlane).endObject();
    j.beginObject("frustum").integer("planes", s.frustum.count);
    j.triple("eye", s.frustum.eye.x, s.frustum.eye.y, s.frustum.eye.z);
    j.boolean("photograph_centre_inside", centreInView).endObject();
    j.beginObject("cull");
    jsonVisible(j, s);
    j.endObject();
    j.endObject();
    return writeResult("demo", line.str() + '\n');
  }

  std::string out = "A camera over a photograph on a sphere, step by step.\n\n";
  char text[1024];
  std::snprintf(text, sizeof text,
                "1. The photograph's viewpoint\n"
                "   place       latitude %.6f°, longitude %.6f°, altitude %.1f m\n"
                "   normalised  (%.9f, %.9f, %.9g)\n"
                "   Cartesian   (%.9f, %.9f, %.9f) planet radii\n"
                "   UTM         %d %c %.3f %.3f (the viewer's series)\n\n",
                s.photo.latitude, s.photo.longitude, s.photo.altitude, norm.x, norm.y, norm.z,
                s.photoPoint.x, s.photoPoint.y, s.photoPoint.z, zone.getZoneNumber(),
                zone.getZoneLetter(), easting, northing);
  out += text;
  std::snprintf(text, sizeof text,
                "2. The photograph on a %s of radius %.1f m around it\n"
                "   edges       top %g°, bottom %g°, left %g°, right %g°\n"
                "   facing      %s\n"
                "   wraps in u  %s\n\n",
                s.shape.c_str(), s.distance, s.angles[0], s.angles[1], s.angles[2], s.angles[3],
                orientationText(s.photoOrientation).c_str(), s.wrapU ? "yes" : "no");
  out += text;
  std::snprintf(text, sizeof text,
                "3. The camera (QuatCartesianCam aimed with lookAt, held upright)\n"
                "   eye         latitude %.6f°, longitude %.6f°, altitude %.1f m\n"
                "   looking at  latitude %.6f°, longitude %.6f°, altitude %.1f m\n"
                "   orientation %s\n\n",
                s.eye.latitude, s.eye.longitude, s.eye.altitude, s.lookAt.latitude,
                s.lookAt.longitude, s.lookAt.altitude,
                orientationText(s.cameraOrientation).c_str());
  out += text;
  std::snprintf(text, sizeof text,
                "4. The view frustum (Frustum::build from getMatrix and a %g° perspective, "
                "aspect %g, near %g m, far %g m)\n"
                "   planes      %d\n"
                "   eye         (%.9f, %.9f, %.9f)\n"
                "   photograph centre in view: %s\n\n",
                s.fov, s.aspect, s.nearPlane, s.farPlane, static_cast<int>(s.frustum.count),
                s.frustum.eye.x, s.frustum.eye.y, s.frustum.eye.z, centreInView ? "yes" : "no");
  out += text;
  out += "5. The visible part of the photograph (cullToFrustum), relative coordinates\n";
  std::string visible = visibleText(s, o.precision);
  for (std::size_t pos = 0; pos < visible.size();) {
    const std::size_t end = visible.find('\n', pos);
    out += "   " + visible.substr(pos, end - pos + 1);
    pos = end + 1;
  }
  return writeResult("demo", out);
}

namespace {

std::function<int()> attachOrient(CLI::App *sub, std::vector<std::string> *&values) {
  auto o = std::make_shared<OrientOptions>();
  sub->add_option("--eye", o->eye, "Camera position LAT,LON,ALT (degrees, metres)")->required();
  sub->add_option("--look-at", o->lookAt, "Target LAT,LON,ALT (degrees, metres)")->required();
  sub->add_flag("--lonlat", o->lonlat, "Places as LON,LAT,ALT");
  sub->add_flag("--json", o->json, "Write the result as JSON");
  addPrecision(sub, o->precision, kMaxViewDecimals, "Decimals of the degrees; default 6",
               "1e-12 degree");
  values = nullptr;
  return [o] { return runOrient(*o); };
}

} // namespace

const Command kOrientCommand{
    "orient", "Heading, tilt and roll of a camera aimed at a place",
    "The camera at --eye is aimed at --look-at and held upright; the heading runs 0 to "
    "360 clockwise from north (0 north, 90 east, 270 west), as a compass reads; tilt 0 "
    "looks straight down, 90 at the horizon; roll -180 to 180; all in degrees.",
    "  $ orrery orient --eye 0,0,1000 --look-at 0,0.1,0\n"
    "  heading  90.000000°\n"
    "  tilt     84.811494°\n"
    "  roll     0.000000°",
    attachOrient};

namespace {

std::function<int()> attachCull(CLI::App *sub, std::vector<std::string> *&values) {
  auto o = std::make_shared<CullOptions>();
  sub->add_option("--shape", o->shape, "Surface of the photograph")
      ->check(CLI::IsMember({"rectangle", "cylinder", "sphere"}))
      ->capture_default_str();
  sub->add_option("--photo", o->photo, "Viewpoint of the photograph LAT,LON,ALT")
      ->capture_default_str();
  sub->add_option("--facing", o->facing, "Compass heading the photograph faces, degrees")
      ->capture_default_str();
  sub->add_option("--distance", o->distance, "Distance of the surface (radius), metres")
      ->capture_default_str();
  sub->add_option("--angles", o->angles,
                  "Edges of the photograph TOP,BOTTOM,LEFT,RIGHT in degrees from its centre")
      ->capture_default_str();
  sub->add_option("--eye", o->eye, "Camera position LAT,LON,ALT")->capture_default_str();
  sub->add_option("--look-at", o->lookAt, "Camera target LAT,LON,ALT")->capture_default_str();
  sub->add_option("--fov", o->fov, "Vertical field of view of the camera, degrees")
      ->capture_default_str();
  sub->add_option("--aspect", o->aspect, "Width / height of the view")->capture_default_str();
  sub->add_option("--near", o->near, "Near plane, metres")->capture_default_str();
  sub->add_option("--far", o->far, "Far plane, metres")->capture_default_str();
  sub->add_option("--svg", o->svg, "Draw the photograph and the visible part into FILE");
  sub->add_flag("--json", o->json, "Write the result as JSON");
  addPrecision(sub, o->precision, kMaxViewDecimals, "Decimals of u and v; default 6",
               "1e-12 of the photograph's half width");
  values = nullptr;
  return [o] { return runCull(*o); };
}

} // namespace

const Command kCullCommand{
    "cull", "The part of a photograph that a camera sees",
    "The photograph is taken at --photo facing --facing, held level, and shown on a "
    "rectangle, cylinder or sphere around that place; the camera is at --eye, aimed at "
    "--look-at. The answer is a rectangle of the photograph's relative coordinates (u, v), "
    "each -1 to 1 (u left to right, v bottom to top); --svg draws it.",
    "  $ orrery cull --shape rectangle --facing 135 --look-at 46.5700,7.9600,4200\n"
    "  nothing of the photograph is in view",
    attachCull};

namespace {

std::function<int()> attachDemo(CLI::App *sub, std::vector<std::string> *&values) {
  auto o = std::make_shared<DemoOptions>();
  sub->add_option("--svg", o->svg, "Also draw the visible part into FILE");
  sub->add_flag("--json", o->json, "Write the result as JSON");
  addPrecision(sub, o->precision, kMaxViewDecimals,
               "Decimals of the visible part's u and v; default 6",
               "1e-12 of the photograph's half width");
  values = nullptr;
  return [o] { return runDemo(*o); };
}

} // namespace

const Command kDemoCommand{
    "demo", "The main job, step by step, with built-in values",
    "A camera over a photograph on a sphere: prints each step from the places to the "
    "visible part of the photograph (the defaults of cull with --shape sphere). The UTM "
    "position of the photograph is the viewer's own series (gridlot::UTMZone, as utm "
    "--viewer-series), within 1.04 mm of the exact projection.",
    "  $ orrery demo | tail -n 2\n"
    "     u -0.076160 to 0.901985\n"
    "     v -0.797675 to 0.536035",
    attachDemo};

} // namespace orrery::tool
