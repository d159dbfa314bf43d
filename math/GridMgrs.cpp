// MGRS references: the lettering of the 100 km squares of the UTM and UPS
// grids, and the cells within them.

#include "math/Grid.h"
#include "math/detail/GridCore.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace orrery {

namespace {

using detail::kUpsFalseOrigin;
using detail::letterIndex;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The lettering of the 100 km squares (I and O never used).
constexpr const char *kUtmColumns[3] = {"ABCDEFGH", "JKLMNPQR", "STUVWXYZ"}; // zone mod 3
constexpr char kUtmRows[] = "ABCDEFGHJKLMNPQRSTUV";                          // 2000 km cycle
constexpr int kEvenZoneRowShift = 5; // rows of even zones start at F
// UPS columns west and east of the pole meridian, and rows, from their first
// 100 km index (easting or northing / 100 km).
struct UpsLetters {
  const char *west, *east, *rows;
  int first, last; // 100 km indices of the lettered squares, both ways
};
constexpr UpsLetters kUpsNorth = {"RSTUXYZ", "ABCFGHJ", "ABCDEFGHJKLMNP", 13, 26};
constexpr UpsLetters kUpsSouth = {"JKLPQRSTUXYZ", "ABCFGHJKLPQR", "ABCDEFGHJKLMNPQRSTUVWXYZ", 8,
                                  31};
constexpr int kUpsEastColumn = 20; // 2000 km, the first column of bands B and Z
constexpr double kPow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11};
constexpr int kMaxDigits = 11;

// The index of a UTM band letter in kUtmBandLetters, or -1.
int utmBandIndex(char band) {
  if (band < 'C' || band > 'X' || band == 'I' || band == 'O') {
    return -1;
  }
  return band - 'C' - (band > 'I' ? 1 : 0) - (band > 'O' ? 1 : 0);
}

bool isUpsBand(char band) { return band == 'A' || band == 'B' || band == 'Y' || band == 'Z'; }
char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The cell index floor(v 10^(digits - 5)) of a coordinate: the coordinate is
// first truncated to whole micrometres, the finest cell, after one rounding of
// the scaling, so that every precision names a cell of the finest one and
// the digits agree with GeoConvert's.
std::int64_t cellIndex(double v, int digits) {
  const auto micrometres = static_cast<std::int64_t>(std::floor(v * 1e6));
  const auto perCell = static_cast<std::int64_t>(kPow10[kMaxDigits - digits]);
  // Floor division (v may be slightly negative for a forced zone).
  const std::int64_t q = micrometres / perCell;
  return q * perCell > micrometres ? q - 1 : q;
}

// The coordinate of a cell's corner (offset 0) or centre (offset 0.5),
// rounded once.
double cellCoordinate(std::int64_t cell, double offset, int digits) {
  const double c = static_cast<double>(cell) + offset;
  return digits >= 5 ? c / kPow10[digits - 5] : c * kPow10[5 - digits];
}

MgrsReference referenceFailure(GridError error) {
  MgrsReference r{};
  r.error = error;
  return r;
}

MgrsSquare squareFailure(GridError error) { return MgrsSquare{error, 0, false, 0, 0, kNaN, kNaN}; }

