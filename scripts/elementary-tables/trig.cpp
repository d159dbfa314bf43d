// Prints the constants and tables of math/ElementaryTrig.cpp, computed with
// MPFR: the splits of pi/1024 for the reduction, the 32-bit words of 1/pi for
// huge arguments, and sin(j pi/1024) for j = 0..512 as double-double (the
// table lives in math/detail/TrigTables.h).
//
//   g++ -std=c++20 -O2 scripts/elementary-tables/trig.cpp -lmpfr -o /tmp/trig-tables
//   /tmp/trig-tables

#include <cstdio>
#include <mpfr.h>

namespace {

constexpr mpfr_prec_t kPrecision = 1600;

// Rounds v to 'bits' significant bits, prints it as a hex-float and
// subtracts it from v.
void takePart(const char *name, mpfr_t v, int bits) {
  mpfr_t part;
  mpfr_init2(part, bits);
  mpfr_set(part, v, MPFR_RNDN);
  std::printf("constexpr double %s = %a;\n", name, mpfr_get_d(part, MPFR_RNDN));
  mpfr_sub(v, v, part, MPFR_RNDN);
  mpfr_clear(part);
}

void printDoubleDouble(mpfr_t v) {
  mpfr_t t;
  mpfr_init2(t, kPrecision);
  mpfr_set(t, v, MPFR_RNDN);
  const double hi = mpfr_get_d(t, MPFR_RNDN);
  mpfr_sub_d(t, t, hi, MPFR_RNDN);
  std::printf("    {%a, %a},\n", hi, mpfr_get_d(t, MPFR_RNDN));
  mpfr_clear(t);
}

} // namespace

int main() {
  mpfr_t pi, delta, v;
  mpfr_inits2(kPrecision, pi, delta, v, static_cast<mpfr_ptr>(nullptr));
  mpfr_const_pi(pi, MPFR_RNDN);
  mpfr_div_2ui(delta, pi, 10, MPFR_RNDN);

  mpfr_ui_div(v, 1024, pi, MPFR_RNDN);
  std::printf("constexpr double kInvDelta = %a;\n", mpfr_get_d(v, MPFR_RNDN));
  std::puts("// pi/1024 = kDelta1 + kDelta2 + kDelta3 (39, 39 and 53 bits)");
  mpfr_set(v, delta, MPFR_RNDN);
  takePart("kDelta1", v, 39);
  takePart("kDelta2", v, 39);
  takePart("kDelta3", v, 53);
  std::puts("// pi/1024 = kDeltaB1 + kDeltaB2 + kDeltaB3 + kDeltaB4 (24, 24, 53 and 53 bits)");
  mpfr_set(v, delta, MPFR_RNDN);
  takePart("kDeltaB1", v, 24);
  takePart("kDeltaB2", v, 24);
  takePart("kDeltaB3", v, 53);
  takePart("kDeltaB4", v, 53);
  std::puts("// pi/1024 as a double-double");
  mpfr_set(v, delta, MPFR_RNDN);
  takePart("kDeltaHi", v, 53);
  takePart("kDeltaLo", v, 53);

  std::puts("constexpr std::uint32_t kInvPiWords[] = {");
  mpfr_ui_div(v, 1, pi, MPFR_RNDN);
  for (int i = 0; i < 40; ++i) {
    mpfr_mul_2ui(v, v, 32, MPFR_RNDN);
    mpfr_t word;
    mpfr_init2(word, kPrecision);
    mpfr_floor(word, v);
    std::printf("%s0x%08lx,%s", i % 6 == 0 ? "    " : "", mpfr_get_ui(word, MPFR_RNDN),
                i % 6 == 5 ? "\n" : " ");
    mpfr_sub(v, v, word, MPFR_RNDN);
    mpfr_clear(word);
  }
  std::puts("\n};");

  std::puts("inline constexpr DoubleDouble kSinTable[513] = {");
  for (int j = 0; j <= 512; ++j) {
    mpfr_mul_ui(v, delta, static_cast<unsigned long>(j), MPFR_RNDN);
    mpfr_sin(v, v, MPFR_RNDN);
    printDoubleDouble(v);
  }
  std::puts("};");
  mpfr_clears(pi, delta, v, static_cast<mpfr_ptr>(nullptr));
  return 0;
}
