#include "support/reference.hpp"

#include <cmath>
#include <random>

void elements_to_mpz(const double* a, int count, double radix, mpz_t out)
{
    mpz_t element;
    mpz_init(element);
    mpz_set_ui(out, 0);
    const unsigned long r = static_cast<unsigned long>(radix);
    for (int i = 0; i < count; ++i) {
        mpz_mul_ui(out, out, r);
        mpz_set_d(element, a[i]);
        mpz_add(out, out, element);
    }
    mpz_clear(element);
}

void long_number_to_mpq(const double* a, int n, double radix, mpq_t out)
{
    mpz_t integer;
    mpz_t scale;
    mpz_init(integer);
    mpz_init(scale);
    elements_to_mpz(a + 1, n, radix, integer);
    // value = integer * R^(e - n)
    const long shift = static_cast<long>(a[0]) - n;
    mpz_ui_pow_ui(scale, static_cast<unsigned long>(radix), static_cast<unsigned long>(std::labs(shift)));
    mpq_set_z(out, integer);
    if (shift >= 0) {
        mpz_mul(mpq_numref(out), mpq_numref(out), scale);
    } else {
        mpz_mul(mpq_denref(out), mpq_denref(out), scale);
    }
    mpq_canonicalize(out);
    mpz_clear(integer);
    mpz_clear(scale);
}

std::vector<double> random_elements(int count, double radix, bool balanced, unsigned seed)
{
    std::mt19937_64 generator(seed);
    const long long r = static_cast<long long>(radix);
    const long long low = balanced ? -(r / 2) : 0;
    const long long high = balanced ? r / 2 : r - 1;
    std::uniform_int_distribution<long long> pick(low, high);
    std::vector<double> out(static_cast<std::size_t>(count));
    for (double& v : out) {
        v = static_cast<double>(pick(generator));
    }
    return out;
}
