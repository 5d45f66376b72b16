// The default build's kernels: the fast transform, with kept transforms,
// and the fast normalization, bit for bit the results of the plain ones.
#include "bignum/fft_fast.hpp"
#include "bignum/fft_fast_normalize.hpp"
#include "bignum/fft_multiply.hpp"
#include "bignum/long_number.hpp"

double mul_elements_fft(const double* a, const double* b, double* out, int n, double* work)
{
    return mul_elements_fft_fast(a, b, out, n, work);
}

static_assert(no_kept_transform == fft_fast_no_slot);

void keep_transform(const double* a, int n, int slot, double* work)
{
    fft_fast_keep_transform(a, n, slot, work);
}

double mul_elements_kept(const double* a, int a_slot, const double* b, int b_slot, double* out,
                         int n, double* work)
{
    return mul_elements_fft_fast_kept(a, a_slot, b, b_slot, out, n, work);
}

void normalize_elements(double* a, int count)
{
    fft_fast_normalize(a, count);
}
