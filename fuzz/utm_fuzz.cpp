// UTM zones and coordinates on arbitrary positions: zone numbers and band
// letters stay in their sets, a position inside the grid comes back from a
// forward and inverse projection within the stated accuracy, any zone and
// any coordinates convert without undefined behaviour, and nothing
// allocates.

#include "fuzz/FuzzSupport.h"
#include "math/UTMZone.h"

#include <cmath>
#include <cstring>

using gridlot::UTMZone;

namespace {

bool bandLetter(char c) {
  return c == 'Z' || (std::strchr("CDEFGHJKLMNPQRSTUVWX", c) != nullptr && c != 0);
}

void checkZone(double lat, double lon) {
  const UTMZone zone(lat, lon);
  const char letter = zone.getZoneLetter();
  FUZZ_CHECK(bandLetter(letter));
  FUZZ_CHECK(letter == UTMZone::ComputeUTMZoneLetter(lat));
  FUZZ_CHECK((letter == 'Z') == !(lat >= -80.0 && lat <= 84.0));
  const int number = zone.getZoneNumber();
  if (std::isfinite(lon) && lon >= -180.0 && std::fabs(lon) < 7e11) {
    FUZZ_CHECK(number >= 1 && number <= 60);
  }
  if (!std::isfinite(lon)) {
    FUZZ_CHECK(number == 0);
  }
  double e = 0.0, n = 0.0, la = 0.0, lo = 0.0;
  zone.LatLongToUTM(lat, lon, &e, &n);
  zone.UTMToLatLong(e, n, &la, &lo);
}

// Inside the grid the projection inverts to 1e-8 degrees in the natural
// zones (within 3 degrees of the central meridian) and to 1.2e-6 degrees in
// the widened Norway and Svalbard zones.
void checkRoundTrip(double lat, double lon) {
  const UTMZone zone(lat, lon);
  double e = 0.0, n = 0.0;
  zone.LatLongToUTM(lat, lon, &e, &n);
  double lat2 = 0.0, lon2 = 0.0;
  zone.UTMToLatLong(e, n, &lat2, &lon2);
  const double central = 6.0 * zone.getZoneNumber() - 183.0;
  const double offset = std::fmod(lon - central + 540.0, 360.0) - 180.0;
  const double tolerance = std::fabs(offset) <= 3.0 ? 1e-8 : 1.2e-6;
  const double dLon = std::fmod(lon2 - lon + 540.0, 360.0) - 180.0;
  FUZZ_CHECK(std::fabs(lat2 - lat) < tolerance);
  FUZZ_CHECK(std::fabs(dLon) * std::cos(lat * 0.017453292519943295) < tolerance);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  orrery::fuzz::Input in(data, size);
  orrery::fuzz::NoAllocation none;
  const int mode = in.byte() % 3;
  if (mode == 0) {
    checkZone(in.number(), in.number());
  } else if (mode == 1) {
    checkRoundTrip(in.within(-80.0, 84.0), in.within(-180.0, 180.0));
  } else {
    // Any zone and letter, any coordinates.
    const UTMZone zone(static_cast<unsigned char>(in.byte()), static_cast<char>(in.byte()));
    const UTMZone copy = zone;
    double lat = 0.0, lon = 0.0, e = 0.0, n = 0.0;
    copy.UTMToLatLong(in.number(), in.number(), &lat, &lon);
    copy.LatLongToUTM(in.number(), in.number(), &e, &n);
  }
  return 0;
}
