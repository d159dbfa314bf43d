// orrery convert: a point between the geographic, normalised and Cartesian
// forms of the globe, one point per argument list or per input line.

#include "tools/Commands.h"
#include "tools/Coordinates.h"
#include "tools/Json.h"
#include "tools/Options.h"
#include "tools/Stream.h"
#include "tools/Text.h"

#include "math/Units.h"
#include "math/Vector.h"

#include <CLI/CLI.hpp>

#include <cmath>
#include <functional>
#include <memory>
#include <string_view>

namespace orrery::tool {

namespace {

enum class Form { kLla, kNorm, kCart };

// Names of the fields of each form, latitude first and in the library's
// component order (longitude first); Cartesian has one order.
struct FormInfo {
  const char *fieldsText[2];
  const char *names[2][3];
  const char *jsonKeys[2][3];
};

constexpr FormInfo kForms[] = {
    {{"LAT LON ALT (degrees, degrees, metres)", "LON LAT ALT (degrees, degrees, metres; --lonlat)"},
     {{"LAT", "LON", "ALT"}, {"LON", "LAT", "ALT"}},
     {{"latitude", "longitude", "altitude"}, {"longitude", "latitude", "altitude"}}},
    {{"LAT/180 LON/180 ALT/RADIUS (normalised)",
      "LON/180 LAT/180 ALT/RADIUS (normalised; --lonlat)"},
     {{"LAT/180", "LON/180", "ALT/RADIUS"}, {"LON/180", "LAT/180", "ALT/RADIUS"}},
     {{"latitude", "longitude", "altitude"}, {"longitude", "latitude", "altitude"}}},
    {{"X Y Z (planet radii)", "X Y Z (planet radii)"},
     {{"X", "Y", "Z"}, {"X", "Y", "Z"}},
     {{"x", "y", "z"}, {"x", "y", "z"}}},
};

Form formNamed(const std::string &name) {
  return name == "lla" ? Form::kLla : (name == "norm" ? Form::kNorm : Form::kCart);
}

const FormInfo &info(Form f) { return kForms[static_cast<int>(f)]; }

Vec3d toNorm(Form from, const Vec3d &v) {
  switch (from) {
  case Form::kLla:
    return convert::LLAToNorm(v);
  case Form::kCart:
    return v.getSpherical();
  case Form::kNorm:
    break;
  }
  return v;
}

Vec3d fromNorm(Form to, const Vec3d &n) {
  switch (to) {
  case Form::kLla:
    return convert::NormToLLA(n);
  case Form::kCart:
    return n.getCartesian();
  case Form::kNorm:
    break;
  }
  return n;
}

struct ConvertFormat {
  Form from;
  Form to;
  bool json;
  int order; // 0 latitude first, 1 longitude first
  int precision;
};

// The input as the library's vector (longitude, latitude, altitude or
// x, y, z), checked against the domain of its form.
bool readPoint(const std::string_view *fields, const ConvertFormat &format, Vec3d &p,
               std::string &message) {
  const FormInfo &in = info(format.from);
  const int lonIndex = format.order == 0 ? 1 : 0;
  double v[3];
  int first = 0;
  if (format.from == Form::kLla) {
    LatLon pos{};
    if (!parseLatLon(fields[0], fields[1], format.order == 1, pos, message)) {
      return false;
    }
    v[lonIndex] = pos.longitude;
    v[1 - lonIndex] = pos.latitude;
    first = 2;
  }
  for (int i = first; i < 3; ++i) {
    const auto x = parseNumber(fields[i]);
    if (!x) {
      message = std::string(in.names[format.order][i]) + ": expected a number, got " +
                tool::quoted(fields[i]);
      return false;
    }
    v[i] = *x;
  }
  if (format.from == Form::kCart) {
    p = Vec3d{v[0], v[1], v[2]};
    if (p.x == 0.0 && p.y == 0.0 && p.z == 0.0) {
      message = "the centre of the planet has no latitude or longitude";
      return false;
    }
    return true;
  }
  if (format.from == Form::kNorm) {
    const std::string_view latText = fields[1 - lonIndex];
    if (!(v[1 - lonIndex] >= -0.5 && v[1 - lonIndex] <= 0.5)) {
      message = std::string(in.names[format.order][1 - lonIndex]) + ": " + std::string(latText) +
                " is beyond the poles (-0.5 to 0.5)";
      return false;
    }
    if (!(v[lonIndex] >= -3.0 && v[lonIndex] <= 3.0)) {
      message = std::string(in.names[format.order][lonIndex]) + ": " +
                std::string(fields[lonIndex]) +
                " is outside -3 to 3 (longitudes of -540 to 540 degrees)";
      return false;
    }
    // Shift by whole turns in normalised units, so a longitude already in
    // range keeps every bit.
    v[lonIndex] += v[lonIndex] > 1.0 ? -2.0 : (v[lonIndex] < -1.0 ? 2.0 : 0.0);
  }
  const double lowest = format.from == Form::kLla ? -Units::sPlanetRadius : -1.0;
  if (!(v[2] > lowest)) {
    message = std::string(in.names[format.order][2]) + ": " + std::string(fields[2]) +
              " is at or below the centre of the planet";
    return false;
  }
  p = Vec3d{v[lonIndex], v[1 - lonIndex], v[2]};
  return true;
}

bool convertRecord(const std::string_view *fields, int count, const ConvertFormat &format,
                   Cursor &out, std::string &message) {
  if (count != 3) {
    message = fieldsExpected(info(format.from).fieldsText[format.order], count);
    return false;
  }
  Vec3d p{};
  if (!readPoint(fields, format, p, message)) {
    return false;
  }
  if (format.from != format.to) {
    p = fromNorm(format.to, toNorm(format.from, p));
  }
  if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) {
    message = "the result is not finite: the input is too large for double arithmetic";
    return false;
  }
  const FormInfo &o = info(format.to);
  const bool swap = format.to != Form::kCart && format.order == 0;
  const double r[3] = {swap ? p.y : p.x, swap ? p.x : p.y, p.z};
  if (format.json) {
    JsonWriter j(out);
    j.beginObject();
    for (int i = 0; i < 3; ++i) {
      j.number(o.jsonKeys[format.order][i], r[i]);
    }
    j.endObject();
    return true;
  }
  for (int i = 0; i < 3; ++i) {
    if (i > 0) {
      out.put(' ');
    }
    if (format.precision < 0) {
      out.shortest(r[i]);
    } else {
      out.fixed(r[i], format.precision);
    }
  }
  return true;
}

} // namespace

