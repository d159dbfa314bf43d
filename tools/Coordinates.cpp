#include "tools/Coordinates.h"

#include "tools/Text.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace orrery::tool {

namespace {

constexpr std::string_view kAngleForms = "degrees (e.g. -33.9, 33.9S, 46d33'29\"N, 46:33:29N)";
constexpr std::string_view kBands = "CDEFGHJKLMNPQRSTUVWX";
constexpr std::string_view kPolarBands = "ABYZ"; // UPS: south west/east, north west/east

bool isHemisphereWord(std::string_view s) {
  return s == "n" || s == "s" || s == "north" || s == "south";
}

bool isHemisphere(char c) {
  return c == 'N' || c == 'S' || c == 'E' || c == 'W' || c == 'n' || c == 's' || c == 'e' ||
         c == 'w';
}

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool isLatitudeLetter(char c) { return c == 'N' || c == 'S'; }

// Which part of a sexagesimal angle a marker closes: 0 degrees, 1 minutes,
// 2 seconds, 3 the next part in order (':'), -1 none. len gets its length.
int markerAt(std::string_view s, std::size_t i, std::size_t &len) {
  static constexpr struct {
    std::string_view text;
    int part;
  } kMarkers[] = {{"d", 0},  {"D", 0},  {"\u00b0", 0}, {"'", 1}, {"\u2032", 1},
                  {"\"", 2}, {"''", 2}, {"\u2033", 2}, {":", 3}};
  int part = -1;
  for (const auto &m : kMarkers) {
    if (s.substr(i, m.text.size()) == m.text && m.text.size() > len) {
      len = m.text.size();
      part = m.part;
    }
  }
  return part;
}

// Degrees, minutes and seconds without sign or letter: "46d33'29.5\"",
// "46:33:29", "46d33.5'". false when not of that form; why tells a part out
// of range.
bool parseSexagesimal(std::string_view s, double &degrees, std::string &why) {
  double parts[3] = {0.0, 0.0, 0.0};
  int next = 0; // the first part still open
  std::size_t i = 0;
  while (i < s.size()) {
    std::size_t j = i;
    while (j < s.size() && ((s[j] >= '0' && s[j] <= '9') || s[j] == '.')) {
      ++j;
    }
    std::size_t len = 0;
    int part = j == s.size() ? next : markerAt(s, j, len);
    part = part == 3 ? next : part;
    const std::string_view number = s.substr(i, j - i);
    const auto v = parseNumber(number);
    // Parts in order; a fraction on the last part only.
    if (!v || part < next || part > 2 ||
        (number.find('.') != std::string_view::npos && j + len < s.size())) {
      return false;
    }
    if (part > 0 && *v >= 60.0) {
      why =
          std::string(part == 1 ? "minutes " : "seconds ") + std::string(number) + " not below 60";
      return false;
    }
    parts[part] = *v;
    next = part + 1;
    i = j + len;
  }
  degrees = parts[0] + (parts[1] + parts[2] / 60.0) / 60.0;
  return next > 0;
}

std::string bandText(char band) {
  const int index = static_cast<int>(kBands.find(band));
  const int lo = -80 + 8 * index;
  const int hi = band == 'X' ? 84 : lo + 8;
  auto deg = [](int v) {
    return v == 0 ? std::string("0°") : std::to_string(v < 0 ? -v : v) + (v < 0 ? "°S" : "°N");
  };
  return "band " + std::string(1, band) + " is " + deg(lo) + " to " + deg(hi);
}

} // namespace

bool parseAngle(std::string_view token, std::string_view name, Angle &angle, std::string &message) {
  std::string_view s = token;
  char hemisphere = 0;
  if (s.size() > 1 && isHemisphere(s.front())) {
    hemisphere = upper(s.front());
    s.remove_prefix(1);
  } else if (s.size() > 1 && isHemisphere(s.back())) {
    hemisphere = upper(s.back());
    s.remove_suffix(1);
  }
  bool negative = false;
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
    negative = s.front() == '-';
    if (hemisphere != 0) {
      message = std::string(name) + ": a sign and a hemisphere letter together in " + quoted(token);
      return false;
    }
    s.remove_prefix(1);
  }
  double degrees = 0.0;
  std::string why;
  const bool doubleSign = !s.empty() && (s.front() == '-' || s.front() == '+');
  if (const auto v = doubleSign ? std::optional<double>() : parseNumber(s)) {
    degrees = *v;
  } else if (doubleSign || !parseSexagesimal(s, degrees, why)) {
    message = std::string(name) + ": expected " + std::string(kAngleForms) + ", got " +
              quoted(token) + (why.empty() ? "" : " (" + why + ")");
    return false;
  }
  if (hemisphere == 'S' || hemisphere == 'W') {
    negative = true;
  }
  angle.degrees = negative ? -degrees : degrees;
  angle.hemisphere = hemisphere;
  return true;
}

