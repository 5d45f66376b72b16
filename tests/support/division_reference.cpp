#include "support/division_reference.hpp"

#include "support/elements_mpz.hpp"

#include "support/reference.hpp"

#include <gmp.h>

#include <cmath>
#include <cstdlib>
#include <random>

namespace {

// a / b as a double for integers of any size.
double ratio(const mpz_t a, const mpz_t b)
{
    if (mpz_sgn(a) == 0) {
        return 0.0;
    }
    long ea = 0;
    long eb = 0;
    const double da = mpz_get_d_2exp(&ea, a);
    const double db = mpz_get_d_2exp(&eb, b);
    return std::ldexp(da / db, static_cast<int>(ea - eb));
}

void radix_power(mpz_t out, double radix, long e)
{
    mpz_ui_pow_ui(out, static_cast<unsigned long>(radix), static_cast<unsigned long>(e));
}

}  // namespace

ReciprocalResidual reciprocal_residual(const double* a, const double* y, int n, double radix)
{
    // a*y = A*Y*R^(e_a + e_y - 2n), so with s = 2n - e_a - e_y
    //     |1 - a*y| < R^(1-n)  <=>  |R^s - A*Y| < R^(s+1-n).
    mpz_t product;
    mpz_t other;
    mpz_t bound;
    mpz_inits(product, other, bound, nullptr);
    elements_to_mpz_split(a + 1, n, radix, product);
    elements_to_mpz_split(y + 1, n, radix, other);
    mpz_mul(product, product, other);

    const long s = 2L * n - static_cast<long>(a[0]) - static_cast<long>(y[0]);
    ReciprocalResidual result;
    if (s + 1 - n >= 0) {
        radix_power(other, radix, s);
        mpz_sub(product, other, product);
        mpz_abs(product, product);
        radix_power(bound, radix, s + 1 - n);
        result.below_bound = mpz_cmp(product, bound) < 0;
        result.in_bound_units = ratio(product, bound);
    } else {
        // y far too large for a reciprocal: report it as a failure.
        result.below_bound = false;
        result.in_bound_units = HUGE_VAL;
    }
    mpz_clears(product, other, bound, nullptr);
    return result;
}

QuotientError quotient_error(const double* p, const double* q, const double* out, int n, double radix)
{
    mpq_t vp;
    mpq_t vq;
    mpq_t vout;
    mpq_t exact;
    mpq_t diff;
    mpq_t bound;
    mpq_t unit;
    mpq_inits(vp, vq, vout, exact, diff, bound, unit, nullptr);
    long_number_to_mpq(p, n, radix, vp);
    long_number_to_mpq(q, n, radix, vq);
    long_number_to_mpq(out, n, radix, vout);
    mpq_div(exact, vp, vq);
    mpq_sub(diff, vout, exact);
    mpq_abs(diff, diff);

    // unit = R^(e_out - n), the weight of the last element of out.
    const long e = static_cast<long>(out[0]) - n;
    mpq_set_ui(unit, 1, 1);
    radix_power(e >= 0 ? mpq_numref(unit) : mpq_denref(unit), radix, std::labs(e));

    // bound = |p/q| * R^(1-n) + unit
    mpq_abs(bound, exact);
    mpz_t scale;
    mpz_init(scale);
    radix_power(scale, radix, n - 1);
    mpz_mul(mpq_denref(bound), mpq_denref(bound), scale);
    mpq_canonicalize(bound);
    mpq_add(bound, bound, unit);

    QuotientError result;
    result.within_bound = mpq_cmp(diff, bound) <= 0;
    mpq_div(diff, diff, unit);
    result.in_last_units = mpq_get_d(diff);
    mpz_clear(scale);
    mpq_clears(vp, vq, vout, exact, diff, bound, unit, nullptr);
    return result;
}

std::vector<double> random_divisor(int n, double radix, int lead, unsigned seed)
{
    std::vector<double> a(static_cast<std::size_t>(n) + 1);
    const std::vector<double> elements = random_elements(n, radix, true, seed);
    for (int i = 1; i <= n; ++i) {
        a[i] = elements[i - 1];
    }
    std::mt19937 generator(seed ^ 0x5bd1e995u);
    a[0] = static_cast<double>(static_cast<int>(generator() % 5) - 2);
    const double half = std::floor(radix / 2);
    switch (lead) {
    case 1: a[1] = 1; break;
    case 2: a[1] = -1; break;
    case 3: a[1] = half; break;
    case 4: a[1] = -half; break;
    case 5:
        a[1] = 1;
        if (n >= 2) {
            a[2] = -half;
        }
        break;
    default:
        while (a[1] == 0) {
            a[1] = random_elements(1, radix, true, static_cast<unsigned>(generator()))[0];
        }
        break;
    }
    return a;
}
