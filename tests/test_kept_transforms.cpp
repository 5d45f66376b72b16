// Products with kept transforms against the reference product, bit for bit:
// an operand's transform kept in a slot and read back by later products of
// the same length, with fresh products in between, on both instruction
// paths and at every length from 2 to the longest working length.
#include "bignum/fft_fast.hpp"
#include "bignum/fft_multiply.hpp"
#include "bignum/long_number.hpp"
#include "support/fft_fast_compare.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

// One product of a sequence: operands by index into the arrays below, each
// with its slot (no_kept_transform: made afresh).
struct kept_product {
    int a;
    int a_slot;
    int b;
    int b_slot;
};

constexpr int none = no_kept_transform;

// The tree's use of slots: the power (0), a right (1) and a left (2)
// denominator kept and read by several products, fresh products in
// between, squarings of a kept operand and of its copy (array 5 is a copy
// of array 0).
const kept_product three_slots[] = {
    {0, 0, 1, 1}, {2, none, 3, none}, {4, none, 2, 2}, {2, 2, 1, 1},
    {1, 1, 0, 0}, {3, none, 0, 0},    {0, 0, 0, 0},    {5, 0, 5, 0},
};

// The longest length has one slot: the reciprocal's use.
const kept_product one_slot[] = {
    {1, none, 0, 0}, {0, 0, 2, none}, {3, none, 4, none}, {0, 0, 5, 0}, {5, none, 0, 0},
};

constexpr int arrays = 6;

void check_sequence(fft_fast_path path, int n, const kept_product* products, int count,
                    int slots_used)
{
    set_fft_fast_path(path);
    element_radix = 456976.0;
    digit_mode = -1;
    std::mt19937_64 rng(static_cast<unsigned>(n) * 7919u);
    std::vector<std::vector<double>> operand(arrays, std::vector<double>(n));
    for (int k = 0; k < arrays - 1; ++k) {
        fill(k == 3 ? pattern::alternating : pattern::random, operand[k].data(), n, element_radix,
             digit_mode, rng);
    }
    operand[arrays - 1] = operand[0];
    const std::vector<std::vector<double>> saved = operand;
    // The reference works outside fft_work, where the kept transforms live.
    std::vector<double> reference_work(6 * static_cast<std::size_t>(n));

    for (int slot = 0; slot < slots_used; ++slot) {
        keep_transform(operand[slot].data(), n, slot, fft_work);
    }
    for (int i = 0; i < count; ++i) {
        const kept_product& p = products[i];
        SCOPED_TRACE("n = " + std::to_string(n) + ", product " + std::to_string(i));
        const double want_error = mul_elements_fft_reference(
            operand[p.a].data(), operand[p.b].data(), want.data(), n, reference_work.data());
        const double got_error = mul_elements_kept(operand[p.a].data(), p.a_slot,
                                                   operand[p.b].data(), p.b_slot, got.data(), n,
                                                   fft_work);
        EXPECT_EQ(bits(got_error), bits(want_error));
        EXPECT_EQ(std::memcmp(got.data(), want.data(), sizeof(double) * 2 * n), 0);
    }
    EXPECT_EQ(operand, saved) << "n = " << n << ": an operand was written";
    set_fft_fast_path(fft_fast_path::automatic);
}

void check_every_length(fft_fast_path path)
{
    const int longest = max_working_length;
    for (int n = 2; n <= longest; n *= 2) {
        if (n < longest) {
            check_sequence(path, n, three_slots, std::size(three_slots), 3);
        }
        check_sequence(path, n, one_slot, std::size(one_slot), 1);
    }
}

TEST(KeptTransforms, PortablePathMatchesReferenceBitForBit)
{
    check_every_length(fft_fast_path::portable);
}

TEST(KeptTransforms, Avx2PathMatchesReferenceBitForBit)
{
    if (!fft_fast_avx2_available()) {
        GTEST_SKIP() << "this processor has no AVX2";
    }
    check_every_length(fft_fast_path::avx2);
}

TEST(KeptTransforms, Avx512PathMatchesReferenceBitForBit)
{
    if (!fft_fast_avx512_available()) {
        GTEST_SKIP() << "this processor has no AVX-512";
    }
    check_every_length(fft_fast_path::avx512);
}

// The slots the callers count on fit in fft_work at every length.
TEST(KeptTransforms, SlotsPromisedFitInTheWorkArea)
{
    for (int n = 2; n < max_working_length; n *= 2) {
        EXPECT_GE(fft_fast_kept_slots(n), 3) << "n = " << n;
    }
    EXPECT_GE(fft_fast_kept_slots(max_working_length), 1);
}

}  // namespace
