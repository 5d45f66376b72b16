#include "bignum/fft_fast_normalize.hpp"

#include "bignum/long_number.hpp"

#include <bit>
#include <cmath>
#include <cstdint>

// What normalize_elements_reference computes, step by step. Write c_i for
// a[i] as its carry pass leaves it and p_i for the +-1 its range step i
// passes up (0 if none). Carry step i meets next_i = a[i] + q_(i+1) (the
// original a[i]: the carry pass changes a[i] only at steps i and i + 1;
// at i = count - 1 just a[i]), takes q_i = trunc(next_i / R) and leaves
// c_i = next_i - q_i * R. Range step i meets v_i = c_i + p_(i+1) and, by
// the form and v_i, chooses p_i and the output d_i = v_i - p_i * R. So all
// that step i hands on is the pair (q_i, p_i), the state, and the step is
// a function
//     (next_i, p_(i+1)) -> (d_i, q_i, p_i),
// run from i = count - 1 (nothing carried in) down to i = 1; a[0] ends as
// a[0] + q_1, then +-1 if p_1 is.
//
// Exactness. If next_i is a whole number below 2^53 in magnitude and R is
// whole, fl(next_i / R) truncates to the exact quotient (it could reach
// the next integer k + 1 from below only if k + 1 - next_i / R >= 1/R were
// within half an ulp of k + 1, which needs next_i >= 2^53 - R), and
// q_i * R, c_i and the range step are exact: the step is integer
// arithmetic on whole numbers, and any exact evaluation of it gives the
// same numbers. next_i itself is the rounded sum fl(a[i] + q_(i+1)) here
// as in the reference, and every one is checked: either itself (in the
// vector steps and the reruns of the repair below) or through a[i] (in
// the steps one by one: a whole a[i] of magnitude at most 2^52 and a carry
// of at most 2^52 / (R - 1), which every exact run keeps, make an exact
// sum below 2^53). Signed
// zeros: every zero the reference leaves in a[1..count-1] is +0 (x - x,
// -R + R, -1 + 1 are +0 when rounding to nearest), and a[0] + q_1 is -0
// only if a[0] is -0; so for a[0] other than -0 the values decide every
// bit, and the sign of a zero carry changes nothing else either (it
// matters only in a sum of two zeros, whose result is a zero again).
//
// Outside that domain (a next_i past 2^52 or not whole, which a NaN, an
// infinity or a huge or fractional element gives; a radix that is not
// whole or not between 3 and 2^32; a[0] = -0) the steps run in doubles
// operation by operation as in the reference (double_steps), from the
// first element where the domain is left, with the state the steps above
// handed on.
//
// Blocks. The elements are cut into blocks and a block into chunks of
// consecutive elements. The chunks of a block run side by side, four per
// vector (two in the portable path), each from an assumed state (0, 0)
// instead of the state the chunk above hands on, writing their outputs
// into a buffer, not into the array.
// Then the chunks are repaired in order from the top: a chunk whose true
// incoming state is not (0, 0) is run again from its first element with
// the true state, alongside a rerun of the assumed one, until the two
// states agree after some element. From there on both runs meet the same
// elements with the same state, so they give the same outputs and the same
// final state: the first run's outputs are the true ones. If the states
// never agree, the true run covers the whole chunk. Either way the chunk's
// true final state is known: the assumed run's, or the true run's. The
// original elements are still in the array for the reruns, since the
// outputs went to the buffer, which is copied into the array once the
// block is repaired. With random data two runs from different states
// mostly agree within two or three elements (the difference in the carry
// shrinks by a factor R per element); a long run of carries (all elements
// R - 1, say) makes the repair cover whole chunks, which is slower but the
// same. A block where the domain of the vector step is left (see
// lane_step), or where a rerun meets a sum outside the domain, is not
// copied back but done element by element, as are the elements beyond the
// last block, next to a[0].

