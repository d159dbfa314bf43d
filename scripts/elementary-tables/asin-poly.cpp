// Prints the polynomial tables of the library's arcsine first stage:
//  - for c = i/128, i = 0..kLast, the coefficients of a polynomial in
//    t = x - c, |t| <= 1/256, close to asin(c + t): Chebyshev interpolation
//    of degree kDegree computed in 256-bit arithmetic, the constant and linear
//    coefficients as double-doubles, the others rounded to double; for i = 0
//    the Taylor series of asin t (odd, exact leading 1);
//  - the coefficients of P(z) ~ (asin(sqrt z) / sqrt z - 1) / z on
//    [0, kNearOne], by Chebyshev interpolation of degree kNearDegree, the
//    constant one (about 1/6) as a double-double.
// On stderr: the largest error of each table over a dense sample, relative
// to the smallest |asin| of the interval (z |P - F| for the second).
//
//   g++ -O2 -o /tmp/asin-poly scripts/elementary-tables/asin-poly.cpp -lmpfr && /tmp/asin-poly

#include <cmath>
#include <cstdio>
#include <mpfr.h>
#include <vector>

namespace {

constexpr int kPrec = 256;
constexpr int kDegree = 9;
constexpr int kLast = 112;
constexpr int kNearDegree = 9;
constexpr double kNearOne = 0x1p-4; // (1 - 7/8) / 2

struct Num {
  mpfr_t v;
  Num() { mpfr_init2(v, kPrec), mpfr_set_ui(v, 0, MPFR_RNDN); }
  Num(const Num &o) { mpfr_init2(v, kPrec), mpfr_set(v, o.v, MPFR_RNDN); }
  Num &operator=(const Num &o) {
    mpfr_set(v, o.v, MPFR_RNDN);
    return *this;
  }
  ~Num() { mpfr_clear(v); }
};

// The monomial coefficients in u of the Chebyshev interpolant of degree n of
// the values f at the nodes cos(pi (j + 1/2) / (n + 1)).
std::vector<Num> chebyshev(const std::vector<Num> &values) {
  const int m = static_cast<int>(values.size());
  Num pi, a, w;
  mpfr_const_pi(pi.v, MPFR_RNDN);
  std::vector<Num> cheb(m);
  for (int k = 0; k < m; ++k) {
    for (int j = 0; j < m; ++j) {
      mpfr_mul_ui(a.v, pi.v, static_cast<unsigned>(k * (2 * j + 1)), MPFR_RNDN);
      mpfr_div_ui(a.v, a.v, static_cast<unsigned>(2 * m), MPFR_RNDN);
      mpfr_cos(a.v, a.v, MPFR_RNDN);
      mpfr_mul(a.v, a.v, values[j].v, MPFR_RNDN);
      mpfr_add(cheb[k].v, cheb[k].v, a.v, MPFR_RNDN);
    }
    mpfr_mul_ui(cheb[k].v, cheb[k].v, 2, MPFR_RNDN);
    mpfr_div_ui(cheb[k].v, cheb[k].v, static_cast<unsigned>(m), MPFR_RNDN);
  }
  mpfr_div_2ui(cheb[0].v, cheb[0].v, 1, MPFR_RNDN);
  // T_k as monomials: T_{k+1} = 2 u T_k - T_{k-1}.
  std::vector<std::vector<Num>> t(m, std::vector<Num>(m));
  mpfr_set_ui(t[0][0].v, 1, MPFR_RNDN);
  if (m > 1) {
    mpfr_set_ui(t[1][1].v, 1, MPFR_RNDN);
  }
  for (int k = 1; k + 1 < m; ++k) {
    for (int p = 0; p < m; ++p) {
      mpfr_neg(t[k + 1][p].v, t[k - 1][p].v, MPFR_RNDN);
      if (p > 0) {
        mpfr_mul_2ui(w.v, t[k][p - 1].v, 1, MPFR_RNDN);
        mpfr_add(t[k + 1][p].v, t[k + 1][p].v, w.v, MPFR_RNDN);
      }
    }
  }
  std::vector<Num> mono(m);
  for (int k = 0; k < m; ++k) {
    for (int p = 0; p < m; ++p) {
      mpfr_mul(w.v, cheb[k].v, t[k][p].v, MPFR_RNDN);
      mpfr_add(mono[p].v, mono[p].v, w.v, MPFR_RNDN);
    }
  }
  return mono;
}

// The Chebyshev node cos(pi (2 j + 1) / (2 m)), in 256 bits.
void node(Num &out, int j, int m) {
  mpfr_const_pi(out.v, MPFR_RNDN);
  mpfr_mul_ui(out.v, out.v, static_cast<unsigned>(2 * j + 1), MPFR_RNDN);
  mpfr_div_ui(out.v, out.v, static_cast<unsigned>(2 * m), MPFR_RNDN);
  mpfr_cos(out.v, out.v, MPFR_RNDN);
}

void split(const Num &v, double &hi, double &lo) {
  Num r;
  hi = mpfr_get_d(v.v, MPFR_RNDN);
  mpfr_sub_d(r.v, v.v, hi, MPFR_RNDN);
  lo = mpfr_get_d(r.v, MPFR_RNDN);
}

// sum of c[k] t^k in 256-bit arithmetic, c[0] and c[1] as double-doubles.
void evaluate(Num &out, const double *hl, const std::vector<double> &c, double t) {
  Num acc;
  for (int k = static_cast<int>(c.size()) - 1; k >= 2; --k) {
    mpfr_mul_d(acc.v, acc.v, t, MPFR_RNDN);
    mpfr_add_d(acc.v, acc.v, c[k], MPFR_RNDN);
  }
  mpfr_mul_d(acc.v, acc.v, t, MPFR_RNDN);
  mpfr_add_d(acc.v, acc.v, hl[2], MPFR_RNDN);
  mpfr_add_d(acc.v, acc.v, hl[3], MPFR_RNDN);
  mpfr_mul_d(acc.v, acc.v, t, MPFR_RNDN);
  mpfr_add_d(acc.v, acc.v, hl[0], MPFR_RNDN);
  mpfr_add_d(out.v, acc.v, hl[1], MPFR_RNDN);
}

} // namespace

