// Helpers for the tests of the linear long-number arithmetic: the fixture
// that saves and restores the two digit globals (from digit_globals.hpp),
// exact rational values (GMP mpq) with the few operators the oracles need,
// random normalized long numbers biased toward corner cases, and a check of
// the normalized state.
#pragma once

#include "bignum/long_number.hpp"
#include "support/digit_globals.hpp"
#include "support/reference.hpp"

#include <gmp.h>
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

inline const char* form_name(bool balanced) { return balanced ? "balanced" : "standard"; }

// An exact rational number.
class Rational {
public:
    Rational() { mpq_init(q_); }
    explicit Rational(long v)
    {
        mpq_init(q_);
        mpq_set_si(q_, v, 1);
    }
    Rational(const Rational& other)
    {
        mpq_init(q_);
        mpq_set(q_, other.q_);
    }
    Rational& operator=(const Rational& other)
    {
        mpq_set(q_, other.q_);
        return *this;
    }
    ~Rational() { mpq_clear(q_); }

    mpq_ptr get() { return q_; }
    mpq_srcptr get() const { return q_; }

    int sign() const { return mpq_sgn(q_); }
    bool is_integer() const { return mpz_cmp_ui(mpq_denref(q_), 1) == 0; }
    Rational abs() const
    {
        Rational out;
        mpq_abs(out.q_, q_);
        return out;
    }
    std::string text() const
    {
        char* s = mpq_get_str(nullptr, 10, q_);
        std::string out(s);
        void (*release)(void*, std::size_t);
        mp_get_memory_functions(nullptr, nullptr, &release);
        release(s, out.size() + 1);
        return out;
    }

    friend Rational operator+(const Rational& a, const Rational& b)
    {
        Rational out;
        mpq_add(out.q_, a.q_, b.q_);
        return out;
    }
    friend Rational operator-(const Rational& a, const Rational& b)
    {
        Rational out;
        mpq_sub(out.q_, a.q_, b.q_);
        return out;
    }
    friend Rational operator*(const Rational& a, const Rational& b)
    {
        Rational out;
        mpq_mul(out.q_, a.q_, b.q_);
        return out;
    }
    friend Rational operator/(const Rational& a, const Rational& b)
    {
        Rational out;
        mpq_div(out.q_, a.q_, b.q_);
        return out;
    }
    friend bool operator==(const Rational& a, const Rational& b) { return mpq_equal(a.q_, b.q_) != 0; }
    friend bool operator<(const Rational& a, const Rational& b) { return mpq_cmp(a.q_, b.q_) < 0; }

private:
    mpq_t q_;
};

// The exact value of the long number a with count elements at radix R.
inline Rational value_of(const double* a, int count, double radix)
{
    Rational out;
    long_number_to_mpq(a, count, radix, out.get());
    return out;
}

inline Rational value_of(const std::vector<double>& a, double radix)
{
    return value_of(a.data(), static_cast<int>(a.size()) - 1, radix);
}

// R^k for any whole k.
inline Rational radix_power(double radix, long k)
{
    Rational out;
    mpz_ui_pow_ui(mpq_numref(out.get()), static_cast<unsigned long>(radix), static_cast<unsigned long>(std::labs(k)));
    if (k < 0) {
        mpq_inv(out.get(), out.get());
    }
    return out;
}

// The largest and smallest element of the current digit form.
inline double digit_max()
{
    return digit_mode < 0 ? std::floor(element_radix / 2.0) : element_radix - 1.0;
}
inline double digit_min()
{
    return digit_mode < 0 ? -std::floor(element_radix / 2.0) : 0.0;
}

// Shapes of sample elements: uniform, and the corner cases that find carry
// faults (all zeros, every element at the top or bottom of the range,
// alternating ends, long runs of one element, a few nonzero elements).
enum class Shape { random, zero, top, bottom, alternating, run, sparse };
inline constexpr Shape all_shapes[] = {Shape::random, Shape::zero,  Shape::top,   Shape::bottom,
                                       Shape::alternating, Shape::run, Shape::sparse};

