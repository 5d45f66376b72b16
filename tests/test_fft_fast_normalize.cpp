// The fast normalization against normalize_elements_reference, bit for bit,
// on each instruction path, where its design has edges: counts around the
// blocks and chunks it cuts an array into, carries that run through whole
// chunks and blocks (so that the repair of a chunk covers all of it),
// incoming states at chunk boundaries that differ in the carry, in the
// range step's +-1 or in both, values outside the exact domain (past 2^52,
// not whole, NaN, infinite, signed zeros) at any place, radices at and
// past the ends of the exact range, and long arrays of product-like
// coefficients.
#include "bignum/fft_fast_normalize.hpp"
#include "bignum/long_number.hpp"
#include "support/digit_globals.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

using Entries = std::vector<double>;

constexpr int chunk = fft_fast_normalize_longest_chunk;
constexpr int block = fft_fast_normalize_chunks * fft_fast_normalize_longest_chunk;
constexpr int shortest_block = fft_fast_normalize_chunks * fft_fast_normalize_shortest_chunk;
constexpr double two_51 = 2251799813685248.0;
constexpr double two_52 = 4503599627370496.0;
constexpr double guard = 12345.0;

struct path {
    const char* name;
    void (*normalize)(double*, int);
};

const path paths[] = {
    {"portable", fft_fast_normalize_portable},
    {"avx2", fft_fast_normalize_avx2},
    {"default", fft_fast_normalize},
};

std::string exact(double v)
{
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", v);
    return text;
}

// Empty if every path gives the reference's bits (and leaves the entry
// past the end alone), else what differed first.
std::string difference(const Entries& in)
{
    const auto count = static_cast<int>(in.size());
    Entries want = in;
    normalize_elements_reference(want.data(), count);
    for (const path& p : paths) {
        Entries got = in;
        got.push_back(guard);
        p.normalize(got.data(), count);
        if (got.back() != guard) {
            return std::string(p.name) + ": wrote past the end";
        }
        for (int i = 0; i < count; ++i) {
            const auto k = static_cast<std::size_t>(i);
            if (std::bit_cast<std::uint64_t>(got[k]) != std::bit_cast<std::uint64_t>(want[k])) {
                return std::string(p.name) + ": count " + std::to_string(count) + ", a[" +
                       std::to_string(i) + "] = " + exact(got[k]) + ", want " + exact(want[k]);
            }
        }
    }
    return {};
}

class FastNormalize : public DigitGlobalsTest {};

const bool forms[] = {true, false};  // balanced, standard

long long whole(double radix)
{
    return static_cast<long long>(radix);
}

// Whole numbers below 10^10 in magnitude, like the outputs of a long
// product before their carries.
Entries product_like(int count, std::mt19937_64& rng)
{
    std::uniform_int_distribution<long long> any(-10000000000LL, 10000000000LL);
    Entries a(static_cast<std::size_t>(count));
    for (double& v : a) {
        v = static_cast<double>(any(rng));
    }
    return a;
}

// A value chosen to be hard for the carry and range steps: multiples of R
// and their neighbours (a quotient one off), R/2 and its neighbours (the
// balanced form's two choices), R - 1, zero, and large ones up to limit.
double hard_value(double radix, double limit, std::mt19937_64& rng)
{
    const long long r = whole(radix);
    const auto largest_k = static_cast<long long>(limit / radix);
    std::uniform_int_distribution<long long> any_k(-largest_k, largest_k);
    std::uniform_int_distribution<long long> small(-2, 2);
    switch (rng() % 9) {
    case 0: return static_cast<double>(any_k(rng) * r);
    case 1: return static_cast<double>(any_k(rng) * r + 1);
    case 2: return static_cast<double>(any_k(rng) * r - 1);
    case 3: return static_cast<double>(r / 2 + small(rng));
    case 4: return static_cast<double>(-(r / 2) + small(rng));
    case 5: return static_cast<double>(r - 1);
    case 6: return static_cast<double>(-(r - 1));
    case 7: return 0.0;
    default: return static_cast<double>(any_k(rng) * r + small(rng) * (r / 3));
    }
}

Entries hard(int count, double radix, double limit, std::mt19937_64& rng)
{
    Entries a(static_cast<std::size_t>(count));
    for (double& v : a) {
        v = hard_value(radix, limit, rng);
    }
    return a;
}

