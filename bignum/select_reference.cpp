// The reference build's kernels (pi_drm_reference): the plain transform and
// the plain normalization.
#include "bignum/fft_multiply.hpp"
#include "bignum/long_number.hpp"

double mul_elements_fft(const double* a, const double* b, double* out, int n, double* work)
{
    return mul_elements_fft_reference(a, b, out, n, work);
}

void normalize_elements(double* a, int count)
{
    normalize_elements_reference(a, count);
}