// Whether a position's band letter and hemisphere hold its coordinates, the
// easting already within the MGRS columns: the side of the pole for a UPS
// band, and for a UTM band (of index 'band') the northings of its parallels
// at the easting, which settle all but positions within a few kilometres of
// them; there the inverse decides, within the micrometre of CheckGridBand.
GridError checkBand(const GridPosition &p, int band) {
  if (p.zone == kUpsZone) {
    constexpr double kSlack = 1e-6; // metres, as CheckGridBand's
    const bool west = p.band == 'A' || p.band == 'Y';
    const bool fits =
        (p.band == (p.north ? 'Y' : 'A') || p.band == (p.north ? 'Z' : 'B')) &&
        (west ? p.easting < kUpsFalseOrigin + kSlack : p.easting >= kUpsFalseOrigin - kSlack);
    return fits ? GridError::None : GridError::BadBandLetter;
  }
  if ((band >= 10) != p.north) {
    return GridError::BadBandLetter;
  }
  constexpr double kPerStep = 1.0 / detail::kMgrsEdgeStep;
  const double x = std::fabs(p.easting - detail::kUtmFalseEasting);
  const int i = std::min(static_cast<int>(x * kPerStep), 63);
  const double *south = detail::kMgrsEdgeNorthings[band + (p.north ? 1 : 0)];
  const double *north = south + 65;
  const auto [southLow, southHigh] = std::minmax(south[i], south[i + 1]);
  const auto [northLow, northHigh] = std::minmax(north[i], north[i + 1]);
  if (p.northing >= southHigh && p.northing < northLow) {
    return GridError::None;
  }
  constexpr double kMargin = 1.0; // metres, well beyond the check's allowance
  if (p.northing < southLow - kMargin || p.northing > northHigh + kMargin) {
    return GridError::BadBandLetter;
  }
  const GridZoneDesignator zone{GridError::None, p.zone, p.north, p.band};
  return CheckGridBand(zone, p.easting, GridToLatLon(p.zone, p.north, p.easting, p.northing), 0.0);
}

// Writes the zone and square letters of cell (x, y) at 'digits' for a
// position whose zone is 0..60, and returns where the digits go, or nullptr
// with the error.
char *squareLetters(const GridPosition &position, int digits, std::int64_t x, std::int64_t &y,
                    char *out, GridError &error) {
  const std::int64_t perSquare = static_cast<std::int64_t>(kPow10[digits]);
  error = GridError::OutsideMgrsRange;
  if (position.zone == kUpsZone) {
    const UpsLetters &ups = position.north ? kUpsNorth : kUpsSouth;
    const std::int64_t column = x / perSquare, row = y / perSquare;
    if (x < 0 || y < 0 || column < ups.first || column > ups.last || row < ups.first ||
        row > ups.last) {
      return nullptr;
    }
    const bool east = column >= kUpsEastColumn;
    *out++ = position.north ? (east ? 'Z' : 'Y') : (east ? 'B' : 'A');
    *out++ = east ? ups.east[column - kUpsEastColumn] : ups.west[column - ups.first];
    *out++ = ups.rows[row - ups.first];
    return out;
  }
  // The southern grid ends just below the equator's 10000 km.
  if (!position.north) {
    y = std::min(y, 100 * perSquare - 1);
  }
  const std::int64_t column = x / perSquare, row = y / perSquare;
  const bool rowOk = position.north ? (y >= 0 && row < 95) : (row >= 10);
  if (x < 0 || column < 1 || column > 8 || !rowOk) {
    return nullptr;
  }
  const int zone = position.zone;
  *out++ = static_cast<char>('0' + zone / 10);
  *out++ = static_cast<char>('0' + zone % 10);
  *out++ = position.band;
  *out++ = kUtmColumns[(zone - 1) % 3][column - 1];
  *out++ = kUtmRows[(row + (zone % 2 == 0 ? kEvenZoneRowShift : 0)) % 20];
  return out;
}

