#include "support/mpfr_reference.hpp"

#if HAVE_MPFR

#include "support/reference.hpp"

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

void mpfr_atan_partial_sum(long x, long terms, mpfr_t out, mpfr_t first_left_out)
{
    const mpfr_prec_t prec = mpfr_get_prec(out);
    mpfr_t term;
    mpfr_t tail;
    mpfr_t limit;
    mpfr_init2(term, prec);
    mpfr_init2(tail, prec);
    mpfr_init2(limit, prec);

    // term_K = 1 / ((2K + 1) x^(2K+1)); each next term is the last one times
    // (2k + 1) / ((2k + 3) x^2), with alternating signs.
    mpfr_ui_pow_ui(term, static_cast<unsigned long>(x), static_cast<unsigned long>(2 * terms + 1), MPFR_RNDN);
    mpfr_mul_ui(term, term, static_cast<unsigned long>(2 * terms + 1), MPFR_RNDN);
    mpfr_ui_div(term, 1, term, MPFR_RNDN);
    mpfr_set(first_left_out, term, MPFR_RNDN);
    mpfr_atan_inverse(x, out);
    mpfr_mul_2si(limit, out, -static_cast<long>(prec), MPFR_RNDN);

    mpfr_set_ui(tail, 0, MPFR_RNDN);
    for (long k = terms; mpfr_cmp(term, limit) > 0; ++k) {
        if (k % 2 == 0) {
            mpfr_add(tail, tail, term, MPFR_RNDN);
        } else {
            mpfr_sub(tail, tail, term, MPFR_RNDN);
        }
        mpfr_mul_ui(term, term, static_cast<unsigned long>(2 * k + 1), MPFR_RNDN);
        mpfr_div_ui(term, term, static_cast<unsigned long>(2 * k + 3), MPFR_RNDN);
        mpfr_div_ui(term, term, static_cast<unsigned long>(x), MPFR_RNDN);
        mpfr_div_ui(term, term, static_cast<unsigned long>(x), MPFR_RNDN);
    }

    mpfr_sub(out, out, tail, MPFR_RNDN);
    mpfr_clear(term);
    mpfr_clear(tail);
    mpfr_clear(limit);
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
    elements_to_mpz(a + 1, n, radix, elements);
    mpfr_z_sub(scaled, elements, scaled, MPFR_RNDN);
    const double units = mpfr_get_d(scaled, MPFR_RNDN);
    mpz_clear(elements);
    mpfr_clear(scaled);
    return units;
}

double in_last_units(const mpfr_t v, double exponent, int n, double radix)
{
    mpfr_t scaled;
    mpfr_init2(scaled, 64);
    scale_to_last_units(v, exponent, n, radix, scaled);
    const double units = mpfr_get_d(scaled, MPFR_RNDN);
    mpfr_clear(scaled);
    return units;
}

#endif
