#include "bignum/fft_fast_normalize.hpp"

#include "bignum/long_number.hpp"

#include <cmath>
#include <cstdint>

namespace {

// normalize_elements (long_number.cpp) with the same operations on the same
// values, in less time. That routine runs a carry pass from a[count - 1] up
// to a[1] and then a range pass in the same direction. Step i of the range
// pass needs a[i] as the carry pass left it (final once the carry step i is
// done) plus the +-1 from range step i + 1, and changes a[i - 1] only by
// that +-1. So range step i can follow carry step i at once, with its +-1
// held until the carry step i - 1 has finished a[i - 1]. The value passed
// up by the carry pass stays in a register, and the choices are selects,
// not branches.
[[gnu::always_inline]] inline void normalize_product(double* a, int count)
{
    if (count <= 1) {
        return;
    }
    const double radix = element_radix;
    const bool balanced = digit_mode < 0;
    const double half = radix / 2.0;
    double next = a[count - 1];  // a[i] as the carry step i meets it
    int pending = 0;             // the range step's +-1 into a[i]
    for (int i = count - 1; i >= 1; --i) {
        const double q = std::trunc(next / radix);
        double ai = next - q * radix;
        next = a[i - 1] + q;
        ai = pending > 0 ? ai + 1.0 : ai;
        ai = pending < 0 ? ai - 1.0 : ai;
        if (balanced) {
            const bool high = ai > half;
            const bool low = !high && ai < -half;
            const double raised = ai + radix;
            const double lowered = ai - radix;
            pending = high ? 1 : (low ? -1 : 0);
            ai = high ? lowered : (low ? raised : ai);
        } else {
            const bool low = ai < 0.0;
            const double raised = ai + radix;
            pending = low ? -1 : 0;
            ai = low ? raised : ai;
        }
        a[i] = ai;
    }
    next = pending > 0 ? next + 1.0 : next;
    next = pending < 0 ? next - 1.0 : next;
    a[0] = next;
}

// The same normalization in 64-bit integers, with the same result: every
// value the carry pass meets is a whole number below 2^53 in magnitude, and
// for such an x and a whole radix R, trunc(x / R) in doubles is the exact
// truncated quotient (fl(x/R) could only reach the next integer k + 1 from
// below if k + 1 - x/R >= 1/R were at most half an ulp of x/R, which needs
// x >= 2^53). So the carry pass is exact integer arithmetic, and so is the
// range pass; doing both in integers gives the same numbers. The quotient
// comes from a multiplication: with M = floor(2^72/R) + 1, M*R = 2^72 + e,
// 0 < e <= R, x*M/2^72 = x/R + x*e/(R*2^72) differs from x/R by less than
// 2^-19 in magnitude, with the sign of x. For 2^9 < R < 2^19 that is less
// than 1/R, the least distance from a non-integer x/R to an integer, so
// floor(x*M/2^72) is floor(x/R) for x >= 0, and ceil(x/R) - 1 for x < 0
// (where it lies just below ceil(x/R) whether x/R is whole or not); adding
// 1 for negative x gives the truncated quotient. That takes the division
// out of the chain that runs from each carry to the next.
__extension__ using wide = __int128;
__extension__ using wide_unsigned = unsigned __int128;
constexpr double exact_radix_above = 512.0;
constexpr double exact_radix_below = 524288.0;

bool exact_normalization_applies(double radix)
{
    return radix > exact_radix_above && radix < exact_radix_below && radix == std::floor(radix);
}

[[gnu::always_inline]] inline void normalize_product_exact(double* a, int count)
{
    const auto radix = static_cast<std::int64_t>(element_radix);
    const auto magic = static_cast<std::int64_t>(
        ((static_cast<wide_unsigned>(1) << 72) / static_cast<wide_unsigned>(radix)) + 1);
    const bool balanced = digit_mode < 0;
    std::int64_t next = static_cast<std::int64_t>(a[count - 1]);
    std::int64_t pending = 0;
    for (int i = count - 1; i >= 1; --i) {
        const wide product = static_cast<wide>(next) * magic;
        const std::int64_t q = static_cast<std::int64_t>(product >> 72) + (next < 0 ? 1 : 0);
        std::int64_t ai = next - q * radix + pending;
        next = static_cast<std::int64_t>(a[i - 1]) + q;
        if (balanced) {
            const bool high = 2 * ai > radix;
            const bool low = 2 * ai < -radix;
            pending = high ? 1 : (low ? -1 : 0);
            ai = high ? ai - radix : (low ? ai + radix : ai);
        } else {
            const bool low = ai < 0;
            pending = low ? -1 : 0;
            ai = low ? ai + radix : ai;
        }
        a[i] = static_cast<double>(ai);
    }
    a[0] = static_cast<double>(next + pending);
}

// Whether every |a[i]| is at most 2^52: then every value the carry pass
// meets stays below 2^53 (a carry is at most a 1/R part of the value it
// leaves), as the integer path needs. Past that the doubles of the
// reference round, and only the double path repeats them.
[[gnu::always_inline]] inline bool within_exact_range(const double* a, int count)
{
    constexpr double limit = 4503599627370496.0;  // 2^52
    bool inside = true;
    for (int i = 0; i < count; ++i) {
        inside &= std::fabs(a[i]) <= limit;
    }
    return inside;
}

[[gnu::always_inline]] inline void normalize_any(double* a, int count)
{
    if (count > 1 && exact_normalization_applies(element_radix) && within_exact_range(a, count)) {
        normalize_product_exact(a, count);
    } else {
        normalize_product(a, count);
    }
}

}  // namespace

void fft_fast_normalize(double* a, int count)
{
    normalize_any(a, count);
}