namespace {

constexpr int chunks = fft_fast_normalize_chunks;
constexpr int longest_chunk = fft_fast_normalize_longest_chunk;
constexpr int shortest_chunk = fft_fast_normalize_shortest_chunk;
constexpr int length_step = 4;  // of chunk lengths: a multiple of every vector width
constexpr int block_capacity = chunks * longest_chunk;
static_assert(chunks % length_step == 0 && longest_chunk % length_step == 0 &&
              shortest_chunk % length_step == 0 && shortest_chunk <= longest_chunk);

constexpr double two_52 = 4503599627370496.0;
constexpr double vector_limit = 2251799813685247.0;  // 2^51 - 1
constexpr double rounder = 6755399441055744.0;       // 1.5 * 2^52
constexpr double exact_radix_least = 3.0;
constexpr double exact_radix_most = 4294967296.0;  // 2^32

__extension__ using wide = __int128;
__extension__ using wide_unsigned = unsigned __int128;

// Whether x is a whole number of magnitude at most 2^52: m + 2^52 lies in
// [2^52, 2^53], where doubles are the whole numbers, so it rounds m to a
// whole number, and subtracting 2^52 again is exact. NaN fails both tests.
[[gnu::always_inline]] inline bool inside(double x)
{
    const double m = std::fabs(x);
    return m <= two_52 && (m + two_52) - two_52 == m;
}

// ---------------------------------------------------------------------------
// The reference's operations, for everything outside the domain: carry
// step i and range step i + 1's correction of a[i] fused (the range step's
// +-1 into a[i] is added once the carry step i has left a[i], and changes
// nothing else). Runs steps top .. 1 and a[0]; next is what carry step top
// meets, pending what range step top + 1 passed up.

void double_steps(double* a, int top, double next, int pending)
{
    const double radix = element_radix;
    const bool balanced = digit_mode < 0;
    const double half = radix / 2.0;
    for (int i = top; i >= 1; --i) {
        const double q = std::trunc(next / radix);
        double ai = next - q * radix;
        next = a[i - 1] + q;
        if (pending > 0) {
            ai = ai + 1.0;
        } else if (pending < 0) {
            ai = ai - 1.0;
        }
        pending = 0;
        if (balanced) {
            if (ai > half) {
                pending = 1;
                ai = ai - radix;
            } else if (ai < -half) {
                pending = -1;
                ai = ai + radix;
            }
        } else if (ai < 0.0) {
            pending = -1;
            ai = ai + radix;
        }
        a[i] = ai;
    }
    if (pending > 0) {
        next = next + 1.0;
    } else if (pending < 0) {
        next = next - 1.0;
    }
    a[0] = next;
}

// ---------------------------------------------------------------------------
// The integer step, one element at a time.

struct carry_state {
    std::int64_t q;  // carry into the next element up
    std::int64_t p;  // range step's +-1 into it
};

[[gnu::always_inline]] inline bool operator==(carry_state x, carry_state y)
{
    return x.q == y.q && x.p == y.p;
}

// What carry step i meets in the reference: a[i] + q_(i+1), a[i] alone at
// the end.
[[gnu::always_inline]] inline double next_at(const double* a, int count, int i, carry_state s)
{
    return i == count - 1 ? a[i] : a[i] + static_cast<double>(s.q);
}

// Truncated quotient by multiplication: with s >= 53 + bit_width(R) and
// M = floor(2^s / R) + 1, M R = 2^s + e with 0 < e <= R, and for
// |x| < 2^53, x M / 2^s = x/R + x e / (R 2^s) differs from x/R by less
// than |x| / 2^s < 1/R, with the sign of x. The distance from a non-whole
// x/R up to the next integer is at least 1/R, so floor(x M / 2^s) is
// floor(x/R) for x >= 0; for x < 0 it lies just below x/R and gives
// ceil(x/R) - 1, whether x/R is whole or not, and adding 1 gives the
// truncation. s is at least 64 so that the high half of the 128-bit
// product is shifted (by s - 64); M < 2^63 for every R from 3 to 2^32.
struct int_divisor {
    std::int64_t radix;
    std::int64_t magic;
    int shift;  // s - 64
};

[[gnu::always_inline]] inline int_divisor make_divisor(double radix)
{
    const auto r = static_cast<std::int64_t>(radix);
    const auto width = static_cast<int>(std::bit_width(static_cast<std::uint64_t>(r)));
    const int s = 53 + width < 64 ? 64 : 53 + width;
    const wide_unsigned m =
        (static_cast<wide_unsigned>(1) << s) / static_cast<wide_unsigned>(r) + 1;
    return {r, static_cast<std::int64_t>(m), s - 64};
}

// The divisor of the radix met last: the radix changes at most a few
// times in a run, and the division that makes the multiplier is slow next
// to the normalization of a few elements.
[[gnu::always_inline]] inline int_divisor divisor_of(double radix)
{
    static double known_radix = 0.0;
    static int_divisor known{};
    if (radix != known_radix) {
        known = make_divisor(radix);
        known_radix = radix;
    }
    return known;
}

// The step on next (whole, below 2^53 in magnitude) with the state s
// (updated); returns d_i. Branch free: the choices are products with 0 or 1.
template <bool balanced>
[[gnu::always_inline]] inline std::int64_t int_step(std::int64_t next, carry_state& s,
                                                    const int_divisor& d)
{
    const auto high = static_cast<std::int64_t>((static_cast<wide>(next) * d.magic) >> 64);
    const std::int64_t q =
        (high >> d.shift) + static_cast<std::int64_t>(static_cast<std::uint64_t>(next) >> 63);
    const std::int64_t v = next - q * d.radix + s.p;
    std::int64_t p;
    if constexpr (balanced) {
        p = static_cast<std::int64_t>(2 * v > d.radix) -
            static_cast<std::int64_t>(2 * v < -d.radix);
    } else {
        p = -static_cast<std::int64_t>(v < 0);
    }
    s = {q, p};
    return v - p * d.radix;
}

// Steps top .. bottom in place, one by one, with the true state s
// (updated), which has |q| <= 2^52 / (R - 1), as every state of an exact
// run does. Each element is checked: if it is whole and at most 2^52 in
// magnitude, next = a[i] + q is at most 2^52 R / (R - 1) < 2^53 and the
// reference's sum is exact, and so is the new |q| <= 2^52 / (R - 1).
// Otherwise the double steps take over from that element and finish the
// whole array, a[0] included, and the return is false.
template <bool balanced>
[[gnu::always_inline]] inline bool single_steps(double* a, int count, int top, int bottom,
                                                carry_state& s, const int_divisor& d)
{
    for (int i = top; i >= bottom; --i) {
        if (!inside(a[i])) {
            double_steps(a, i, next_at(a, count, i, s), static_cast<int>(s.p));
            return false;
        }
        const std::int64_t next = static_cast<std::int64_t>(a[i]) + s.q;
        a[i] = static_cast<double>(int_step<balanced>(next, s, d));
    }
    return true;
}

// a[0] + q_1, then +-1 as p_1 says, in the reference's operations.
[[gnu::always_inline]] inline void finish_top(double* a, carry_state s)
{
    const double top = a[0] + static_cast<double>(s.q);
    a[0] = s.p != 0 ? top + static_cast<double>(s.p) : top;
}

// ---------------------------------------------------------------------------
// The vector step: W chunks side by side, in doubles; W = 4 in the AVX2
// entry point (one instruction per operation), W = 2 in the portable one
// (SSE2). Values of these types never cross a call that is not inlined
// (the build silences GCC's note about the calling convention,
// -Wno-psabi, for this file).

using vec4 = double __attribute__((vector_size(32)));
using vec2 = double __attribute__((vector_size(16)));

template <class V>
constexpr int width = static_cast<int>(sizeof(V) / sizeof(double));

// What comparisons of V give: all bits set where true.
template <class V>
using mask_of = decltype(V{} < V{});

template <class V>
[[gnu::always_inline]] inline V load_vec(const double* p)
{
    V v;
    __builtin_memcpy(&v, p, sizeof v);
    return v;
}

template <class V>
[[gnu::always_inline]] inline void store_vec(double* p, V v)
{
    __builtin_memcpy(p, &v, sizeof v);
}

template <class V>
[[gnu::always_inline]] inline V broadcast(double x)
{
    V v;
    for (int k = 0; k < width<V>; ++k) {
        v[k] = x;
    }
    return v;
}

// v where m is set, +0 elsewhere.
template <class V>
[[gnu::always_inline]] inline V keep(mask_of<V> m, V v)
{
    return std::bit_cast<V>(m & std::bit_cast<mask_of<V>>(v));
}

template <class V>
[[gnu::always_inline]] inline V bitwise_and(V x, V y)
{
    return std::bit_cast<V>(std::bit_cast<mask_of<V>>(x) & std::bit_cast<mask_of<V>>(y));
}

template <class V>
[[gnu::always_inline]] inline V bitwise_xor(V x, V y)
{
    return std::bit_cast<V>(std::bit_cast<mask_of<V>>(x) ^ std::bit_cast<mask_of<V>>(y));
}

// Rows become columns: lane k of column c is entry c of row k.
[[gnu::always_inline]] inline void transpose(vec4 (&r)[4])
{
    using index = std::int64_t __attribute__((vector_size(32)));
    const vec4 t0 = __builtin_shuffle(r[0], r[1], index{0, 4, 2, 6});
    const vec4 t1 = __builtin_shuffle(r[0], r[1], index{1, 5, 3, 7});
    const vec4 t2 = __builtin_shuffle(r[2], r[3], index{0, 4, 2, 6});
    const vec4 t3 = __builtin_shuffle(r[2], r[3], index{1, 5, 3, 7});
    r[0] = __builtin_shuffle(t0, t2, index{0, 1, 4, 5});
    r[1] = __builtin_shuffle(t1, t3, index{0, 1, 4, 5});
    r[2] = __builtin_shuffle(t0, t2, index{2, 3, 6, 7});
    r[3] = __builtin_shuffle(t1, t3, index{2, 3, 6, 7});
}

[[gnu::always_inline]] inline void transpose(vec2 (&r)[2])
{
    using index = std::int64_t __attribute__((vector_size(16)));
    const vec2 t0 = __builtin_shuffle(r[0], r[1], index{0, 2});
    r[1] = __builtin_shuffle(r[0], r[1], index{1, 3});
    r[0] = t0;
}

template <class V>
struct vector_constants {
    V radix;
    V inverse;      // fl(1/R)
    V below_half;   // (R - 1)/2
    V half;         // R/2
    V minus_half;   // -R/2
    V one;
    V minus_one;
    V sign;         // -0: the sign bit alone
    V rounder;      // 1.5 * 2^52
    V two_52;
};

template <class V>
[[gnu::always_inline]] inline vector_constants<V> make_vector_constants(double radix)
{
    return {broadcast<V>(radix),       broadcast<V>(1.0 / radix), broadcast<V>((radix - 1.0) / 2.0),
            broadcast<V>(radix / 2.0), broadcast<V>(-radix / 2.0), broadcast<V>(1.0),
            broadcast<V>(-1.0),        broadcast<V>(-0.0),        broadcast<V>(rounder),
            broadcast<V>(two_52)};
}

// The state of W chunks, whole numbers in doubles.
template <class V>
struct lane_state {
    V q;
    V p;
};

// Whether the vector step's domain was left by any next it met: the
// largest magnitude (must not pass 2^51 - 1) and whether each was whole
// (as in inside: m rounded to a whole number, for m up to 2^52; larger m
// fail the first test anyway).
template <class V>
struct domain_check {
    V largest;
    mask_of<V> not_whole;
};

// One step of W chunks on their elements x; returns the W outputs.
// With m = |next| whole and at most 2^51 - 1 (checked; a NaN fails the
// test of wholeness), every operation is exact or provably rounds the right
// way:
//  - next = x + q is the reference's sum.
//  - m - (R - 1)/2 is exact (a multiple of 1/2 below 2^52), and
//    z = fl((m - (R - 1)/2) * fl(1/R)) is within a relative 2^-52 + 2^-106
//    of z* = m/R - 1/2 + 1/(2R), so within (m/R) 2^-52 (1 + 2^-54) < 1/(2R)
//    of it. With m = qR + j, 0 <= j < R, z* lies in
//    [q - 1/2 + 1/(2R), q + 1/2 - 1/(2R)], so z lies strictly between
//    q - 1/2 and q + 1/2 and rounds to q = trunc(m/R): with |z| < 2^51,
//    z + 1.5 * 2^52 lies in [2^52, 2^53], where doubles are the whole
//    numbers, and (z + 1.5 * 2^52) - 1.5 * 2^52 is z rounded, exactly.
//  - q R and r = m - q R (in [0, R)) are exact; next's sign bit on q and
//    r gives trunc(next/R) and c = next - trunc(next/R) R.
//  - v = c + p, and the range step's choice, as the reference.
// No output is -0: v = c + p is a sum with p = +0 or +-1, d = v - p R or
// v + (+0 or R), which are zero only as +0.
template <bool balanced, class V>
[[gnu::always_inline]] inline V lane_step(V x, lane_state<V>& s, domain_check<V>& d,
                                          const vector_constants<V>& c)
{
    const V next = x + s.q;
    const V sign = bitwise_and(next, c.sign);
    const V m = bitwise_xor(next, sign);
    d.largest = m > d.largest ? m : d.largest;
    d.not_whole |= ((m + c.two_52) - c.two_52) != m;
    const V z = (m - c.below_half) * c.inverse;
    const V q = (z + c.rounder) - c.rounder;
    const V r = m - q * c.radix;
    const V v = bitwise_xor(r, sign) + s.p;
    V p;
    V out;
    if constexpr (balanced) {
        const V low = keep(v < c.minus_half, c.minus_one);
        p = v > c.half ? c.one : low;
        out = v - p * c.radix;
    } else {
        const mask_of<V> low = v < 0.0;
        p = keep(low, c.minus_one);
        out = v + keep(low, c.radix);
    }
    s = {bitwise_xor(q, sign), p};
    return out;
}

// The assumed runs of one block: chunk j (0 .. chunks - 1) covers positions
// top - (j + 1) * length + 1 .. top - j * length, from the top down, with
// state (0, 0) at its top; outputs go to out[position - bottom], bottom
// the block's lowest position, and the chunks' final states to end.
// length: a multiple of length_step. Returns whether every next stayed in the
// vector step's domain (if not, nothing it wrote means anything).
template <bool balanced, class V>
[[gnu::always_inline]] inline bool assumed_runs(const double* a, int top, int length, double* out,
                                                carry_state* end, const vector_constants<V>& c)
{
    constexpr int w = width<V>;
    constexpr int groups = chunks / w;  // vectors side by side
    const int bottom = top - chunks * length + 1;
    lane_state<V> s[groups];
    domain_check<V> d{broadcast<V>(0.0), mask_of<V>{}};
    for (lane_state<V>& g : s) {
        g = {broadcast<V>(0.0), broadcast<V>(0.0)};
    }
    for (int t = 0; t < length; t += w) {
        // Rows: the w elements of chunk w g + k at positions
        // base - (w g + k) length + 0 .. w - 1, the highest first in the
        // run; the transposes turn them into the columns x[g][e], element
        // e of each of the w chunks.
        const int base = top - t - (w - 1);
        V x[groups][w];
#pragma GCC unroll 16
        for (int g = 0; g < groups; ++g) {
#pragma GCC unroll 4
            for (int k = 0; k < w; ++k) {
                x[g][k] = load_vec<V>(a + base - (w * g + k) * length);
            }
            transpose(x[g]);
        }
        // The groups' steps interleaved, so that independent chains are
        // in flight side by side.
#pragma GCC unroll 4
        for (int e = w - 1; e >= 0; --e) {
#pragma GCC unroll 16
            for (int g = 0; g < groups; ++g) {
                x[g][e] = lane_step<balanced>(x[g][e], s[g], d, c);
            }
        }
#pragma GCC unroll 16
        for (int g = 0; g < groups; ++g) {
            transpose(x[g]);
#pragma GCC unroll 4
            for (int k = 0; k < w; ++k) {
                store_vec(out + (base - (w * g + k) * length - bottom), x[g][k]);
            }
        }
    }
    bool ok = true;
    for (int k = 0; k < w; ++k) {
        ok = ok && d.largest[k] <= vector_limit && d.not_whole[k] == 0;
    }
    if (!ok) {
        return false;
    }
    for (int g = 0; g < groups; ++g) {
        for (int k = 0; k < w; ++k) {
            end[w * g + k] = {static_cast<std::int64_t>(s[g].q[k]),
                              static_cast<std::int64_t>(s[g].p[k])};
        }
    }
    return true;
}

// The repair of one block (see the top), given the true state at its top
// (updated to the true state below it). Every next of the assumed runs
// passed the check; a rerun with the true state meets other sums, which
// are checked again (an element with a tiny fraction may give a whole sum
// with a large carry and a fraction with a small one). Returns false if
// one of them leaves the domain; then out and state mean nothing.
template <bool balanced>
[[gnu::always_inline]] inline bool repair(const double* a, int top, int length, double* out,
                                          const carry_state* end, carry_state& state,
                                          const int_divisor& d)
{
    const int bottom = top - chunks * length + 1;
    for (int j = 0; j < chunks; ++j) {
        if (state == carry_state{0, 0}) {
            state = end[j];
            continue;
        }
        carry_state assumed{0, 0};
        const int first = top - j * length;
        const int last = first - length + 1;
        bool met = false;
        for (int i = first; i >= last && !met; --i) {
            const double next = a[i] + static_cast<double>(state.q);
            if (!inside(next)) {
                return false;
            }
            out[i - bottom] =
                static_cast<double>(int_step<balanced>(static_cast<std::int64_t>(next), state, d));
            const double assumed_next = a[i] + static_cast<double>(assumed.q);
            int_step<balanced>(static_cast<std::int64_t>(assumed_next), assumed, d);
            met = state == assumed;
        }
        if (met) {
            state = end[j];
        }
    }
    return true;
}

// The whole normalization for a radix in the exact range and a[0] other
// than -0: full blocks from the end of the array, one shorter block, the
// rest one by one, a[0]; from the first element outside the domain on, the
// double steps.
template <bool balanced, class V>
[[gnu::always_inline]] inline void normalize_exact(double* a, int count)
{
    const int_divisor d = divisor_of(element_radix);
    const vector_constants<V> c = make_vector_constants<V>(element_radix);
    alignas(32) double out[block_capacity];
    carry_state end[chunks];
    carry_state state{0, 0};
    int top = count - 1;  // positions 1 .. top are left
    while (top >= chunks * shortest_chunk) {
        const int fit = top / chunks / length_step * length_step;
        const int length = fit < longest_chunk ? fit : longest_chunk;
        const int size = chunks * length;
        const int bottom = top - size + 1;
        carry_state below = state;
        if (assumed_runs<balanced>(a, top, length, out, end, c) &&
            repair<balanced>(a, top, length, out, end, below, d)) {
            state = below;
            for (int i = 0; i < size; i += width<V>) {
                store_vec(a + bottom + i, load_vec<V>(out + i));
            }
        } else if (!single_steps<balanced>(a, count, top, bottom, state, d)) {
            return;
        }
        top = bottom - 1;
    }
    if (top >= 1 && !single_steps<balanced>(a, count, top, 1, state, d)) {
        return;
    }
    finish_top(a, state);
}

// normalize_elements_reference's result, with vectors of type V.
template <class V>
[[gnu::always_inline]] inline void normalize_any(double* a, int count)
{
    if (count <= 1) {
        return;
    }
    const double radix = element_radix;
    const bool exact_radix =
        radix >= exact_radix_least && radix <= exact_radix_most && radix == std::floor(radix);
    if (!exact_radix || (a[0] == 0.0 && std::signbit(a[0]))) {
        double_steps(a, count - 1, a[count - 1], 0);
    } else if (digit_mode < 0) {
        normalize_exact<true, V>(a, count);
    } else {
        normalize_exact<false, V>(a, count);
    }
}

bool avx2_available()
{
    static const bool available = __builtin_cpu_supports("avx2");
    return available;
}

[[gnu::target("avx2")]] void normalize_avx2(double* a, int count)
{
    normalize_any<vec4>(a, count);
}

}  // namespace

void fft_fast_normalize_portable(double* a, int count)
{
    normalize_any<vec2>(a, count);
}

void fft_fast_normalize_avx2(double* a, int count)
{
    if (avx2_available()) {
        normalize_avx2(a, count);
    } else {
        fft_fast_normalize_portable(a, count);
    }
}

void fft_fast_normalize(double* a, int count)
{
    fft_fast_normalize_avx2(a, count);
}
