#include "studies/random_draws.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace ascent::studies {

namespace {

/// FNV-1a over the bytes of a name.
std::uint64_t name_hash(std::string_view name) {
  std::uint64_t h = 0xcbf29ce484222325ULL;
  for (const char c : name) {
    h ^= static_cast<unsigned char>(c);
    h *= 0x100000001b3ULL;
  }
  return h;
}

/// c[0] + c[1] x + ... + c[7] x^7.
double polynomial(const double (&c)[8], double x) {
  double sum = c[7];
  for (int i = 6; i >= 0; --i) sum = sum * x + c[i];
  return sum;
}

// AS 241 (PPND16): rational approximations of the quantile in the centre
// (|p - 1/2| <= 0.425), the near tail (r = sqrt(-ln min(p, 1-p)) <= 5) and
// the far tail.
// clang-format off
constexpr double CENTRE_NUM[8] = {3.3871328727963666080e0, 1.3314166789178437745e+2,
                                  1.9715909503065514427e+3, 1.3731693765509461125e+4,
                                  4.5921953931549871457e+4, 6.7265770927008700853e+4,
                                  3.3430575583588128105e+4, 2.5090809287301226727e+3};
constexpr double CENTRE_DEN[8] = {1.0, 4.2313330701600911252e+1,
                                  6.8718700749205790830e+2, 5.3941960214247511077e+3,
                                  2.1213794301586595867e+4, 3.9307895800092710610e+4,
                                  2.8729085735721942674e+4, 5.2264952788528545610e+3};
constexpr double NEAR_NUM[8] = {1.42343711074968357734e0, 4.63033784615654529590e0,
                                5.76949722146069140550e0, 3.64784832476320460504e0,
                                1.27045825245236838258e0, 2.41780725177450611770e-1,
                                2.27238449892691845833e-2, 7.74545014278341407640e-4};
constexpr double NEAR_DEN[8] = {1.0, 2.05319162663775882187e0,
                                1.67638483018380384940e0, 6.89767334985100004550e-1,
                                1.48103976427480074590e-1, 1.51986665636164571966e-2,
                                5.47593808499534494600e-4, 1.05075007164441684324e-9};
constexpr double FAR_NUM[8] = {6.65790464350110377720e0, 5.46378491116411436990e0,
                               1.78482653991729133580e0, 2.96560571828504891230e-1,
                               2.65321895265761230930e-2, 1.24266094738807843860e-3,
                               2.71155556874348757815e-5, 2.01033439929228813265e-7};
constexpr double FAR_DEN[8] = {1.0, 5.99832206555887937690e-1,
                               1.36929880922735805310e-1, 1.48753612908506148525e-2,
                               7.86869131145613259100e-4, 1.84631831751005468180e-5,
                               1.42151175831644588870e-7, 2.04426310338993978564e-15};
// clang-format on

}  // namespace

std::uint64_t mix64(std::uint64_t z) {
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

CaseRandom::CaseRandom(std::uint64_t seed, std::uint64_t k)
    : key_(mix64(mix64(seed) ^ mix64(k + 0x9e3779b97f4a7c15ULL))) {}

double centred_uniform(std::uint64_t bits) {
  // The top 53 bits, centred in their step of 2^-53. Above 1/2 a double's
  // own step is 2^-53, so the centre rounds to a neighbour (ties to even),
  // which for the top step is 1 itself: that one is held at the largest
  // double below 1, every other draw is unchanged.
  const double u = (static_cast<double>(bits >> 11) + 0.5) * 0x1p-53;
  return std::min(u, 1.0 - 0x1p-53);
}

double CaseRandom::uniform(std::string_view name) const {
  return centred_uniform(mix64(key_ ^ mix64(name_hash(name))));
}

double CaseRandom::normal(std::string_view name) const {
  return normal_quantile(uniform(name));
}

double portable_log(double x) {
  if (!(x > 0.0)) return std::numeric_limits<double>::quiet_NaN();
  if (std::isinf(x)) return x;
  // x = m 2^e with m in [sqrt(1/2), sqrt(2)); frexp and ldexp are exact.
  int e = 0;
  double m = std::frexp(x, &e);  // m in [1/2, 1)
  if (m < 0.70710678118654752440) {
    m *= 2.0;
    --e;
  }
  // ln m = 2 atanh(s) = 2 (s + s^3/3 + s^5/5 + ...), s = (m - 1)/(m + 1), |s| < 0.1716.
  const double s = (m - 1.0) / (m + 1.0);
  const double s2 = s * s;
  double series = 0.0;
  for (int n = 27; n >= 3; n -= 2) series = (series + 1.0 / n) * s2;
  const double ln_m = 2.0 * s + 2.0 * s * series;
  // ln 2 in two parts: the first has its last 21 bits zero, so times e it is exact.
  constexpr double LN2_HIGH = 6.93147180369123816490e-01;
  constexpr double LN2_LOW = 1.90821492927058770002e-10;
  const double exponent = static_cast<double>(e);
  return exponent * LN2_HIGH + (ln_m + exponent * LN2_LOW);
}

double normal_quantile(double p) {
  if (!(p >= 0.0 && p <= 1.0)) return std::numeric_limits<double>::quiet_NaN();
  if (p == 0.0) return -std::numeric_limits<double>::infinity();
  if (p == 1.0) return std::numeric_limits<double>::infinity();
  const double q = p - 0.5;
  if (std::fabs(q) <= 0.425) {
    const double r = 0.180625 - q * q;
    return q * polynomial(CENTRE_NUM, r) / polynomial(CENTRE_DEN, r);
  }
  double r = std::sqrt(-portable_log(q < 0.0 ? p : 1.0 - p));
  double z = 0.0;
  if (r <= 5.0) {
    r -= 1.6;
    z = polynomial(NEAR_NUM, r) / polynomial(NEAR_DEN, r);
  } else {
    r -= 5.0;
    z = polynomial(FAR_NUM, r) / polynomial(FAR_DEN, r);
  }
  return q < 0.0 ? -z : z;
}

}  // namespace ascent::studies
