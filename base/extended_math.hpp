// Elementary functions of the extended format (long double, 64-bit
// significand) for the equations of motion and the atmosphere: the C
// library's long double versions reduce every angle beyond pi/4 with a
// multi-precision routine and run on slow x87 instructions, and a flight
// calls them a few ten thousand times.
//
// Each result is the exact value rounded to nearest but for rare cases that
// lie within 2^-7 ulp of a halfway point, where it may be the other
// neighbour: always within 0.51 ulp. Arguments outside the ranges below (and
// NaN, infinities) go to the C library.
#pragma once

#include "base/real.hpp"

namespace ascent {

struct SineCosine {
  Extended sin;
  Extended cos;
};

/// sin and cos of x [rad]; own evaluation for |x| <= 1000.
SineCosine sine_cosine(Extended x);

/// sin(x), the same value as sine_cosine(x).sin.
Extended sine(Extended x);

/// e^x; own evaluation for |x| <= 11350, where the result is a normal number.
Extended exponential(Extended x);

/// Natural logarithm; own evaluation for positive normal numbers.
Extended logarithm(Extended x);

/// atan(x) [rad] in (-pi/2, pi/2); own evaluation for |x| < 2^63.
Extended arctangent(Extended x);

}  // namespace ascent