// A normalized long number of count elements (count + 1 entries) in the
// current radix and form: elements 2..count in the digit range, element 1
// nonzero in (-R, R) unless the shape is zero.
inline std::vector<double> sample_long_number(int count, double exponent, Shape shape, std::mt19937_64& rng)
{
    const double radix = element_radix;
    const long long lo = static_cast<long long>(digit_min());
    const long long hi = static_cast<long long>(digit_max());
    std::uniform_int_distribution<long long> digit(lo, hi);
    const long long top_limit = static_cast<long long>(radix) - 1;
    std::uniform_int_distribution<long long> top(-top_limit, top_limit);
    std::vector<double> a(static_cast<std::size_t>(count) + 1, 0.0);
    a[0] = exponent;
    if (shape == Shape::zero) {
        return a;
    }
    const double run_value = static_cast<double>(digit(rng));
    for (int i = 2; i <= count; ++i) {
        switch (shape) {
        case Shape::top: a[i] = static_cast<double>(hi); break;
        case Shape::bottom: a[i] = static_cast<double>(lo); break;
        case Shape::alternating: a[i] = static_cast<double>(i % 2 == 0 ? hi : lo); break;
        case Shape::run: a[i] = rng() % 8 == 0 ? static_cast<double>(digit(rng)) : run_value; break;
        case Shape::sparse: a[i] = rng() % 6 == 0 ? static_cast<double>(digit(rng)) : 0.0; break;
        default: a[i] = static_cast<double>(digit(rng)); break;
        }
    }
    long long first = 0;
    switch (shape) {
    case Shape::top: first = rng() % 2 == 0 ? top_limit : hi; break;
    case Shape::bottom: first = rng() % 2 == 0 ? -top_limit : (lo < 0 ? lo : -1); break;
    default:
        while (first == 0) {
            first = rng() % 2 == 0 ? top(rng) : digit(rng);
        }
        break;
    }
    a[1] = static_cast<double>(first);
    return a;
}

// The normalized state every arithmetic routine leaves: every entry a whole
// number, elements 2..count in the digit range of the current form, and
// element 1 nonzero unless the number is zero.
inline ::testing::AssertionResult is_normalized(const double* c, int count)
{
    const double radix = element_radix;
    const bool balanced = digit_mode < 0;
    bool all_zero = true;
    for (int i = 0; i <= count; ++i) {
        if (!(std::isfinite(c[i]) && std::trunc(c[i]) == c[i])) {
            return ::testing::AssertionFailure() << "entry " << i << " = " << c[i] << " is not a whole number";
        }
        if (i >= 1 && c[i] != 0.0) {
            all_zero = false;
        }
    }
    for (int i = 2; i <= count; ++i) {
        const bool in_range = balanced ? std::fabs(c[i]) <= radix / 2.0 : (c[i] >= 0.0 && c[i] < radix);
        if (!in_range) {
            return ::testing::AssertionFailure() << "element " << i << " = " << c[i] << " outside the "
                                                 << form_name(balanced) << " range of R = " << radix;
        }
    }
    if (!all_zero && c[1] == 0.0) {
        return ::testing::AssertionFailure() << "element 1 is zero in a nonzero number";
    }
    return ::testing::AssertionSuccess();
}

inline bool is_zero(const double* c, int count)
{
    for (int i = 1; i <= count; ++i) {
        if (c[i] != 0.0) {
            return false;
        }
    }
    return true;
}

// Checks a long-number result c of count elements whose raw result had the
// exponent top (before the strip): its value is exactly `want`, it differs
// from the untruncated `exact` by less than one unit of its last raw element
// R^(top - count), it is normalized, the strip only lowered the exponent, and
// a zero result carries the exponent top - count.
inline void expect_long_result(const double* c, int count, double top, const Rational& want, const Rational& exact)
{
    const double radix = element_radix;
    const Rational got = value_of(c, count, radix);
    EXPECT_TRUE(got == want) << "value " << got.text() << ", want " << want.text();
    const Rational unit = radix_power(radix, static_cast<long>(top) - count);
    EXPECT_TRUE((exact - got).abs() < unit)
        << "truncation error " << (exact - got).text() << " not below one unit " << unit.text();
    EXPECT_TRUE(is_normalized(c, count));
    EXPECT_LE(c[0], top) << "the exponent was raised";
    if (is_zero(c, count)) {
        EXPECT_EQ(c[0], top - count) << "exponent of a zero result";
    }
}