int main() {
  constexpr double h = 0x1p-8;
  constexpr int m = kDegree + 1;
  double worst = 0;
  std::printf("constexpr ArcSinePiece kAsinPieces[%d] = {\n", kLast + 1);
  for (int i = 0; i <= kLast; ++i) {
    double hl[4] = {0, 0, 0, 0};
    std::vector<double> c(m, 0.0);
    if (i == 0) {
      // asin t = t + t^3/6 + 3 t^5/40 + 5 t^7/112 + 35 t^9/1152: the next
      // term is below 2^-85 t.
      hl[2] = 1.0;
      const int num[] = {1, 3, 5, 35};
      const int den[] = {6, 40, 112, 1152};
      for (int k = 0; k < 4 && 3 + 2 * k < m; ++k) {
        Num q;
        mpfr_set_ui(q.v, num[k], MPFR_RNDN);
        mpfr_div_ui(q.v, q.v, den[k], MPFR_RNDN);
        c[3 + 2 * k] = mpfr_get_d(q.v, MPFR_RNDN);
      }
    } else {
      std::vector<Num> values(m);
      for (int j = 0; j < m; ++j) {
        node(values[j], j, m);
        mpfr_mul_d(values[j].v, values[j].v, h, MPFR_RNDN);
        mpfr_add_d(values[j].v, values[j].v, i * 0x1p-7, MPFR_RNDN);
        mpfr_asin(values[j].v, values[j].v, MPFR_RNDN);
      }
      std::vector<Num> mono = chebyshev(values);
      for (int k = 0; k < m; ++k) {
        mpfr_div_d(mono[k].v, mono[k].v, std::pow(h, k), MPFR_RNDN);
      }
      split(mono[0], hl[0], hl[1]);
      split(mono[1], hl[2], hl[3]);
      for (int k = 2; k < m; ++k) {
        c[k] = mpfr_get_d(mono[k].v, MPFR_RNDN);
      }
    }
    // The error over a dense sample, relative to asin at the sample.
    Num p, f;
    for (int j = -2000; j <= 2000; ++j) {
      const double t = j * h / 2000;
      if (i == 0 && t <= 0) {
        continue;
      }
      evaluate(p, hl, c, t);
      mpfr_set_d(f.v, i * 0x1p-7, MPFR_RNDN);
      mpfr_add_d(f.v, f.v, t, MPFR_RNDN);
      mpfr_asin(f.v, f.v, MPFR_RNDN);
      mpfr_sub(p.v, p.v, f.v, MPFR_RNDN);
      mpfr_div(p.v, p.v, f.v, MPFR_RNDN);
      const double e = std::fabs(mpfr_get_d(p.v, MPFR_RNDN));
      worst = e > worst ? e : worst;
    }
    std::printf("    {%a, %a, %a, %a, {", hl[0], hl[1], hl[2], hl[3]);
    for (int k = 2; k < m; ++k) {
      std::printf("%a%s", c[k], k + 1 < m ? ", " : "}},\n");
    }
  }
  std::printf("};\n");
  std::fprintf(stderr, "pieces: worst relative error 2^%.2f\n", std::log2(worst));

  // Near 1: P(z) on [0, kNearOne].
  constexpr int n = kNearDegree + 1;
  std::vector<Num> values(n);
  Num s, z;
  for (int j = 0; j < n; ++j) {
    node(z, j, n);
    mpfr_add_ui(z.v, z.v, 1, MPFR_RNDN);
    mpfr_mul_d(z.v, z.v, 0.5 * kNearOne, MPFR_RNDN);
    mpfr_sqrt(s.v, z.v, MPFR_RNDN);
    mpfr_asin(values[j].v, s.v, MPFR_RNDN);
    mpfr_div(values[j].v, values[j].v, s.v, MPFR_RNDN);
    mpfr_sub_ui(values[j].v, values[j].v, 1, MPFR_RNDN);
    mpfr_div(values[j].v, values[j].v, z.v, MPFR_RNDN);
  }
  // Monomials in u = 2 z / kNearOne - 1, expanded into monomials in z.
  std::vector<Num> mono = chebyshev(values);
  std::vector<Num> pz(n);
  Num b, w;
  for (int k = 0; k < n; ++k) {
    // (2 z / a - 1)^k = sum_p C(k, p) (2 / a)^p z^p (-1)^(k - p)
    mpfr_set_ui(b.v, 1, MPFR_RNDN);
    for (int p = 0; p <= k; ++p) {
      mpfr_mul(w.v, mono[k].v, b.v, MPFR_RNDN);
      mpfr_mul_d(w.v, w.v, std::pow(2.0 / kNearOne, p), MPFR_RNDN);
      if ((k - p) % 2 != 0) {
        mpfr_neg(w.v, w.v, MPFR_RNDN);
      }
      mpfr_add(pz[p].v, pz[p].v, w.v, MPFR_RNDN);
      mpfr_mul_ui(b.v, b.v, static_cast<unsigned>(k - p), MPFR_RNDN);
      mpfr_div_ui(b.v, b.v, static_cast<unsigned>(p + 1), MPFR_RNDN);
    }
  }
  std::vector<double> pd(n + 1);
  {
    Num r;
    pd[0] = mpfr_get_d(pz[0].v, MPFR_RNDN);
    mpfr_sub_d(r.v, pz[0].v, pd[0], MPFR_RNDN);
    pd[n] = mpfr_get_d(r.v, MPFR_RNDN);
  }
  std::printf("// The constant coefficient's low part is the last.\n");
  std::printf("constexpr double kAsinNearOne[%d] = {", n + 1);
  for (int k = 0; k <= n; ++k) {
    if (k > 0 && k < n) {
      pd[k] = mpfr_get_d(pz[k].v, MPFR_RNDN);
    }
    std::printf("%a%s", pd[k], k < n ? ", " : "};\n");
  }
  worst = 0;
  for (int j = 1; j <= 4000; ++j) {
    const double zd = j * kNearOne / 4000;
    Num acc, f;
    for (int k = n - 1; k >= 1; --k) {
      mpfr_mul_d(acc.v, acc.v, zd, MPFR_RNDN);
      mpfr_add_d(acc.v, acc.v, pd[k], MPFR_RNDN);
    }
    mpfr_mul_d(acc.v, acc.v, zd, MPFR_RNDN);
    mpfr_add_d(acc.v, acc.v, pd[0], MPFR_RNDN);
    mpfr_add_d(acc.v, acc.v, pd[n], MPFR_RNDN);
    mpfr_set_d(z.v, zd, MPFR_RNDN);
    mpfr_sqrt(s.v, z.v, MPFR_RNDN);
    mpfr_asin(f.v, s.v, MPFR_RNDN);
    mpfr_div(f.v, f.v, s.v, MPFR_RNDN);
    mpfr_sub_ui(f.v, f.v, 1, MPFR_RNDN);
    mpfr_div(f.v, f.v, z.v, MPFR_RNDN);
    mpfr_sub(acc.v, acc.v, f.v, MPFR_RNDN);
    mpfr_mul_d(acc.v, acc.v, zd, MPFR_RNDN);
    const double e = std::fabs(mpfr_get_d(acc.v, MPFR_RNDN));
    worst = e > worst ? e : worst;
  }
  std::fprintf(stderr, "near one: worst z |P - F| 2^%.2f\n", std::log2(worst));
  return 0;
}
