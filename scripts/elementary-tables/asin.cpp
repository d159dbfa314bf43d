// Prints the table of the library's arcsine: for c = i/128, i = 0..92,
// asin(c) and sqrt(1 - c^2) as double-doubles (the leading double correctly
// rounded, the trailing one the correctly rounded remainder), in hex-float
// literals.
//
//   g++ -O2 -o /tmp/asin-table scripts/elementary-tables/asin.cpp -lmpfr && /tmp/asin-table

#include <cstdio>
#include <mpfr.h>

namespace {

void split(mpfr_t v, double &hi, double &lo) {
  mpfr_t r;
  mpfr_init2(r, 300);
  hi = mpfr_get_d(v, MPFR_RNDN);
  mpfr_sub_d(r, v, hi, MPFR_RNDN);
  lo = mpfr_get_d(r, MPFR_RNDN);
  mpfr_clear(r);
}

} // namespace

int main() {
  mpfr_t c, a, s;
  mpfr_inits2(300, c, a, s, nullptr);
  for (int i = 0; i <= 92; ++i) {
    mpfr_set_ui(c, i, MPFR_RNDN);
    mpfr_div_2ui(c, c, 7, MPFR_RNDN);
    mpfr_asin(a, c, MPFR_RNDN);
    mpfr_sqr(s, c, MPFR_RNDN);
    mpfr_ui_sub(s, 1, s, MPFR_RNDN);
    mpfr_sqrt(s, s, MPFR_RNDN);
    double ah = 0, al = 0, sh = 0, sl = 0;
    split(a, ah, al);
    split(s, sh, sl);
    std::printf("    {{%a, %a}, {%a, %a}},\n", ah, al, sh, sl);
  }
  mpfr_clears(c, a, s, nullptr);
  return 0;
}
