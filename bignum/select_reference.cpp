// The reference build's kernels (pi_drm_reference): the plain transform and
// the plain normalization.
#include "bignum/fft_multiply.hpp"
#include "bignum/long_number.hpp"

double mul_elements_fft(const double* a, const double* b, double* out, int n, double* work)
{
    return mul_elements_fft_reference(a, b, out, n, work);
}

// Nothing is kept: every product transforms both operands.
void keep_transform(const double*, int, int, double*) {}

double mul_elements_kept(const double* a, int, const double* b, int, double* out, int n,
                         double* work)
{
    return mul_elements_fft_reference(a, b, out, n, work);
}

void normalize_elements(double* a, int count)
{
    normalize_elements_reference(a, count);
}