// Writes the reference of a position into text, its band and hemisphere
// checked against its coordinates unless they come from the projection
// itself, or returns why it cannot.
GridError letter(const GridPosition &position, int digits, bool checked, char *text) {
  if (position.error != GridError::None) {
    return position.error;
  }
  if (digits < 0 || digits > kMaxDigits) {
    return GridError::PrecisionOutOfRange;
  }
  if (!std::isfinite(position.easting) || !std::isfinite(position.northing)) {
    return GridError::NotFinite;
  }
  if (position.zone < 0 || position.zone > 60) {
    return GridError::ZoneOutOfRange;
  }
  // Coordinates beyond a few thousand km cannot be lettered; keep the casts defined.
  if (!(std::fabs(position.easting) < 1e8 && std::fabs(position.northing) < 1e8)) {
    return GridError::OutsideMgrsRange;
  }
  const int band = utmBandIndex(position.band);
  if (position.zone != kUpsZone && band < 0) {
    return GridError::BadBandLetter;
  }
  const std::int64_t x = cellIndex(position.easting, digits);
  std::int64_t y = cellIndex(position.northing, digits);
  GridError error = GridError::None;
  char *out = squareLetters(position, digits, x, y, text, error);
  if (out == nullptr) {
    return error;
  }
  const std::int64_t perSquare = static_cast<std::int64_t>(kPow10[digits]);
  if (checked) {
    error = checkBand(position, band);
    // A position of a forced zone may lie in a square that misses the grid
    // zone, which no reference names.
    if (error == GridError::None && position.zone != kUpsZone) {
      const unsigned char *rows =
          detail::mgrsRows(position.zone, band, static_cast<int>(x / perSquare));
      const std::int64_t row = y / perSquare;
      error = row >= rows[0] && row <= rows[1] ? GridError::None : GridError::SquareNotInBand;
    }
    if (error != GridError::None) {
      return error;
    }
  }
  std::int64_t ex = x % perSquare, ny = y % perSquare;
  for (int i = digits - 1; i >= 0; --i) {
    out[i] = static_cast<char>('0' + ex % 10);
    out[digits + i] = static_cast<char>('0' + ny % 10);
    ex /= 10;
    ny /= 10;
  }
  out[2 * digits] = '\0';
  return GridError::None;
}

// The reference built in place in the returned object (every path returns
// r), and cleared again when the lettering fails part way.
MgrsReference encode(const GridPosition &position, int digits, bool checked) {
  MgrsReference r{};
  r.error = letter(position, digits, checked, r.text);
  if (r.error != GridError::None) {
    r = referenceFailure(r.error);
  }
  return r;
}

// The 100 km indices of easting and northing of the square with these
// letters (upper case) in 'zone': 1..60 with a UTM band, kUpsZone with a UPS
// band, both checked by the caller. A UTM square exists where the table of
// the grid zone's squares has it; a UPS square wherever it is lettered.
GridError squareIndices(int zone, char band, char columnLetter, char rowLetter,
                        std::int64_t &column, std::int64_t &row) {
  if (zone == kUpsZone) {
    const UpsLetters &ups = band >= 'Y' ? kUpsNorth : kUpsSouth;
    const bool east = band == 'B' || band == 'Z';
    const int c = letterIndex(east ? ups.east : ups.west, columnLetter);
    if (c < 0) {
      return GridError::BadColumnLetter;
    }
    column = c + (east ? kUpsEastColumn : ups.first);
    const int r = letterIndex(ups.rows, rowLetter);
    if (r < 0) {
      return GridError::BadRowLetter;
    }
    row = r + ups.first;
    return GridError::None;
  }
  const int c = letterIndex(kUtmColumns[(zone - 1) % 3], columnLetter);
  if (c < 0) {
    return GridError::BadColumnLetter;
  }
  const int r = letterIndex(kUtmRows, rowLetter);
  if (r < 0) {
    return GridError::BadRowLetter;
  }
  // The row letter fixes the row modulo 20; the grid zone's rows in this
  // column span fewer than 20, so at most one of them carries it.
  const int cycleRow = (r + 20 - (zone % 2 == 0 ? kEvenZoneRowShift : 0)) % 20;
  const unsigned char *rows = detail::mgrsRows(zone, utmBandIndex(band), c + 1);
  const int first = rows[0];
  const int candidate = first + (cycleRow - first % 20 + 20) % 20;
  if (candidate > rows[1]) {
    return GridError::SquareNotInBand;
  }
  column = c + 1;
  row = candidate;
  return GridError::None;
}

// Reads the zone number and band letter at the start of a reference into sq,
// and returns how many characters they took, or 0 with sq.error set.
std::size_t readZone(std::string_view reference, MgrsSquare &sq) {
  std::size_t pos = 0;
  int zone = 0;
  while (pos < reference.size() && isDigit(reference[pos])) {
    if (pos == 2) {
      sq.error = GridError::BadZoneNumber;
      return 0;
    }
    zone = 10 * zone + (reference[pos++] - '0');
  }
  const bool utm = pos > 0;
  if (pos == reference.size()) {
    sq.error = utm ? GridError::BadBandLetter : GridError::BadZoneNumber;
    return 0;
  }
  sq.band = upper(reference[pos++]);
  sq.zone = zone;
  if (utm) {
    sq.error = zone < 1 || zone > 60       ? GridError::BadZoneNumber
               : utmBandIndex(sq.band) < 0 ? GridError::BadBandLetter
                                           : GridError::None;
    sq.north = sq.band >= 'N';
  } else if (!isUpsBand(sq.band)) {
    // A UTM band letter without its zone number.
    sq.error = utmBandIndex(sq.band) >= 0 ? GridError::BadZoneNumber : GridError::BadBandLetter;
  } else {
    sq.north = sq.band >= 'Y';
  }
  return sq.error == GridError::None ? pos : 0;
}

} // namespace