int runConvert(const ConvertOptions &o) {
  if (o.to == "lla" && o.precision > kMaxMetreDecimals) {
    throw UsageError("-p: " + std::to_string(o.precision) +
                     " decimals is more than the arithmetic carries for --to lla; at most " +
                     std::to_string(kMaxMetreDecimals) + " (1e-9 m)");
  }
  const ConvertFormat format{formNamed(o.from), formNamed(o.to), o.mode.json, o.lonlat ? 1 : 0,
                             o.precision};
  return convertRecords<3>(
      "convert", o.values, o.mode,
      [&](const std::string_view *fields, int count, Cursor &out, std::string &message) {
        return convertRecord(fields, count, format, out, message);
      });
}

namespace {

std::function<int()> attachConvert(CLI::App *sub, std::vector<std::string> *&values) {
  auto o = std::make_shared<ConvertOptions>();
  const auto forms = CLI::IsMember({"lla", "norm", "cart"});
  sub->add_option("--from", o->from, "Form of the input")->check(forms)->capture_default_str();
  sub->add_option("--to", o->to, "Form of the output")->check(forms)->capture_default_str();
  addValues(sub, o->values, "Three numbers in the --from form");
  sub->add_flag("--lonlat", o->lonlat,
                "Longitude before latitude (the library's order), in and out");
  addStream(sub, o->mode, "Write JSON, one object a line when streaming");
  addPrecision(sub, o->precision, kMaxUnitDecimals,
               "Fixed decimals instead of the shortest exact form",
               "1e-15 planet radii; at most 9 for --to lla, 1e-9 m");
  values = &o->values;
  return [o] { return runConvert(*o); };
}

} // namespace

const Command kConvertCommand{
    "convert", "A point between geographic, normalised and Cartesian forms",
    "Forms: lla = LAT LON ALT (degrees, degrees, metres); norm = LAT/180 LON/180 "
    "ALT/RADIUS; cart = X Y Z in planet radii (+Y to the north pole, longitude 0 at -Z, "
    "east at -X). --lonlat reads and writes lla and norm in the library's component order, "
    "longitude first. Latitudes lie within the poles, longitudes -540 to 540 degrees are "
    "wrapped, altitudes lie above the centre of the planet; a result that is not finite is "
    "an error. -p gives fixed decimals instead of the shortest exact form. Without values, "
    "converts standard input line by line (see orrery --help).",
    "  $ orrery convert --from lla --to cart 45 90 6371000\n"
    "  -1.4142135623730951 1.414213562373095 -1.7319121124709868e-16\n"
    "  $ orrery convert --from lla --to norm 46.558 7.985 3470\n"
    "  0.2586555555555555 0.044361111111111115 0.0005446554700988856\n"
    "  $ orrery convert --lonlat --from cart --to lla -p 3 0 0 1\n"
    "  -180.000 0.000 0.000",
    attachConvert};

} // namespace orrery::tool
