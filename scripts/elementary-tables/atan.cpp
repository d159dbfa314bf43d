// Prints the table of the library's arctangent: atan(i/128) for i = 0..128
// as double-doubles (the leading double correctly rounded, the trailing one
// the correctly rounded remainder), in hex-float literals.
//
//   g++ -O2 -o /tmp/atan-table scripts/elementary-tables/atan.cpp -lmpfr && /tmp/atan-table

#include <cstdio>
#include <mpfr.h>

int main() {
  mpfr_t v, r;
  mpfr_inits2(300, v, r, nullptr);
  for (int i = 0; i <= 128; ++i) {
    mpfr_set_ui(v, i, MPFR_RNDN);
    mpfr_div_2ui(v, v, 7, MPFR_RNDN);
    mpfr_atan(v, v, MPFR_RNDN);
    const double hi = mpfr_get_d(v, MPFR_RNDN);
    mpfr_sub_d(r, v, hi, MPFR_RNDN);
    const double lo = mpfr_get_d(r, MPFR_RNDN);
    std::printf("    {%a, %a},\n", hi, lo);
  }
  mpfr_clears(v, r, nullptr);
  return 0;
}