MgrsReference GridToMgrs(const GridPosition &position, int digits) {
  return encode(position, digits, true);
}

MgrsReference LatLonToMgrs(double latitude, double longitude, int digits) {
  return encode(LatLonToGrid(latitude, longitude), digits, false);
}

MgrsSquare MgrsToGrid(std::string_view reference, bool centre) {
  MgrsSquare sq{};
  std::size_t pos = readZone(reference, sq);
  if (pos == 0) {
    return squareFailure(sq.error);
  }
  if (reference.size() - pos < 2) {
    return squareFailure(GridError::MissingSquare);
  }
  const char columnLetter = upper(reference[pos++]);
  const char rowLetter = upper(reference[pos++]);
  const std::size_t count = reference.size() - pos;
  for (std::size_t i = pos; i < reference.size(); ++i) {
    if (!isDigit(reference[i])) {
      return squareFailure(GridError::BadCharacter);
    }
  }
  if (count % 2 != 0) {
    return squareFailure(GridError::OddDigitCount);
  }
  if (count > 2 * kMaxDigits) {
    return squareFailure(GridError::TooManyDigits);
  }
  const int digits = static_cast<int>(count / 2);
  sq.digits = digits;
  std::int64_t column = 0, row = 0;
  const GridError error = squareIndices(sq.zone, sq.band, columnLetter, rowLetter, column, row);
  if (error != GridError::None) {
    return squareFailure(error);
  }
  std::int64_t e = 0, n = 0;
  for (int i = 0; i < digits; ++i) {
    e = 10 * e + (reference[pos + i] - '0');
    n = 10 * n + (reference[pos + digits + i] - '0');
  }
  const std::int64_t perSquare = static_cast<std::int64_t>(kPow10[digits]);
  const double offset = centre ? 0.5 : 0.0;
  sq.easting = cellCoordinate(column * perSquare + e, offset, digits);
  sq.northing = cellCoordinate(row * perSquare + n, offset, digits);
  return sq;
}

bool MgrsSquareExists(int zone, char band, char column, char row) {
  band = upper(band);
  if (zone == kUpsZone ? !isUpsBand(band) : (zone < 1 || zone > 60 || utmBandIndex(band) < 0)) {
    return false;
  }
  std::int64_t e = 0, n = 0;
  return squareIndices(zone, band, upper(column), upper(row), e, n) == GridError::None;
}

MgrsSquare GridZonePoint(const GridZoneDesignator &zone) {
  constexpr double kUpsOrigin = 2000000.0;
  constexpr double kPolarOffset = 400000.0;
  MgrsSquare sq{GridError::None, zone.zone, zone.north, zone.band, 0, kUpsOrigin, kUpsOrigin};
  if (zone.error != GridError::None || zone.band == '\0') {
    sq.error = GridError::BadBandLetter;
    return sq;
  }
  if (zone.zone == kUpsZone) {
    const bool east = UpsBand(zone.north, kUpsOrigin) == zone.band;
    sq.easting += east ? kPolarOffset : -kPolarOffset;
    return sq;
  }
  const double middle = GridBandLatitudes(zone.band).south + 4.0;
  sq.easting = zone.zone == 31 && zone.band == 'V' ? 400000.0 : 500000.0;
  sq.northing =
      std::round(middle * 100.0 / 90.0) * 100000.0 + (zone.north ? 0.0 : kUtmSouthernFalseNorthing);
  return sq;
}

} // namespace orrery