bool wrapLongitude(double &longitude, std::string_view name, std::string &message) {
  if (!(longitude >= -540.0 && longitude <= 540.0)) {
    TextLine t;
    t->shortest(longitude);
    message = std::string(name) + ": " + t.str() + " is outside -540 to 540 degrees";
    return false;
  }
  if (longitude > 180.0) {
    longitude -= 360.0;
  } else if (longitude < -180.0) {
    longitude += 360.0;
  }
  return true;
}

bool parseLatLon(std::string_view first, std::string_view second, bool lonlat, LatLon &position,
                 std::string &message) {
  Angle a;
  Angle b;
  if (!parseAngle(first, lonlat ? "LON" : "LAT", a, message) ||
      !parseAngle(second, lonlat ? "LAT" : "LON", b, message)) {
    return false;
  }
  // Letters decide the order; without them the caller's order does.
  bool firstIsLatitude = !lonlat;
  if (a.hemisphere != 0 && b.hemisphere != 0 &&
      isLatitudeLetter(a.hemisphere) == isLatitudeLetter(b.hemisphere)) {
    message = std::string("both values are ") +
              (isLatitudeLetter(a.hemisphere) ? "latitudes (N/S)" : "longitudes (E/W)") + ": " +
              quoted(first) + " " + quoted(second);
    return false;
  }
  if (a.hemisphere != 0) {
    firstIsLatitude = isLatitudeLetter(a.hemisphere);
  } else if (b.hemisphere != 0) {
    firstIsLatitude = !isLatitudeLetter(b.hemisphere);
  }
  position.latitude = firstIsLatitude ? a.degrees : b.degrees;
  position.longitude = firstIsLatitude ? b.degrees : a.degrees;
  if (!(position.latitude >= -90.0 && position.latitude <= 90.0)) {
    message = "LAT: " + std::string(firstIsLatitude ? first : second) +
              " is beyond the poles (-90 to 90 degrees)";
    return false;
  }
  return wrapLongitude(position.longitude, "LON", message);
}

std::string latitudeText(double latitude, int decimals) {
  const std::string t = fixedText(std::fabs(latitude), decimals);
  if (t.find_first_not_of("0.") == std::string::npos) {
    return t + "°";
  }
  return t + (latitude < 0.0 ? "°S" : "°N");
}

int parseGridZone(const std::string_view *f, int count, int values, GridZone &zone,
                  std::string &message) {
  const std::string what = "ZONE LETTER EASTING NORTHING (e.g. 32 T 422200 5156548, 32T "
                           "422200 5156548 or 34s 259583 6245888)";
  if (count < 1) {
    message = fieldsExpected(what, count);
    return 0;
  }
  std::string_view head = f[0];
  std::size_t digits = 0;
  while (digits < head.size() && head[digits] >= '0' && head[digits] <= '9') {
    ++digits;
  }
  const int used = digits == head.size() ? 2 : 1;
  if (count != used + values) {
    const char *words[] = {"no", "one", "two", "three", "four", "five"};
    message = std::string(words[used + values]) + " values expected: " + what + ", got " +
              (count < 0 ? "an empty field between commas" : std::to_string(count));
    return 0;
  }
  const std::string_view number = head.substr(0, digits);
  const std::string_view letter = used == 2 ? f[1] : head.substr(digits);
  const auto n = parseInteger(number);
  const bool polarBand =
      letter.size() == 1 && kPolarBands.find(letter[0]) != std::string_view::npos;
  if (number.empty() && used == 1 && (isHemisphereWord(letter) || polarBand)) {
    zone.zone = 0; // GeoConvert's polar form: the hemisphere alone ("n 2096454 1452981")
  } else if (!n || *n < 0 || *n > 60) {
    message = "ZONE: expected a zone number from 1 to 60 (or 0 for the polar grid, UPS), got " +
              quoted(number);
    return 0;
  } else {
    zone.zone = static_cast<int>(*n);
  }
  zone.band = 0;
  const std::string_view bands = zone.zone == 0 ? kPolarBands : kBands;
  if (letter == "n" || letter == "north") {
    zone.north = true;
  } else if (letter == "s" || letter == "south") {
    zone.north = false;
  } else if (letter.size() == 1 && bands.find(letter[0]) != std::string_view::npos) {
    zone.band = letter[0];
    zone.north = zone.zone == 0 ? letter[0] >= 'Y' : letter[0] >= 'N';
  } else {
    message = zone.zone == 0 ? "LETTER: expected a hemisphere n or s (north, south) or a polar "
                               "band letter A, B (south), Y or Z (north), got " +
                                   quoted(letter)
                             : "LETTER: expected a hemisphere n or s (north, south) or a band "
                               "letter C to X (not I or O), got " +
                                   quoted(letter);
    if (letter.size() == 1 && bands.find(upper(letter[0])) != std::string_view::npos) {
      message += std::string(" (band letters are upper case: ") + upper(letter[0]) + ")";
    } else if (polarBand) {
      message += " (A, B, Y and Z are the polar bands, zone 0)";
    }
    return 0;
  }
  return used;
}