// Counts whose elements 1 .. count - 1 end at every edge of the layout: no
// block, the shortest block and one element either side, chunks of the
// longest length and one element either side, several blocks, a shorter
// block after full ones, long arrays.
const int edge_counts[] = {1,
                           2,
                           3,
                           4,
                           shortest_block,
                           shortest_block + 1,
                           shortest_block + 2,
                           2 * shortest_block + 1,
                           fft_fast_normalize_chunks * (chunk - 4) + 1,
                           block - 1,
                           block,
                           block + 1,
                           block + 2,
                           block + shortest_block,
                           block + shortest_block + 1,
                           2 * block + 3 * shortest_block + 7,
                           (1 << 17) + 1,
                           1 << 18};

TEST_F(FastNormalize, MatchesTheReferenceAtEveryEdgeOfTheBlockLayout)
{
    const double radices[] = {100000.0, 19683.0};
    std::mt19937_64 rng(11);
    for (const double radix : radices) {
        for (const bool balanced : forms) {
            use_digits(radix, balanced);
            for (const int count : edge_counts) {
                const Entries inputs[] = {product_like(count, rng), hard(count, radix, 1e14, rng),
                                          hard(count, radix, two_52, rng)};
                for (const Entries& in : inputs) {
                    const std::string diff = difference(in);
                    EXPECT_TRUE(diff.empty()) << "R = " << radix << (balanced ? " balanced, " : " standard, ")
                                              << diff;
                }
            }
        }
    }
}

// All elements one value v, and the last one v + kick: the kick starts a
// carry or a +-1 that every element passes on (v = R - 1 takes a carry of
// 1 to R - 1 + 1 = R, which is 0 with a carry of 1 again; v = R/2 takes a
// +1 past R/2, and so on), through every chunk and every block, so that
// each repair reruns whole chunks; and with no kick the same runs without
// carries.
TEST_F(FastNormalize, CarriesThroughWholeChunksAndBlocks)
{
    const double radices[] = {100000.0, 19683.0, 10.0};
    const int count = 3 * block + 2 * shortest_block + 30;
    for (const double radix : radices) {
        const long long r = whole(radix);
        const long long values[] = {r / 2, r / 2 + 1, r / 2 - 1, -(r / 2), -(r / 2) - 1,
                                    r - 1, -(r - 1), 0};
        const long long kicks[] = {0, 1, -1, 2, -2, r, -r, r * r + 7, -(r * r) - 7};
        for (const bool balanced : forms) {
            use_digits(radix, balanced);
            for (const long long v : values) {
                for (const long long kick : kicks) {
                    Entries in(static_cast<std::size_t>(count), static_cast<double>(v));
                    in.back() = static_cast<double>(v + kick);
                    const std::string diff = difference(in);
                    EXPECT_TRUE(diff.empty()) << "R = " << radix << (balanced ? " balanced" : " standard")
                                              << ", all " << v << ", last " << v + kick << ": " << diff;
                }
            }
        }
    }
}

// Hard values around every chunk boundary of a few blocks, so that the
// state a chunk hands on differs from the assumed (0, 0) in the carry, in
// the +-1 or in both, and the rerun has to find where the two runs agree;
// in between, product-like values or long runs of R/2 or R - 1 that keep
// a difference alive for a while.
TEST_F(FastNormalize, RepairsEveryKindOfIncomingState)
{
    const double radices[] = {100000.0, 65536.0, 513.0};
    const int count = 2 * block + 1;
    std::mt19937_64 rng(23);
    for (const double radix : radices) {
        const long long r = whole(radix);
        for (const bool balanced : forms) {
            use_digits(radix, balanced);
            for (int trial = 0; trial < 12; ++trial) {
                Entries in = product_like(count, rng);
                if (trial % 3 == 1) {
                    std::fill(in.begin(), in.end(), static_cast<double>(balanced ? r / 2 : r - 1));
                }
                if (trial % 3 == 2) {
                    std::fill(in.begin(), in.end(), static_cast<double>(balanced ? -(r / 2) : 0));
                }
                // Elements 1 .. count - 1 are two full blocks; chunk
                // boundaries lie at every multiple of chunk from the top.
                for (int b = count - 1; b > 0; b -= chunk) {
                    for (int i = b - 3; i <= b + 3; ++i) {
                        if (i > 0 && i < count && rng() % 2 == 0) {
                            in[static_cast<std::size_t>(i)] = hard_value(radix, 1e12, rng);
                        }
                    }
                }
                const std::string diff = difference(in);
                EXPECT_TRUE(diff.empty()) << "R = " << radix << (balanced ? " balanced" : " standard")
                                          << ", trial " << trial << ": " << diff;
            }
        }
    }
}

