#include "support/mpfr_reference.hpp"

#include "support/elements_mpz.hpp"

#if HAVE_MPFR


#include <gmp.h>

#include <cmath>
#include <cstdlib>

mpfr_prec_t precision_for_elements(int n, double radix)
{
    return static_cast<mpfr_prec_t>(std::ceil(n * std::log2(radix))) + 64;
}

void mpfr_atan_inverse(long x, mpfr_t out)
{
    mpfr_set_si(out, x, MPFR_RNDN);
    mpfr_si_div(out, 1, out, MPFR_RNDN);
    mpfr_atan(out, out, MPFR_RNDN);
}

namespace {

// v * R^(n - e) into out.
void scale_to_last_units(const mpfr_t v, double exponent, int n, double radix, mpfr_t out)
{
    const long shift = n - static_cast<long>(exponent);
    mpz_t scale;
    mpz_init(scale);
    mpz_ui_pow_ui(scale, static_cast<unsigned long>(radix), static_cast<unsigned long>(std::labs(shift)));
    if (shift >= 0) {
        mpfr_mul_z(out, v, scale, MPFR_RNDN);
    } else {
        mpfr_div_z(out, v, scale, MPFR_RNDN);
    }
    mpz_clear(scale);
}

}  // namespace

double units_of_last_element(const double* a, int n, double radix, const mpfr_t ref)
{
    mpfr_t scaled;
    mpfr_init2(scaled, mpfr_get_prec(ref) + 64);
    scale_to_last_units(ref, a[0], n, radix, scaled);
    mpz_t elements;
    mpz_init(elements);
    elements_to_mpz_split(a + 1, n, radix, elements);
    mpfr_z_sub(scaled, elements, scaled, MPFR_RNDN);
    const double units = mpfr_get_d(scaled, MPFR_RNDN);
    mpz_clear(elements);
    mpfr_clear(scaled);
    return units;
}

#endif
