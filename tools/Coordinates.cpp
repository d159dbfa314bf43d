#include "tools/Coordinates.h"

#include "tools/Text.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace orrery::tool {

namespace {

constexpr std::string_view kAngleForms = "degrees (e.g. -33.9, 33.9S, 46d33'29\"N, 46:33:29N)";
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
    LineBuffer t;
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

bool parseZoneDesignator(std::string_view number, std::string_view letter, GridZoneLetters letters,
                         GridZoneDesignator &zone, std::string &message) {
  char text[16];
  if (number.size() + letter.size() > sizeof text) {
    message =
        "ZONE: expected a zone such as 32T, 32n or n, got " + quoted(number) + " " + quoted(letter);
    return false;
  }
  number.copy(text, number.size());
  letter.copy(text + number.size(), letter.size());
  zone = ParseGridZone(std::string_view(text, number.size() + letter.size()), letters);
  if (zone.error == GridError::None) {
    return true;
  }
  const bool polar = number.empty() || number == "0" || number == "00";
  if (zone.error == GridError::BadZoneNumber) {
    message = "ZONE: expected a zone number from 1 to 60 (or 0 for the polar grid, UPS), got " +
              quoted(number.empty() ? letter : number);
    return false;
  }
  message = polar ? "LETTER: expected a hemisphere n or s (north, south) or a polar band letter "
                    "A, B (south), Y or Z (north), got " +
                        quoted(letter)
                  : "LETTER: expected a hemisphere n or s (north, south) or a band letter C to "
                    "X (not I or O), got " +
                        quoted(letter);
  if (letter.size() == 1) {
    // The same letter in upper case, or the polar grid's zone for it.
    const char big = upper(letter[0]);
    const char asBand[2] = {big, '\0'};
    const std::string upperText = std::string(number) + big;
    if (big != letter[0] && ParseGridZone(upperText).band == big) {
      message += std::string(" (band letters are upper case: ") + big + ")";
    } else if (!polar && ParseGridZone(asBand).error == GridError::None) {
      message += " (A, B, Y and Z are the polar bands, zone 0)";
    }
  }
  return false;
}

namespace {

bool allDigits(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The zone written in one field ("32T", "n") or two ("32 T"): the fields it
// takes, from a field that starts it.
int zoneFieldCount(std::string_view head) { return allDigits(head) ? 2 : 1; }

} // namespace

bool parseGridFields(const std::string_view *fields, int count, GridZoneLetters letters,
                     GridFields &grid, std::string &message) {
  const std::string what = "ZONE LETTER EASTING NORTHING (e.g. 32 T 422200 5156548, 32T "
                           "422200 5156548, 34s 259583 6245888 or 422200 5156548 32n)";
  if (count < 1) {
    message = fieldsExpected(what, count);
    return false;
  }
  // Zone last when the line starts with two numbers and ends with a letter;
  // a line of more than four fields is refused below without reading past
  // the fields it was given.
  const bool zoneLast = (count == 3 || count == 4) && parseNumber(fields[0]) &&
                        parseNumber(fields[1]) && !parseNumber(fields[count - 1]);
  int first = 0; // the zone's first field
  int used = zoneFieldCount(fields[0]);
  if (zoneLast) {
    used = count >= 4 && allDigits(fields[count - 2]) ? 2 : 1;
    first = count - used;
  }
  if (count != used + 2) {
    const char *words[] = {"no", "one", "two", "three", "four", "five"};
    message = std::string(words[used + 2]) + " values expected: " + what + ", got " +
              (count < 0 ? "an empty field between commas" : std::to_string(count));
    return false;
  }
  std::string_view number = fields[first];
  std::string_view letter = used == 2 ? fields[first + 1] : std::string_view();
  if (used == 1) {
    const std::size_t digits = number.find_first_not_of("0123456789");
    letter = number.substr(digits == std::string_view::npos ? number.size() : digits);
    number = number.substr(0, number.size() - letter.size());
  }
  grid.easting = fields[zoneLast ? 0 : used];
  grid.northing = fields[zoneLast ? 1 : used + 1];
  return parseZoneDesignator(number, letter, letters, grid.zone, message);
}

std::string latitudeOutside(double latitude, double lo, double hi) {
  int decimals = 1;
  for (; decimals < 12; ++decimals) {
    const auto shown = parseNumber(fixedText(latitude, decimals));
    if (shown && (*shown < lo || *shown > hi)) {
      break;
    }
  }
  return latitudeText(latitude, decimals);
}

namespace {

long long powerOfTen(int decimals) {
  long long scale = 1;
  for (int i = 0; i < decimals; ++i) {
    scale *= 10;
  }
  return scale;
}

// value (0 to below 1e6) in units of 10^-decimals, rounded as every number
// the command prints: to the nearest decimal of the double's exact value,
// an exact tie to the even digit.
long long ticksOf(double value, int decimals) {
  const std::string text = fixedText(std::fabs(value), decimals);
  long long ticks = 0;
  for (const char c : text) {
    if (c >= '0' && c <= '9') {
      ticks = ticks * 10 + (c - '0');
    }
  }
  return ticks;
}

} // namespace

Sexagesimal roundSexagesimal(double whole, double minutes, double seconds, int decimals) {
  Sexagesimal s;
  s.whole = std::llround(std::fabs(whole));
  s.minutes = std::llround(minutes);
  s.scale = powerOfTen(decimals);
  s.ticks = ticksOf(seconds, decimals);
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
  s.ticks = ticksOf(minutes, decimals);
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

bool readPosition(const std::string_view *fields, int count, bool lonlat, LatLon &position,
                  std::string &message) {
  if (count != 2) {
    message = fieldsExpected(lonlat ? "LON LAT (degrees)" : "LAT LON (degrees)", count);
    return false;
  }
  return parseLatLon(fields[0], fields[1], lonlat, position, message);
}

void putLatLon(Cursor &out, bool lonlat, int decimals, double latitude, double longitude) {
  out.fixed(lonlat ? longitude : latitude, decimals)
      .put(' ')
      .fixed(lonlat ? latitude : longitude, decimals);
}

const char *hemisphereName(bool north) { return north ? "north" : "south"; }

} // namespace orrery::tool