// One value outside the exact domain (or at its edges) at one place of an
// otherwise ordinary array: the top, inside the first chunk, at a chunk
// boundary, near the bottom of the block, in the short block after it,
// among the elements done one by one, element 1, element 0. The result must be the reference's
// whatever the place: the fast steps up to there, the reference's own
// operations from there on.
TEST_F(FastNormalize, ValuesOutsideTheExactDomainAnywhere)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const double odd_values[] = {two_52,       -two_52,       two_52 + 2.0,  -two_52 - 2.0,
                                 two_52 - 1.0, 2.0 * two_52,  two_51 - 1.0,  -(two_51 - 1.0),
                                 two_51,       -two_51 - 1.0, 0.5,           -0.5,
                                 1e6 + 0.25,   nan,           inf,           -inf,
                                 -0.0,         1e300};
    const int count = block + shortest_block + 20;
    const int places[] = {count - 1,         count - 2,         count - 1 - 5, count - 1 - chunk,
                          count - chunk,     count - block + 3, 25,            2,
                          1,                 0};
    std::mt19937_64 rng(31);
    for (const bool balanced : forms) {
        use_digits(100000.0, balanced);
        const Entries base = product_like(count, rng);
        for (const double odd : odd_values) {
            for (const int place : places) {
                Entries in = base;
                in[static_cast<std::size_t>(place)] = odd;
                const std::string diff = difference(in);
                EXPECT_TRUE(diff.empty()) << (balanced ? "balanced" : "standard") << ", a[" << place
                                          << "] = " << exact(odd) << ": " << diff;
            }
        }
    }
}

// A fraction too small to survive the sum with a large carry: in the
// assumed run of a chunk, next = 1e-10 + 2^22 rounds to a whole number,
// while the true run meets 1e-10 + 0 there, a fraction, and must leave the
// fast steps. The element above the chunk passes a carry of -X that undoes
// the chunk's first element X, which alone gives the assumed run a carry of
// X / R = 2^22.
TEST_F(FastNormalize, FractionLostOnlyInTheAssumedRun)
{
    for (const bool balanced : forms) {
        use_digits(1000.0, balanced);
        const double x = 4194304.0 * 1000.0;  // 2^22 R
        const int count = 2 * block + 1;
        for (int j = 1; j < 2 * fft_fast_normalize_chunks; j += 5) {
            Entries in(static_cast<std::size_t>(count), 1.0);
            const int top = count - 1 - j * chunk;  // chunk j's first element
            in[static_cast<std::size_t>(top + 1)] = -x * 1000.0;
            in[static_cast<std::size_t>(top)] = x;
            in[static_cast<std::size_t>(top - 1)] = 1e-10;
            const std::string diff = difference(in);
            EXPECT_TRUE(diff.empty()) << (balanced ? "balanced" : "standard") << ", chunk " << j
                                      << ": " << diff;
        }
    }
}

// Signed zeros: a[0] = -0 keeps its sign only when nothing is added to it
// but zero carries of a negative sign, which the reference's doubles
// decide; zeros and negative zeros elsewhere must come out as the
// reference leaves them.
TEST_F(FastNormalize, SignedZeros)
{
    const double z = -0.0;
    const Entries cases[] = {
        {z, z},          {z, 0.0},     {z, -3.0},        {z, 3.0},        {z, z, z, -7.0},
        {z, z, 5.0},     {z, -1e5},    {z, -150000.0},   {0.0, z, z, z},  {z, z, z, z},
        {-1.0, z, 1e5},  {z, 0.0, -1.0},
    };
    for (const bool balanced : forms) {
        use_digits(100000.0, balanced);
        for (const Entries& in : cases) {
            const std::string diff = difference(in);
            EXPECT_TRUE(diff.empty()) << (balanced ? "balanced" : "standard") << ": " << diff;
        }
        // The same in a long array, so that the blocks meet them.
        Entries in(static_cast<std::size_t>(block + 77), z);
        in[static_cast<std::size_t>(block / 2)] = -1.0;
        const std::string diff = difference(in);
        EXPECT_TRUE(diff.empty()) << (balanced ? "balanced" : "standard") << ": " << diff;
    }
}

