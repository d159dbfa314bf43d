// The reduction of huge arguments of the sine, cosine and tangent (Payne-
// Hanek): x 1024/pi in integer arithmetic on the bits of 1/pi.
//
// The words of 1/pi come from scripts/elementary-tables/trig.cpp.

#include "math/detail/DoubleDouble.h"
#include "math/detail/TrigReduction.h"

#include <bit>
#include <cstdint>

namespace orrery::detail {
namespace {

constexpr std::uint64_t kMantissaMask = (std::uint64_t{1} << 52) - 1;
constexpr std::uint32_t kTurnMask = 2047;

constexpr std::uint32_t kInvPiWords[] = {
    0x517cc1b7, 0x27220a94, 0xfe13abe8, 0xfa9a6ee0, 0x6db14acc, 0x9e21c820, 0xff28b1d5, 0xef5de2b0,
    0xdb92371d, 0x2126e970, 0x03249775, 0x04e8c90e, 0x7f0ef58e, 0x5894d39f, 0x74411afa, 0x975da242,
    0x74ce3813, 0x5a2fbf20, 0x9cc8eb1c, 0xc1a99cfa, 0x4e422fc5, 0xdefc941d, 0x8ffc4bff, 0xef02cc07,
    0xf79788c5, 0xad05368f, 0xb69b3f67, 0x93e584db, 0xa7a31fb3, 0x4f2ff516, 0xba93dd63, 0xf5f2f8bd,
    0x9e839cfb, 0xc5294975, 0x35fdafd8, 0x8fc6ae84, 0x2b019823, 0x7e3db5d5, 0xf867de10, 0x4d7a1b0e,
};

// 64 bits of the little-endian 32-bit-limb number z[0..9] from bit 'pos' up.
std::uint64_t bitsAt(const std::uint32_t (&z)[10], int pos) {
  const auto limb = [&z](int i) -> std::uint64_t { return i < 10 ? z[i] : 0; };
  const int first = pos / 32;
  const int shift = pos % 32;
  const std::uint64_t low = limb(first) | (limb(first + 1) << 32);
  return shift == 0 ? low : (low >> shift) | (limb(first + 2) << (64 - shift));
}

} // namespace

// Payne-Hanek reduction for 2^20 <= |x| < inf. With x = m 2^e (m an integer
// below 2^53), x 1024/pi = m 2^(e+10) / pi: the words of 1/pi that only add
// multiples of 2048 are skipped, the next eight multiply m exactly, and the
// 320-bit product holds N mod 2048 and 192 bits of the fraction; the words
// left out change the fraction by less than 2^-161.
TrigReduced trigReduceHuge(double x) {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(x);
  const int e = static_cast<int>((bits >> 52) & 0x7ff) - 1075;
  const std::uint64_t m = (bits & kMantissaMask) | (kMantissaMask + 1);
  const int first = e > 0 ? (e - 1) / 32 : 0;
  const int s = e + 10 - 32 * (first + 1); // in [-54, 10]
  std::uint32_t z[10] = {};
  const auto ml = static_cast<std::uint32_t>(m);
  const auto mh = static_cast<std::uint32_t>(m >> 32);
  std::uint64_t carry = 0;
  for (int k = 0; k < 8; ++k) {
    const std::uint64_t t = std::uint64_t{kInvPiWords[first + 7 - k]} * ml + carry;
    z[k] = static_cast<std::uint32_t>(t);
    carry = t >> 32;
  }
  z[8] = static_cast<std::uint32_t>(carry);
  carry = 0;
  for (int k = 0; k < 8; ++k) {
    const std::uint64_t t = std::uint64_t{kInvPiWords[first + 7 - k]} * mh + z[k + 1] + carry;
    z[k + 1] = static_cast<std::uint32_t>(t);
    carry = t >> 32;
  }
  z[9] = static_cast<std::uint32_t>(carry);
  // The product is |x| 1024/pi times 2^(224 - s): the units bit is bit p.
  const int p = 224 - s;
  auto n = static_cast<std::uint32_t>(bitsAt(z, p));
  std::uint64_t f0 = bitsAt(z, p - 64);
  std::uint64_t f1 = bitsAt(z, p - 128);
  std::uint64_t f2 = bitsAt(z, p - 192);
  bool negative = false;
  if ((f0 >> 63) != 0) {
    // A fraction of one half or more: N rounds up, the fraction becomes f - 1.
    ++n;
    negative = true;
    f0 = ~f0;
    f1 = ~f1;
    f2 = ~f2 + 1;
    if (f2 == 0) {
      ++f1;
      if (f1 == 0) {
        ++f0;
      }
    }
  }
  if (x < 0) {
    n = 0U - n;
    negative = !negative;
  }
  n &= kTurnMask;
  int shift = 0;
  for (int w = 0; w < 2 && f0 == 0; ++w) {
    f0 = f1;
    f1 = f2;
    f2 = 0;
    shift += 64;
  }
  if (f0 == 0) {
    return {0.0, 0.0, n};
  }
  const int lead = std::countl_zero(f0);
  if (lead > 0) {
    f0 = (f0 << lead) | (f1 >> (64 - lead));
    f1 = (f1 << lead) | (f2 >> (64 - lead));
  }
  shift += lead;
  // The fraction is 0.f0 f1 times 2^-shift: its top 53 bits and the next 53.
  const double scale = std::bit_cast<double>(static_cast<std::uint64_t>(1023 - 53 - shift) << 52);
  const double fh = static_cast<double>(f0 >> 11) * scale;
  const double fl = static_cast<double>(((f0 & 0x7ff) << 42) | (f1 >> 22)) * (scale * 0x1p-53);
  DoubleDouble r = twoProduct(fh, kTrigDeltaHi);
  r = fastTwoSum(r.hi, r.lo + (fh * kTrigDeltaLo + fl * kTrigDeltaHi));
  if (negative) {
    r = {-r.hi, -r.lo};
  }
  return {r.hi, r.lo, n};
}

} // namespace orrery::detail
