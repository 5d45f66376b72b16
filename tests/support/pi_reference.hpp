// The digits of pi in any base from 3 to 62, from MPFR, as the oracle of the
// digit listing. Only with HAVE_MPFR; the tests that need it skip without.
#pragma once

#if HAVE_MPFR

#include <gtest/gtest.h>

#include <string>

struct PiDigits {
    // The first `count` base-B digits of pi after the point, truncated (the
    // digits of floor(pi * B^count) without its integer part), in the
    // listing's alphabet: value d as the character d + digit_offset of
    // 0-9, a-z, A-Z.
    std::string digits;
    // Distance of pi * B^count from the nearest integer, in units of the
    // last digit: how far pi lies from the next truncation boundary. The
    // digits are exact whenever it is above 2^-64 (checked).
    double margin = 0.0;
};

PiDigits pi_reference_digits(int base, int count, int digit_offset);

// got - want, both strings of digits in the listing's alphabet read as
// base-B integers, in units of their last digit. Strings that differ in
// length, before their last 40 digits, or in a character outside the
// alphabet give a magnitude of LONG_MAX.
long digit_difference(const std::string& got, const std::string& want, int base, int digit_offset);

// Checks a whole report file against pi: its listing has the exact layout
// and its digits are exactly those of floor(pi * B^N) in base B, with the
// header's N and digits per element r. The program proves its digits before
// it lists them (guard elements and an error bound), so no tolerance is
// allowed, not even in the last digit.
testing::AssertionResult listing_matches_pi(const std::string& report, int base, int digit_offset);

#endif
