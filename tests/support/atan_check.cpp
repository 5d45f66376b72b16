#include "support/atan_check.hpp"

#if HAVE_MPFR

#include "bignum/long_number.hpp"
#include "drm/atan_drm.hpp"
#include "run/driver.hpp"
#include "support/mpfr_reference.hpp"

#include <gtest/gtest.h>
#include <mpfr.h>

#include <cmath>
#include <cstdio>

ArctangentRun run_arctangent_against_mpfr(int base, int digits_per_element, int x, int n)
{
    const double radix = element_radix;
    ArctangentRun run;
    run.steps = drm_step_count(base, x, digits_per_element, n - 1, n);

    std::fflush(stdout);
    ::testing::internal::CaptureStdout();
    run.rounding_error = atan_inverse_drm(x, n, run.steps);
    std::fflush(stdout);
    run.console = ::testing::internal::GetCapturedStdout();

    mpfr_t reference;
    mpfr_init2(reference, precision_for_elements(n, radix));
    mpfr_atan_inverse(x, reference);
    run.error_in_last_units = std::fabs(units_of_last_element(atan_sum, n, radix, reference));
    // R^(e-n) / R^(1-n) = R^(e-1)
    run.error_in_bound_units = run.error_in_last_units * std::pow(radix, atan_sum[0] - 1);
    mpfr_clear(reference);
    return run;
}

#endif
