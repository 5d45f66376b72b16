// One arctangent run of the DRM series compared with MPFR, shared by the
// arctangent tests of every size. Only with HAVE_MPFR.
#pragma once

#if HAVE_MPFR

#include <string>

struct ArctangentRun {
    int steps = 0;                     // the driver's step count for L = n - 1
    double error_in_bound_units = 0;   // |atan_sum - arctan(1/x)| / R^(1-n)
    double error_in_last_units = 0;    // the same in units of element n of atan_sum
    double rounding_error = 0;         // what atan_inverse_drm returned
    std::string console;               // everything the run printed
};

// atan_inverse_drm(x, n, steps) in base B with r digits per element (the
// caller has set element_radix = B^r and balanced form), the step count
// taken from the driver for L = n - 1 elements, against MPFR's arctan(1/x).
ArctangentRun run_arctangent_against_mpfr(int base, int digits_per_element, int x, int n);

#endif