// Every radix the program can have and the ends of the exact range (whole,
// 3 to 2^32): inside it the fast steps, outside it the reference's
// operations.
TEST_F(FastNormalize, RadicesInsideAndOutsideTheExactRange)
{
    const double radices[] = {2.0,       3.0,      4.0,      5.0,           7.0,
                              10.0,      513.0,    1000.0,   19683.0,       65536.0,
                              100000.0,  456976.0, 524287.0, 1e6,           4294967296.0,
                              4294967297.0, 1e12,  100000.5, 0.75};
    const int counts[] = {2, shortest_block + 9, block + 2 * shortest_block + 5};
    std::mt19937_64 rng(47);
    for (const double radix : radices) {
        for (const bool balanced : forms) {
            use_digits(radix, balanced);
            for (const int count : counts) {
                const double limit = radix < 1e6 ? 1e12 : 1e15;
                const Entries inputs[] = {product_like(count, rng),
                                          hard(count, radix < 3.0 ? 10.0 : radix, limit, rng)};
                for (const Entries& in : inputs) {
                    const std::string diff = difference(in);
                    EXPECT_TRUE(diff.empty()) << "R = " << exact(radix)
                                              << (balanced ? " balanced, " : " standard, ") << diff;
                }
            }
        }
    }
}

// Arrays built backwards from the values every carry step meets: next_i
// (a[i] plus the carry from below) is chosen to be a multiple of R, or one
// off, or R/2 off, with both signs and magnitudes within a factor 8 below
// a limit, and a[i] = next_i - q_(i+1) with the exact carries. So every
// quotient of the true run sits where a quotient estimate could be one off
// and every remainder where the range step has a choice, up to the edge of
// the vector steps' domain (2^51 - 1) and past it, up to 2^52.
Entries with_nexts(int count, double radix, double limit, std::mt19937_64& rng)
{
    const long long r = whole(radix);
    const long long offsets[] = {0, 1, -1, r / 2, r / 2 + 1, -(r / 2), -(r / 2) - 1, r - 1};
    std::uniform_real_distribution<double> exponent(std::log2(limit / radix) - 3.0,
                                                    std::log2(limit / radix));
    Entries a(static_cast<std::size_t>(count));
    long long q = 0;
    for (int i = count - 1; i >= 0; --i) {
        long long next = 0;
        do {
            const auto k = static_cast<long long>(std::exp2(exponent(rng)));
            next = (rng() % 2 == 0 ? 1 : -1) * (k * r + offsets[rng() % 8]);
        } while (std::fabs(static_cast<double>(next)) > limit);
        a[static_cast<std::size_t>(i)] = static_cast<double>(next - q);
        q = next / r;  // truncates, as the reference does
    }
    return a;
}

TEST_F(FastNormalize, QuotientsAndRemaindersAtTheirEdges)
{
    const double radices[] = {100000.0, 456976.0, 19683.0, 10.0, 1e6};
    const double limits[] = {1e7, 1e12, two_51 - 1.0, two_52 - 2e6};
    const int count = 2 * block + shortest_block + 3;
    std::mt19937_64 rng(67);
    for (const double radix : radices) {
        for (const bool balanced : forms) {
            use_digits(radix, balanced);
            for (const double limit : limits) {
                const std::string diff = difference(with_nexts(count, radix, limit, rng));
                EXPECT_TRUE(diff.empty()) << "R = " << radix << (balanced ? " balanced" : " standard")
                                          << ", nexts up to " << exact(limit) << ": " << diff;
            }
        }
    }
}

// Long arrays of product-like coefficients at the radices of the largest
// runs.
TEST_F(FastNormalize, LongProductLikeArrays)
{
    const double radices[] = {100000.0, 456976.0, 19683.0};
    std::mt19937_64 rng(59);
    for (const double radix : radices) {
        for (const bool balanced : forms) {
            use_digits(radix, balanced);
            const std::string diff = difference(product_like(1 << 20, rng));
            EXPECT_TRUE(diff.empty()) << "R = " << radix << (balanced ? " balanced, " : " standard, ")
                                      << diff;
        }
    }
}

}  // namespace
