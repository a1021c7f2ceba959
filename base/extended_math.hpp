// Elementary functions of the extended format (long double, 64-bit
// significand) for the equations of motion and the atmosphere: the C
// library's long double versions reduce every angle beyond pi/4 with a
// multi-precision routine and run on slow x87 instructions, and a flight
// calls them a few ten thousand times.
//
// Each result is within 0.54 ulp of the exact value: sine, cosine and
// logarithm return the exact value rounded to nearest but in a few cases in
// a hundred thousand, exponential and arctangent in all but one or two in a
// thousand. Arguments outside the ranges below (and NaN, infinities) go to
// the C library.
#pragma once

#include "base/real.hpp"

namespace ascent {

struct SineCosine {
  Extended sin;
  Extended cos;
  bool operator==(const SineCosine&) const = default;
};

/// sin and cos of x [rad]; own evaluation for |x| <= 1000.
SineCosine sine_cosine(Extended x);

/// sin(x), the same value as sine_cosine(x).sin.
Extended sine(Extended x);

/// e^x; own evaluation for |x| <= 650.
Extended exponential(Extended x);

/// Natural logarithm; own evaluation for 2^-1000 <= x < 2^1000.
Extended logarithm(Extended x);

/// atan(x) [rad] in [-pi/2, pi/2]; own evaluation for finite x.
Extended arctangent(Extended x);

}  // namespace ascent