bool checkGridLatitude(const GridZone &zone, std::string_view northing, double latitude,
                       double tolerance, std::string &message) {
  double lo = -80.0;
  double hi = 84.0;
  if (zone.band != 0) {
    lo = -80.0 + 8.0 * static_cast<double>(kBands.find(zone.band));
    hi = zone.band == 'X' ? 84.0 : lo + 8.0;
  }
  if (latitude >= lo - tolerance && latitude <= hi + tolerance) {
    return true;
  }
  const std::string z = std::to_string(zone.zone);
  const char found = latitude >= -80.0 && latitude <= 84.0
                         ? kBands[static_cast<std::size_t>(std::min(19.0, (latitude + 80.0) / 8.0))]
                         : '\0';
  // Enough decimals to show the latitude outside the band.
  const int decimals = std::max(lo - latitude, latitude - hi) < 0.05 ? 4 : 1;
  std::string at =
      " northing " + std::string(northing) + " lies at " + latitudeText(latitude, decimals);
  if (found != '\0') {
    at += std::string(", in band ") + found;
  }
  if (zone.band == 0) {
    message = "the UTM grid covers 80°S to 84°N but" + at;
    return false;
  }
  message = bandText(zone.band) + " but" + at;
  if (zone.band == 'S' || zone.band == 'N') {
    // The letters that also name a hemisphere: most likely meant as one.
    message += std::string("; for the ") + (zone.band == 'S' ? "southern" : "northern") +
               " hemisphere write " + z + (zone.band == 'S' ? "s" : "n");
  } else {
    message += "; write " + (found != 0 ? z + found + ", or " : std::string()) + z +
               (zone.north ? "n" : "s") + " to name the hemisphere instead of a band";
  }
  return false;
}

bool checkPolarBand(const GridZone &zone, std::string_view eastingText, double easting,
                    double tolerance, std::string &message) {
  constexpr double kPole = 2000000.0; // false easting: the meridians 90 W/E of the pole
  const bool west = zone.band == 'A' || zone.band == 'Y';
  if (zone.band == 0 || (west ? easting < kPole + tolerance : easting >= kPole - tolerance)) {
    return true;
  }
  const char other = static_cast<char>(zone.band + (west ? 1 : -1));
  message = std::string("polar band ") + zone.band + " lies " + (west ? "west" : "east") +
            " of the pole, eastings " + (west ? "below" : "from") + " 2000000, but easting " +
            std::string(eastingText) + " is " + (west ? "east" : "west") + " of it; write " +
            other + ", or " + (zone.north ? "n" : "s") + " to name the hemisphere instead";
  return false;
}

namespace {

long long powerOfTen(int decimals) {
  long long scale = 1;
  for (int i = 0; i < decimals; ++i) {
    scale *= 10;
  }
  return scale;
}

} // namespace

Sexagesimal roundSexagesimal(double whole, double minutes, double seconds, int decimals) {
  Sexagesimal s;
  s.whole = std::llround(std::fabs(whole));
  s.minutes = std::llround(minutes);
  s.scale = powerOfTen(decimals);
  s.ticks = std::llround(seconds * static_cast<double>(s.scale));
  if (s.ticks >= 60 * s.scale) {
    s.ticks -= 60 * s.scale;
    ++s.minutes;
  }
  if (s.minutes >= 60) {
    s.minutes -= 60;
    ++s.whole;
  }
  return s;
}

Sexagesimal roundMinutes(double whole, double minutes, int decimals) {
  Sexagesimal s;
  s.whole = std::llround(std::fabs(whole));
  s.scale = powerOfTen(decimals);
  s.ticks = std::llround(minutes * static_cast<double>(s.scale));
  if (s.ticks >= 60 * s.scale) {
    s.ticks -= 60 * s.scale;
    ++s.whole;
  }
  s.minutes = s.ticks / s.scale;
  return s;
}

std::string tickText(const Sexagesimal &s) {
  // ticks / scale: two digits at least before the point, one per power of
  // ten of scale after it.
  std::string digits = std::to_string(s.ticks);
  std::size_t decimals = std::to_string(s.scale).size() - 1;
  if (digits.size() < decimals + 2) {
    digits.insert(0, decimals + 2 - digits.size(), '0');
  }
  if (decimals > 0) {
    digits.insert(digits.size() - decimals, 1, '.');
  }
  return digits;
}

} // namespace orrery::tool
