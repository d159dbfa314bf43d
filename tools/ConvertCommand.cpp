// orrery convert: a point between the geographic, normalised and Cartesian
// forms of the globe, one point per argument list or per input line.

#include "tools/Commands.h"
#include "tools/Stream.h"
#include "tools/Text.h"

#include "math/Units.h"
#include "math/Vector.h"

#include <string_view>

namespace orrery::tool {

namespace {

enum class Form { kLla, kNorm, kCart };

struct FormInfo {
  const char *fieldsText;  // what a record holds
  const char *names[3];    // names of the fields in messages
  const char *jsonKeys[3]; // keys of the JSON output
};

constexpr FormInfo kForms[] = {
    {"LON LAT ALT (degrees, degrees, metres)",
     {"LON", "LAT", "ALT"},
     {"longitude", "latitude", "altitude"}},
    {"LON/180 LAT/180 ALT/RADIUS (normalised)",
     {"LON/180", "LAT/180", "ALT/RADIUS"},
     {"longitude", "latitude", "altitude"}},
    {"X Y Z (planet radii)", {"X", "Y", "Z"}, {"x", "y", "z"}},
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
  int precision;
};

bool convertRecord(const std::string_view *f, int n, const ConvertFormat &fmt, Cursor &out,
                   std::string &message) {
  const FormInfo &in = info(fmt.from);
  if (n != 3) {
    message = fieldsExpected(in.fieldsText, n);
    return false;
  }
  double v[3];
  for (int i = 0; i < 3; ++i) {
    const auto x = parseNumber(f[i]);
    if (!x) {
      message = std::string(in.names[i]) + ": expected a number, got " + quoted(f[i]);
      return false;
    }
    v[i] = *x;
  }
  const double maxLatitude = fmt.from == Form::kLla ? 90.0 : 0.5;
  if (fmt.from != Form::kCart && (v[1] < -maxLatitude || v[1] > maxLatitude)) {
    message = std::string(in.names[1]) + ": " + std::string(f[1]) + " is beyond the poles";
    return false;
  }
  Vec3d p{v[0], v[1], v[2]};
  if (fmt.from != fmt.to) {
    p = fromNorm(fmt.to, toNorm(fmt.from, p));
  }
  const double r[3] = {p.x, p.y, p.z};
  const FormInfo &o = info(fmt.to);
  if (fmt.json) {
    out.put('{');
    for (int i = 0; i < 3; ++i) {
      out.put(i == 0 ? "\"" : ",\"").put(o.jsonKeys[i]).put("\":").json(r[i]);
    }
    out.put('}');
    return true;
  }
  for (int i = 0; i < 3; ++i) {
    if (i > 0) {
      out.put(' ');
    }
    if (fmt.precision < 0) {
      out.shortest(r[i]);
    } else {
      out.fixed(r[i], fmt.precision);
    }
  }
  return true;
}

} // namespace

int runConvert(const ConvertOptions &o) {
  const ConvertFormat fmt{formNamed(o.from), formNamed(o.to), o.json, o.precision};
  return convertRecords<3>(
      "convert", o.values, o.strict,
      [&](const std::string_view *f, int n, Cursor &out, std::string &message) {
        return convertRecord(f, n, fmt, out, message);
      });
}

} // namespace orrery::tool
