// The default build's products: the fast transform.
#include "bignum/fft_fast.hpp"
#include "bignum/fft_multiply.hpp"

double mul_elements_fft(const double* a, const double* b, double* out, int n, double* work)
{
    return mul_elements_fft_fast(a, b, out, n, work);
}
