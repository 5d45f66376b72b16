#include "bignum/fft_fast.hpp"

#include "bignum/fft_fast_normalize.hpp"
#include "bignum/fft_multiply.hpp"
#include "bignum/long_number.hpp"

#include <bit>
#include <cmath>
#include <cstdint>

// The reference transform, pass by pass (fft_transform.cpp): a length
// n = 2^m transform runs passes t = 0 .. m - 1 with a = n/2^(t+1) and
// b = 2^t. Butterfly (i, j), i < b, j < a, takes its lower member from entry
// 2a*i + j and its upper member from entry 2a*i + j + a, multiplies the
// lower one by the twiddle of group i and writes the difference to entry
// a*i + j and the sum to entry a*i + j + n/2. Written in bits, the input
// index of pass t is (i: t bits, s: 1 bit, j: m - t - 1 bits) and the output
// index is (s, i, j): each pass moves its bit s to the top, and the next
// pass's group index is (s, i).
//
// Short transforms (below blocked_from) do two passes at a time over the
// whole array, the four entries of two passes' butterflies held in
// registers. Long ones are cut into tiles that fit in the first-level cache,
// q passes at a time: over passes p .. p + q - 1 the index reads
// (I: p bits, s_p, s_p+1, ..., s_p+q-1, J: m - p - q bits) on input and
// (s_p+q-1, ..., s_p, I, J) on output, so for fixed I and J the 2^q inputs
// at stride 2^(m-p-q) form an independent 2^q-point transform whose outputs
// land at stride n/2^q, and consecutive J stay consecutive on both sides.
// Pass p + k of the block meets the group index I + 2^p * g, g being the
// bits s_p .. s_p+k-1 with s_p the lowest. Every butterfly keeps its own
// twiddle and the reference's order of operations.
//
// Twiddle of group i in a pass of b groups: the reference's table entry
// a*(i + 1) - 1 of a length-n transform, angle (a*(b - 1 - i)) * (pi/(n/2)).
// Since pi/(n/2) = (pi/b)/a exactly, that angle is the same double as
// (b - 1 - i) * (pi/b), whatever the length: one table per group count b
// serves every length.
//
// Weight j of length n: angle (n - 1 - j) * (2 atan(1)/n). As 2 atan(1)/n =
// 4 atan(1)/(2n) exactly, that is twiddle n + j of the table of b = 2n
// groups, so the twiddle tables hold the weights of every length up to a
// quarter of the longest. The two longest lengths have their own table; the
// weights of the half length are the odd-numbered weights of the longest
// (angle (n/2 - 1 - j) * (pi/n) = (n - 1 - (2j + 1)) * (pi/(2n))), so one
// table of max_length entries holds both: the half length's weights in its
// first half, the even-numbered weights of the longest in its second half.

namespace {

constexpr int max_length = max_working_length;
static_assert(std::has_single_bit(static_cast<unsigned>(max_length)) && max_length >= 16);
constexpr int max_passes = std::countr_zero(static_cast<unsigned>(max_length));

// Twiddles of the passes of b groups (b = 1, 2, 4, ..., max_length/2) at
// offset b, so that every table from b = 8 on starts a cache line: entry
// i = (cos, sin) of (b - 1 - i) * s, s = 4 atan(1)/b. 2^19 entries, 8 MB.
alignas(64) double twiddle_re[max_length];
alignas(64) double twiddle_im[max_length];
// Weights of the lengths max_length/2 (entries 0 .. max_length/2 - 1: entry
// j of that length) and max_length (entry max_length/2 + h: its entry 2h;
// its entry 2h + 1 is entry h). 2^19 entries, 8 MB.
alignas(64) double long_weight_re[max_length];
alignas(64) double long_weight_im[max_length];

bool twiddles_built[max_passes] = {};  // by log2 b
bool half_weights_built = false;
bool full_weights_built = false;
bool tables_symmetric = true;
fft_fast_path chosen_path = fft_fast_path::automatic;

std::uint64_t bits(double v)
{
    return std::bit_cast<std::uint64_t>(v);
}

// Stores (cos phi, sin phi) for phi = m * step and checks that the inverse
// angle m * (-step) gives (cos phi, -sin phi) bit for bit. The negated step
// goes through a volatile so that the compiler cannot rewrite cos(-x) as
// cos(x) here: it is the platform's own cos(-x) that is compared.
void fill_entry(double* re, double* im, int m, double step)
{
    const double phi = static_cast<double>(m) * step;
    *re = std::cos(phi);
    *im = std::sin(phi);
    volatile double negated = -step;
    const double inverse_phi = static_cast<double>(m) * negated;
    if (bits(std::cos(inverse_phi)) != bits(*re) || bits(std::sin(inverse_phi)) != bits(-*im)) {
        tables_symmetric = false;
    }
}

void build_twiddles(int b)
{
    const int level = std::countr_zero(static_cast<unsigned>(b));
    if (twiddles_built[level]) {
        return;
    }
    const double s = 4.0 * std::atan(1.0) / b;
    for (int i = 0; i < b; ++i) {
        fill_entry(twiddle_re + b + i, twiddle_im + b + i, b - 1 - i, s);
    }
    twiddles_built[level] = true;
}

void build_long_weights(int n)
{
    const int half = max_length / 2;
    if (!half_weights_built) {
        const double u = 2.0 * std::atan(1.0) / half;
        for (int j = 0; j < half; ++j) {
            fill_entry(long_weight_re + j, long_weight_im + j, half - 1 - j, u);
        }
        half_weights_built = true;
    }
    if (n == max_length && !full_weights_built) {
        const double u = 2.0 * std::atan(1.0) / max_length;
        for (int h = 0; h < half; ++h) {
            fill_entry(long_weight_re + half + h, long_weight_im + half + h,
                       max_length - 1 - 2 * h, u);
        }
        full_weights_built = true;
    }
}

// Everything a transform of length n reads, built when first needed.
void build_tables(int n)
{
    for (int b = 1; b <= n / 2; b *= 2) {
        build_twiddles(b);
    }
    if (n <= max_length / 4) {
        build_twiddles(2 * n);
    } else {
        build_long_weights(n);
    }
}

// The weights of length n, n <= max_length/2: entry j at c[j], s[j].
struct contiguous_weights {
    const double* c;
    const double* s;
};

contiguous_weights weights_of(int n)
{
    if (n <= max_length / 4) {
        return {twiddle_re + 2 * n + n, twiddle_im + 2 * n + n};
    }
    return {long_weight_re, long_weight_im};
}

// A complex array of n entries as two halves of n doubles each.
struct split {
    double* re;
    double* im;
};

// Four doubles side by side. The same operations run lane by lane: in the
// AVX2 entry point one instruction per operation, in the portable one two
// SSE2 instructions. Values of this type never cross a call that is not
// inlined, so the calling convention does not matter (the build silences
// GCC's note about it, -Wno-psabi, for this file).
using vec = double __attribute__((vector_size(32)));
constexpr int lanes = 4;

[[gnu::always_inline]] inline vec load_vec(const double* p)
{
    vec v;
    __builtin_memcpy(&v, p, sizeof v);
    return v;
}

[[gnu::always_inline]] inline void store_vec(double* p, vec v)
{
    __builtin_memcpy(p, &v, sizeof v);
}

[[gnu::always_inline]] inline vec broadcast(double x)
{
    return vec{x, x, x, x};
}

// Rows r0..r3 become columns: lane k of column c is entry c of row k.
[[gnu::always_inline]] inline void transpose(vec& r0, vec& r1, vec& r2, vec& r3)
{
    using index = long long __attribute__((vector_size(32)));
    const vec t0 = __builtin_shuffle(r0, r1, index{0, 4, 2, 6});
    const vec t1 = __builtin_shuffle(r0, r1, index{1, 5, 3, 7});
    const vec t2 = __builtin_shuffle(r2, r3, index{0, 4, 2, 6});
    const vec t3 = __builtin_shuffle(r2, r3, index{1, 5, 3, 7});
    r0 = __builtin_shuffle(t0, t2, index{0, 1, 4, 5});
    r1 = __builtin_shuffle(t1, t3, index{0, 1, 4, 5});
    r2 = __builtin_shuffle(t0, t2, index{2, 3, 6, 7});
    r3 = __builtin_shuffle(t1, t3, index{2, 3, 6, 7});
}

// The weights of the longest length, entries p .. p + 3 (p a multiple of
// four): even entries from the second half of the long table, odd ones
// from the first.
struct interleaved_weights {
    [[gnu::always_inline]] void four(int p, vec& c, vec& s) const
    {
        const int h = p / 2;
        const double* ce = long_weight_re + max_length / 2 + h;
        const double* se = long_weight_im + max_length / 2 + h;
        const double* co = long_weight_re + h;
        const double* so = long_weight_im + h;
        c = vec{ce[0], co[0], ce[1], co[1]};
        s = vec{se[0], so[0], se[1], so[1]};
    }
    [[gnu::always_inline]] void prefetch(int p) const
    {
        __builtin_prefetch(long_weight_re + max_length / 2 + p / 2);
        __builtin_prefetch(long_weight_im + max_length / 2 + p / 2);
        __builtin_prefetch(long_weight_re + p / 2);
        __builtin_prefetch(long_weight_im + p / 2);
    }
};

struct contiguous_weight_reader {
    contiguous_weights w;
    [[gnu::always_inline]] void four(int p, vec& c, vec& s) const
    {
        c = load_vec(w.c + p);
        s = load_vec(w.s + p);
    }
    [[gnu::always_inline]] void prefetch(int p) const
    {
        __builtin_prefetch(w.c + p);
        __builtin_prefetch(w.s + p);
    }
};

// t = w * x, then (y - t, y + t): the reference's butterfly, on one entry
// (double) or four (vec).
template <class T>
[[gnu::always_inline]] inline void butterfly(T xr, T xi, T yr, T yi, T wr, T wi, T& low_r,
                                             T& low_i, T& high_r, T& high_i)
{
    const T tr = xr * wr - xi * wi;
    const T ti = xr * wi + xi * wr;
    low_r = yr - tr;
    low_i = yi - ti;
    high_r = yr + tr;
    high_i = yi + ti;
}

// Sources of the first sweep of a transform, and of the others: entry p,
// or the four entries p .. p + 3.

// Entry p of a real operand, weighted: (a[p], 0) times (c, s) as the
// reference's weighting loop forms it.
template <class Weights>
struct load_weighted_real {
    const double* a;
    Weights weights;
    [[gnu::always_inline]] void four(int p, vec& re, vec& im) const
    {
        const vec xr = load_vec(a + p);
        const vec xi = broadcast(0.0);
        vec wc, ws;
        weights.four(p, wc, ws);
        re = wc * xr - ws * xi;
        im = wc * xi + ws * xr;
    }
    [[gnu::always_inline]] void prefetch(int p) const
    {
        __builtin_prefetch(a + p);
        weights.prefetch(p);
    }
};

// The same for the short transforms, with scalar access as well.
struct load_weighted_real_short {
    const double* a;
    const double* c;
    const double* s;
    [[gnu::always_inline]] void operator()(int p, double& re, double& im) const
    {
        const double xr = a[p];
        const double xi = 0.0;
        re = c[p] * xr - s[p] * xi;
        im = c[p] * xi + s[p] * xr;
    }
    [[gnu::always_inline]] void four(int p, vec& re, vec& im) const
    {
        const vec xr = load_vec(a + p);
        const vec xi = broadcast(0.0);
        const vec wc = load_vec(c + p);
        const vec ws = load_vec(s + p);
        re = wc * xr - ws * xi;
        im = wc * xi + ws * xr;
    }
};

// Entry p of the pointwise product of two transforms, x from the first
// operand and y from the second, in the reference's order.
struct load_product {
    const double* xr;
    const double* xi;
    const double* yr;
    const double* yi;
    [[gnu::always_inline]] void operator()(int p, double& re, double& im) const
    {
        re = yr[p] * xr[p] - yi[p] * xi[p];
        im = yr[p] * xi[p] + yi[p] * xr[p];
    }
    [[gnu::always_inline]] void four(int p, vec& re, vec& im) const
    {
        const vec ar = load_vec(xr + p);
        const vec ai = load_vec(xi + p);
        const vec br = load_vec(yr + p);
        const vec bi = load_vec(yi + p);
        re = br * ar - bi * ai;
        im = br * ai + bi * ar;
    }
    [[gnu::always_inline]] void prefetch(int p) const
    {
        __builtin_prefetch(xr + p);
        __builtin_prefetch(xi + p);
        __builtin_prefetch(yr + p);
        __builtin_prefetch(yi + p);
    }
};

struct load_split {
    const double* re;
    const double* im;
    [[gnu::always_inline]] void operator()(int p, double& r, double& i) const
    {
        r = re[p];
        i = im[p];
    }
    [[gnu::always_inline]] void four(int p, vec& r, vec& i) const
    {
        r = load_vec(re + p);
        i = load_vec(im + p);
    }
    [[gnu::always_inline]] void prefetch(int p) const
    {
        __builtin_prefetch(re + p);
        __builtin_prefetch(im + p);
    }
};

// The inverse direction's twiddle is (cos, -sin) of the forward one
// (checked at table build).
template <bool Inverse, class T>
[[gnu::always_inline]] inline T twiddle_sine(T forward_sine)
{
    if constexpr (Inverse) {
        return -forward_sine;
    } else {
        return forward_sine;
    }
}

// One pass (t = 0, b = 1, a = n/2): only for an odd number of passes. Its
// single twiddle is entry 0 of the one-group table.
template <bool Inverse, class Load>
[[gnu::always_inline]] inline void sweep_one(int n, const Load& load, split dst)
{
    const int a = n / 2;
    const double wr = twiddle_re[1];
    const double wi = twiddle_sine<Inverse>(twiddle_im[1]);
    double* __restrict dr = dst.re;
    double* __restrict di = dst.im;
    if (a < lanes) {
        for (int j = 0; j < a; ++j) {
            double xr, xi, yr, yi;
            load(j, xr, xi);
            load(j + a, yr, yi);
            butterfly(xr, xi, yr, yi, wr, wi, dr[j], di[j], dr[j + a], di[j + a]);
        }
        return;
    }
    const vec vwr = broadcast(wr);
    const vec vwi = broadcast(wi);
    for (int j = 0; j < a; j += lanes) {
        vec xr, xi, yr, yi, lr, li, hr, hi;
        load.four(j, xr, xi);
        load.four(j + a, yr, yi);
        butterfly(xr, xi, yr, yi, vwr, vwi, lr, li, hr, hi);
        store_vec(dr + j, lr);
        store_vec(di + j, li);
        store_vec(dr + j + a, hr);
        store_vec(di + j + a, hi);
    }
}

// Passes t and t + 1 on one block (see the note at the top), given its four
// inputs: x0e are the lower members of pass t, x1e the upper ones. w0 is
// the twiddle of pass t, w1 and w2 those of pass t + 1 for the pairs made
// of the differences and of the sums. Outputs in the order of their
// positions o + {0, 1, 2, 3} * n/4.
template <class T>
[[gnu::always_inline]] inline void radix4(T x00r, T x00i, T x01r, T x01i, T x10r, T x10i, T x11r,
                                          T x11i, T w0r, T w0i, T w1r, T w1i, T w2r, T w2i, T* yr,
                                          T* yi)
{
    T l0r, l0i, h0r, h0i, l1r, l1i, h1r, h1i;
    butterfly(x00r, x00i, x10r, x10i, w0r, w0i, l0r, l0i, h0r, h0i);
    butterfly(x01r, x01i, x11r, x11i, w0r, w0i, l1r, l1i, h1r, h1i);
    butterfly(l0r, l0i, l1r, l1i, w1r, w1i, yr[0], yi[0], yr[2], yi[2]);
    butterfly(h0r, h0i, h1r, h1i, w2r, w2i, yr[1], yi[1], yr[3], yi[3]);
}

// Passes t and t + 1 over the whole array.
template <bool Inverse, class Load>
[[gnu::always_inline]] inline void sweep_two(int n, int t, const Load& load, split dst)
{
    const int a = n >> (t + 1);
    const int b = 1 << t;
    const int q = a / 2;
    const int quarter = n / 4;
    const double* w0_re = twiddle_re + b;
    const double* w0_im = twiddle_im + b;
    const double* w1_re = twiddle_re + 2 * b;
    const double* w1_im = twiddle_im + 2 * b;
    double* __restrict dr = dst.re;
    double* __restrict di = dst.im;

    if (q == 1 && b < lanes) {
        // Lengths 4 and 8: too short for vectors.
        for (int i = 0; i < b; ++i) {
            double x[4][2];
            for (int e = 0; e < 4; ++e) {
                load(4 * i + e, x[e][0], x[e][1]);
            }
            double yr[4], yi[4];
            radix4(x[0][0], x[0][1], x[1][0], x[1][1], x[2][0], x[2][1], x[3][0], x[3][1], w0_re[i],
                   twiddle_sine<Inverse>(w0_im[i]), w1_re[i], twiddle_sine<Inverse>(w1_im[i]),
                   w1_re[i + b], twiddle_sine<Inverse>(w1_im[i + b]), yr, yi);
            for (int f = 0; f < 4; ++f) {
                dr[i + f * quarter] = yr[f];
                di[i + f * quarter] = yi[f];
            }
        }
        return;
    }

    if (q == 1) {
        // The last two passes: block i reads the four entries 4i .. 4i + 3;
        // four blocks side by side, one per lane, after a transpose.
        for (int i = 0; i < b; i += lanes) {
            vec xr[4], xi[4];
            for (int k = 0; k < 4; ++k) {
                load.four(4 * (i + k), xr[k], xi[k]);
            }
            transpose(xr[0], xr[1], xr[2], xr[3]);
            transpose(xi[0], xi[1], xi[2], xi[3]);
            vec yr[4], yi[4];
            radix4(xr[0], xi[0], xr[1], xi[1], xr[2], xi[2], xr[3], xi[3], load_vec(w0_re + i),
                   twiddle_sine<Inverse>(load_vec(w0_im + i)), load_vec(w1_re + i),
                   twiddle_sine<Inverse>(load_vec(w1_im + i)), load_vec(w1_re + i + b),
                   twiddle_sine<Inverse>(load_vec(w1_im + i + b)), yr, yi);
            for (int f = 0; f < 4; ++f) {
                store_vec(dr + i + f * quarter, yr[f]);
                store_vec(di + i + f * quarter, yi[f]);
            }
        }
        return;
    }

    // q >= 4: four consecutive j side by side, one per lane.
    for (int i = 0; i < b; ++i) {
        const vec w0r = broadcast(w0_re[i]);
        const vec w0i = broadcast(twiddle_sine<Inverse>(w0_im[i]));
        const vec w1r = broadcast(w1_re[i]);
        const vec w1i = broadcast(twiddle_sine<Inverse>(w1_im[i]));
        const vec w2r = broadcast(w1_re[i + b]);
        const vec w2i = broadcast(twiddle_sine<Inverse>(w1_im[i + b]));
        const int in = 2 * a * i;
        const int o = q * i;
        for (int j = 0; j < q; j += lanes) {
            vec x00r, x00i, x01r, x01i, x10r, x10i, x11r, x11i;
            load.four(in + j, x00r, x00i);
            load.four(in + q + j, x01r, x01i);
            load.four(in + a + j, x10r, x10i);
            load.four(in + a + q + j, x11r, x11i);
            vec yr[4], yi[4];
            radix4(x00r, x00i, x01r, x01i, x10r, x10i, x11r, x11i, w0r, w0i, w1r, w1i, w2r, w2i,
                   yr, yi);
            for (int f = 0; f < 4; ++f) {
                store_vec(dr + o + j + f * quarter, yr[f]);
                store_vec(di + o + j + f * quarter, yi[f]);
            }
        }
    }
}

// A whole transform of length n: the first sweep reads through first_load,
// the last one writes into final; spare takes every other intermediate
// result. The first sweep writes into final when the number of sweeps is
// odd, else into spare.
template <bool Inverse, class Load>
[[gnu::always_inline]] inline void transform(int n, const Load& first_load, split final_buffer,
                                             split spare)
{
    const int passes = std::countr_zero(static_cast<unsigned>(n));
    const bool odd = (passes % 2) != 0;
    const int sweeps = (passes + 1) / 2;
    auto destination = [&](int s) { return (sweeps - 1 - s) % 2 == 0 ? final_buffer : spare; };
    split src = destination(0);
    if (odd) {
        sweep_one<Inverse>(n, first_load, src);
    } else {
        sweep_two<Inverse>(n, 0, first_load, src);
    }
    for (int s = 1; s < sweeps; ++s) {
        const split dst = destination(s);
        sweep_two<Inverse>(n, odd ? 2 * s - 1 : 2 * s, load_split{src.re, src.im}, dst);
        src = dst;
    }
}

// Scaling by 1/n (equal to the reference's division for a power of two),
// the inverse weights, the rounding and the scattering into out. Returns
// the largest deviation; lanes keep independent maxima so that the loop
// vectorizes (the maximum of a set of non-negative numbers does not
// depend on the order they are met in).
[[gnu::always_inline]] inline double finish(int n, split v, double* __restrict out)
{
    const double scale = 1.0 / n;
    const contiguous_weights w = weights_of(n);
    const double* c = w.c;
    const double* s = w.s;
    vec lane_error = broadcast(0.0);
    auto round_entry = [&](int j, double vr, double vi, double& deviation) {
        const double re = std::floor(vr + 0.5);
        const double im = std::floor(vi + 0.5);
        const double d1 = std::fabs(re - vr);
        const double d2 = std::fabs(im - vi);
        deviation = d1 < d2 ? d2 : d1;
        out[j] = im;
        out[n + j] = re;
    };
    if (n < lanes) {
        double error = 0.0;
        for (int j = 0; j < n; ++j) {
            const double xr = v.re[j] * scale;
            const double xi = v.im[j] * scale;
            const double wc = c[j];
            const double ws = -s[j];
            double d;
            round_entry(j, wc * xr - ws * xi, wc * xi + ws * xr, d);
            error = max2(error, d);
        }
        return error;
    }
    const vec vscale = broadcast(scale);
    for (int j = 0; j < n; j += lanes) {
        const vec xr = load_vec(v.re + j) * vscale;
        const vec xi = load_vec(v.im + j) * vscale;
        const vec wc = load_vec(c + j);
        const vec ws = -load_vec(s + j);
        const vec vr = wc * xr - ws * xi;
        const vec vi = wc * xi + ws * xr;
        vec d;
        for (int k = 0; k < lanes; ++k) {
            double dk;
            round_entry(j + k, vr[k], vi[k], dk);
            d[k] = dk;
        }
        lane_error = lane_error < d ? d : lane_error;
    }
    double error = 0.0;
    for (int k = 0; k < lanes; ++k) {
        error = max2(error, lane_error[k]);
    }
    return error;
}

// Long transforms, in tiles (see the note at the top). A tile is 2^q rows
// of tile_columns entries: row r holds the entries whose bits s_p ..
// s_p+q-1 read r, s_p its highest bit; its columns are 32 consecutive J
// for one I (group tiles), or, in the last sweep where J has no bits left,
// 32 consecutive I (lane tiles, each lane with its own twiddles). The q
// passes run in place on the tile; afterwards row r belongs at output row
// reverse(r), since the outputs put s_p+q-1 highest.
constexpr int blocked_from = 1 << 12;
constexpr int max_block_passes = 6;
constexpr int tile_vectors = 8;
constexpr int tile_columns = tile_vectors * lanes;
constexpr int max_tile_rows = 1 << max_block_passes;
static_assert(blocked_from == 1 << 12 && max_block_passes == 6 && tile_columns == 32 &&
                  max_length <= 1 << 19,
              "the sweep plan below is worked out for these figures");

struct tile {
    vec re[max_tile_rows * tile_vectors];
    vec im[max_tile_rows * tile_vectors];
};

[[gnu::always_inline]] inline int reverse_bits(int v, int count)
{
    int r = 0;
    for (int k = 0; k < count; ++k) {
        r = (r << 1) | ((v >> k) & 1);
    }
    return r;
}

// Twiddle of pass p + k, group I + 2^p * g: one for the whole tile.
template <bool Inverse>
struct group_twiddles {
    int p;
    int group;  // I
    [[gnu::always_inline]] void get(int k, int g, int, vec& wr, vec& wi) const
    {
        const int index = (1 << (p + k)) + group + (g << p);
        wr = broadcast(twiddle_re[index]);
        wi = broadcast(twiddle_sine<Inverse>(twiddle_im[index]));
    }
};

// The same for the groups first .. first + 31, lane by lane (vector v holds
// groups first + 4v .. first + 4v + 3).
template <bool Inverse>
struct lane_twiddles {
    int p;
    int first;
    [[gnu::always_inline]] void get(int k, int g, int v, vec& wr, vec& wi) const
    {
        const int index = (1 << (p + k)) + first + lanes * v + (g << p);
        wr = load_vec(twiddle_re + index);
        wi = twiddle_sine<Inverse>(load_vec(twiddle_im + index));
    }
};

// The q passes of a block on one tile, two at a time (after a single one
// when q is odd), with the butterflies of radix4 above.
template <class Twiddles>
[[gnu::always_inline]] inline void tile_passes(tile& t, int q, const Twiddles& tw)
{
    constexpr int V = tile_vectors;
    int k = 0;
    if (q % 2 != 0) {
        const int half = 1 << (q - 1);
        vec wr[V], wi[V];
        for (int v = 0; v < V; ++v) {
            tw.get(0, 0, v, wr[v], wi[v]);
        }
        for (int r = 0; r < half; ++r) {
            for (int v = 0; v < V; ++v) {
                const int lo = r * V + v;
                const int hi = (r + half) * V + v;
                butterfly(t.re[lo], t.im[lo], t.re[hi], t.im[hi], wr[v], wi[v], t.re[lo],
                          t.im[lo], t.re[hi], t.im[hi]);
            }
        }
        k = 1;
    }
    for (; k < q; k += 2) {
        const int bit0 = 1 << (q - 1 - k);
        const int bit1 = bit0 >> 1;
        for (int top = 0; top < (1 << k); ++top) {
            const int g = reverse_bits(top, k);
            vec w0r[V], w0i[V], w1r[V], w1i[V], w2r[V], w2i[V];
            for (int v = 0; v < V; ++v) {
                tw.get(k, g, v, w0r[v], w0i[v]);
                tw.get(k + 1, g, v, w1r[v], w1i[v]);
                tw.get(k + 1, g + (1 << k), v, w2r[v], w2i[v]);
            }
            const int base = top << (q - k);
            for (int low = 0; low < bit1; ++low) {
                const int r00 = base + low;
                const int r01 = r00 + bit1;
                const int r10 = r00 + bit0;
                const int r11 = r10 + bit1;
                for (int v = 0; v < V; ++v) {
                    const int e00 = r00 * V + v;
                    const int e01 = r01 * V + v;
                    const int e10 = r10 * V + v;
                    const int e11 = r11 * V + v;
                    vec yr[4], yi[4];
                    radix4(t.re[e00], t.im[e00], t.re[e01], t.im[e01], t.re[e10], t.im[e10],
                           t.re[e11], t.im[e11], w0r[v], w0i[v], w1r[v], w1i[v], w2r[v], w2i[v],
                           yr, yi);
                    t.re[e00] = yr[0];
                    t.im[e00] = yi[0];
                    t.re[e10] = yr[1];
                    t.im[e10] = yi[1];
                    t.re[e01] = yr[2];
                    t.im[e01] = yi[2];
                    t.re[e11] = yr[3];
                    t.im[e11] = yi[3];
                }
            }
        }
    }
}

// Passes p .. p + q - 1 of a length-2^m transform in group tiles, in place:
// from load into dst at the same positions (a tile reads all its inputs
// before it writes). While a tile is read, the rows of the next one are
// fetched ahead: each row is a stream of its own, too many for the
// processor to foresee.
template <bool Inverse, class Load>
[[gnu::always_inline]] inline void sweep_groups(int m, int p, int q, const Load& load, split dst)
{
    constexpr int V = tile_vectors;
    const int span = 1 << (m - p - q);  // values of J
    const int rows = 1 << q;
    const int blocks = 1 << p;
    tile t;
    for (int block = 0; block < blocks; ++block) {
        const group_twiddles<Inverse> tw{p, reverse_bits(block, p)};
        const int base = block << (m - p);
        for (int j0 = 0; j0 < span; j0 += tile_columns) {
            const int ahead = base + j0 + tile_columns;  // the next tile's first row
            const bool fetch = block + 1 < blocks || j0 + tile_columns < span;
            for (int r = 0; r < rows; ++r) {
                if (fetch) {
                    const int row_ahead = j0 + tile_columns < span ? ahead + r * span
                                                                   : base + (1 << (m - p)) + r * span;
                    for (int c = 0; c < tile_columns; c += 8) {
                        load.prefetch(row_ahead + c);
                    }
                }
                for (int v = 0; v < V; ++v) {
                    load.four(base + r * span + j0 + lanes * v, t.re[r * V + v], t.im[r * V + v]);
                }
            }
            tile_passes(t, q, tw);
            for (int r = 0; r < rows; ++r) {
                const int at = base + r * span + j0;
                for (int v = 0; v < V; ++v) {
                    store_vec(dst.re + at + lanes * v, t.re[r * V + v]);
                    store_vec(dst.im + at + lanes * v, t.im[r * V + v]);
                }
            }
        }
    }
}

// Destinations of the last sweep: four entries at p .. p + 3.
struct store_split {
    split dst;
    [[gnu::always_inline]] void four(int p, vec re, vec im) const
    {
        store_vec(dst.re + p, re);
        store_vec(dst.im + p, im);
    }
};

// The end of the inverse transform, as finish above: scaling by 1/n, the
// inverse weights, the rounding into out and the largest deviation, kept
// lane by lane in *error.
template <class Weights>
struct store_rounded {
    double* out;
    int n;
    double scale;
    Weights weights;
    vec* error;
    [[gnu::always_inline]] void four(int p, vec re, vec im) const
    {
        const vec vscale = broadcast(scale);
        const vec xr = re * vscale;
        const vec xi = im * vscale;
        vec wc, ws;
        weights.four(p, wc, ws);
        ws = -ws;
        const vec vr = wc * xr - ws * xi;
        const vec vi = wc * xi + ws * xr;
        vec d;
        for (int k = 0; k < lanes; ++k) {
            const double rounded_re = std::floor(vr[k] + 0.5);
            const double rounded_im = std::floor(vi[k] + 0.5);
            const double d1 = std::fabs(rounded_re - vr[k]);
            const double d2 = std::fabs(rounded_im - vi[k]);
            d[k] = d1 < d2 ? d2 : d1;
            out[p + k] = rounded_im;
            out[n + p + k] = rounded_re;
        }
        *error = *error < d ? d : *error;
    }
};

// The last q passes of a length-2^m transform (J has no bits left) in lane
// tiles, from the in-place order into the natural one: the tile of groups
// first .. first + 31 reads their 2^q consecutive entries each (group I
// sits at block reverse(I)) and is turned into rows by 4 x 4 transposes;
// row r goes to the natural positions reverse(r) * 2^p + I. The blocks are
// read four at a time from start to end: the 32 blocks of a tile lie at a
// power-of-two stride, on the same cache sets, and reading all of them a
// few entries at a time keeps more of their lines in use than the sets
// hold.
template <bool Inverse, class Load, class Store>
[[gnu::always_inline]] inline void sweep_lanes(int m, int q, const Load& load, const Store& store)
{
    constexpr int V = tile_vectors;
    const int p = m - q;
    const int rows = 1 << q;
    const int out_stride = 1 << p;
    tile t;
    for (int first = 0; first < (1 << p); first += tile_columns) {
        int block[tile_columns];
        for (int c = 0; c < tile_columns; ++c) {
            block[c] = reverse_bits(first + c, p);
        }
        for (int v = 0; v < V; ++v) {
            for (int r = 0; r < rows; r += lanes) {
                vec xr[lanes], xi[lanes];
                for (int c = 0; c < lanes; ++c) {
                    load.four((block[lanes * v + c] << q) + r, xr[c], xi[c]);
                }
                transpose(xr[0], xr[1], xr[2], xr[3]);
                transpose(xi[0], xi[1], xi[2], xi[3]);
                for (int c = 0; c < lanes; ++c) {
                    t.re[(r + c) * V + v] = xr[c];
                    t.im[(r + c) * V + v] = xi[c];
                }
            }
        }
        tile_passes(t, q, lane_twiddles<Inverse>{p, first});
        for (int r = 0; r < rows; ++r) {
            const int at = reverse_bits(r, q) * out_stride + first;
            for (int v = 0; v < V; ++v) {
                store.four(at + lanes * v, t.re[r * V + v], t.im[r * V + v]);
            }
        }
    }
}

// How a long transform's m passes are cut into sweeps: as few as the tile
// allows, the longer ones last. The last sweep must leave a group sweep
// before it at least tile_columns values of J, and have at least
// tile_columns groups itself: with 2^12 <= n <= 2^19 and at most six passes
// a sweep, every sweep has four to six passes and the last one five or six.
struct sweep_plan {
    int count;
    int passes[8];
};

sweep_plan plan_sweeps(int m)
{
    sweep_plan plan{};
    plan.count = (m + max_block_passes - 1) / max_block_passes;
    for (int s = 0; s < plan.count; ++s) {
        plan.passes[s] = m / plan.count + (plan.count - 1 - s < m % plan.count ? 1 : 0);
    }
    return plan;
}

// A long forward transform of the real operand a, weighted: the first sweeps
// in place in scratch, the last one from there into final_buffer.
template <class Weights>
[[gnu::always_inline]] inline void forward_long(int n, const double* a, const Weights& weights,
                                                split scratch, split final_buffer)
{
    const int m = std::countr_zero(static_cast<unsigned>(n));
    const sweep_plan plan = plan_sweeps(m);
    sweep_groups<false>(m, 0, plan.passes[0], load_weighted_real<Weights>{a, weights}, scratch);
    int p = plan.passes[0];
    for (int s = 1; s < plan.count - 1; ++s) {
        sweep_groups<false>(m, p, plan.passes[s], load_split{scratch.re, scratch.im}, scratch);
        p += plan.passes[s];
    }
    sweep_lanes<false>(m, plan.passes[plan.count - 1], load_split{scratch.re, scratch.im},
                       store_split{final_buffer});
}

// A long inverse transform of the pointwise product of x and y, worked in
// scratch and rounded into out; returns the largest deviation. y may be out
// itself: the first sweep has read it all before the last one writes.
template <class Weights>
[[gnu::always_inline]] inline double inverse_long(int n, split x, split y, const Weights& weights,
                                                  split scratch, double* out)
{
    const int m = std::countr_zero(static_cast<unsigned>(n));
    const sweep_plan plan = plan_sweeps(m);
    sweep_groups<true>(m, 0, plan.passes[0], load_product{x.re, x.im, y.re, y.im}, scratch);
    int p = plan.passes[0];
    for (int s = 1; s < plan.count - 1; ++s) {
        sweep_groups<true>(m, p, plan.passes[s], load_split{scratch.re, scratch.im}, scratch);
        p += plan.passes[s];
    }
    vec lane_error = broadcast(0.0);
    sweep_lanes<true>(m, plan.passes[plan.count - 1], load_split{scratch.re, scratch.im},
                      store_rounded<Weights>{out, n, 1.0 / n, weights, &lane_error});
    double error = 0.0;
    for (int k = 0; k < lanes; ++k) {
        error = max2(error, lane_error[k]);
    }
    return error;
}

// An operand of a product: its elements, and the slot of the work area
// that holds its forward transform (fft_fast_no_slot: none, made here).
struct operand {
    const double* elements;
    int slot;
};

// Two operands with the same transform: the same array (a squaring) or the
// same kept transform.
bool same_transform(operand a, operand b)
{
    return a.elements == b.elements || (a.slot >= 0 && a.slot == b.slot);
}

double* aligned_start(double* work)
{
    const auto address = reinterpret_cast<std::uintptr_t>(work);
    return work + ((64 - address % 64) % 64) / sizeof(double);
}

// Kept transforms lie past what a product of length n uses of the work area:
// the 4n doubles of the long path, the 6n of the short one, counted from the
// work area's first cache-line boundary.
int kept_base(int n)
{
    return n >= blocked_from ? 4 * n : 6 * n;
}

split kept_split(double* work, int n, int slot)
{
    double* const start = aligned_start(work) + kept_base(n) + 2 * slot * n;
    return {start, start + n};
}

// Buffers of a long product: the first operand's transform X and the
// scratch S in work, moved to its first cache-line boundary (4n + 7 doubles
// of the 6n), and the second operand's transform in out, which receives the
// result only once the inverse's first sweep has read that transform. A
// kept transform is read from its slot instead.
template <class Weights>
[[gnu::always_inline]] inline double product_long(operand a, operand b, double* out, int n,
                                                  double* work, const Weights& weights)
{
    double* const aligned = aligned_start(work);
    const split scratch{aligned + 2 * n, aligned + 3 * n};
    split x{aligned, aligned + n};
    if (a.slot >= 0) {
        x = kept_split(work, n, a.slot);
    } else {
        forward_long(n, a.elements, weights, scratch, x);
    }
    if (same_transform(a, b)) {
        // A squaring's two transforms are the same numbers: make them once.
        return inverse_long(n, x, x, weights, scratch, out);
    }
    split y{out, out + n};
    if (b.slot >= 0) {
        y = kept_split(work, n, b.slot);
    } else {
        forward_long(n, b.elements, weights, scratch, y);
    }
    return inverse_long(n, x, y, weights, scratch, out);
}

// The product without its normalization. work: A (first operand's
// transform), B (second operand's) and T (spare), 2n doubles each; a kept
// transform is read from its slot instead of A or B.
[[gnu::always_inline]] inline double product_body(operand a, operand b, double* out, int n,
                                                  double* work)
{
    if (n >= blocked_from) {
        if (n == max_length) {
            return product_long(a, b, out, n, work, interleaved_weights{});
        }
        return product_long(a, b, out, n, work, contiguous_weight_reader{weights_of(n)});
    }
    const split first{work, work + n};
    const split second{work + 2 * n, work + 3 * n};
    const split spare{work + 4 * n, work + 5 * n};
    const contiguous_weights w = weights_of(n);

    const split x = a.slot >= 0 ? kept_split(work, n, a.slot) : first;
    if (a.slot < 0) {
        transform<false>(n, load_weighted_real_short{a.elements, w.c, w.s}, x, spare);
    }
    // A squaring's two transforms are the same numbers: make them once.
    split y = x;
    if (!same_transform(a, b)) {
        y = b.slot >= 0 ? kept_split(work, n, b.slot) : second;
        if (b.slot < 0) {
            transform<false>(n, load_weighted_real_short{b.elements, w.c, w.s}, y, spare);
        }
    }

    // The inverse's first sweep reads both transforms, so it must write into
    // the spare buffer; the first operand's buffer is free after it (or
    // unused, when that transform was kept).
    const int sweeps = (std::countr_zero(static_cast<unsigned>(n)) + 1) / 2;
    const split final_buffer = (sweeps - 1) % 2 == 0 ? spare : first;
    const split other = (sweeps - 1) % 2 == 0 ? first : spare;
    transform<true>(n, load_product{x.re, x.im, y.re, y.im}, final_buffer, other);
    return finish(n, final_buffer, out);
}

// The forward transform of a, kept in its slot.
[[gnu::always_inline]] inline void keep_body(const double* a, int n, int slot, double* work)
{
    const split kept = kept_split(work, n, slot);
    if (n >= blocked_from) {
        double* const aligned = aligned_start(work);
        const split scratch{aligned + 2 * n, aligned + 3 * n};
        if (n == max_length) {
            forward_long(n, a, interleaved_weights{}, scratch, kept);
        } else {
            forward_long(n, a, contiguous_weight_reader{weights_of(n)}, scratch, kept);
        }
        return;
    }
    const contiguous_weights w = weights_of(n);
    transform<false>(n, load_weighted_real_short{a, w.c, w.s}, kept, split{work + 4 * n, work + 5 * n});
}

// The product without its normalization, and the keeping of a transform,
// in each instruction set.
[[gnu::target("avx2")]] double product_avx2(operand a, operand b, double* out, int n, double* work)
{
    return product_body(a, b, out, n, work);
}

// The same four-lane code with the AVX-512 encoding: 32 vector registers
// instead of 16, which keeps a tile's twiddles and a radix-4 block's values
// out of memory. Only the register file and the encoding differ: the
// operations are the same IEEE ones, one instruction each (still no FMA).
[[gnu::target("avx2,avx512f,avx512vl")]] double product_avx512(operand a, operand b, double* out,
                                                               int n, double* work)
{
    return product_body(a, b, out, n, work);
}

double product_portable(operand a, operand b, double* out, int n, double* work)
{
    return product_body(a, b, out, n, work);
}

[[gnu::target("avx2")]] void keep_avx2(const double* a, int n, int slot, double* work)
{
    keep_body(a, n, slot, work);
}

[[gnu::target("avx2,avx512f,avx512vl")]] void keep_avx512(const double* a, int n, int slot,
                                                          double* work)
{
    keep_body(a, n, slot, work);
}

void keep_portable(const double* a, int n, int slot, double* work)
{
    keep_body(a, n, slot, work);
}

// The path a product takes: the one chosen, or the best the processor has,
// never one it lacks.
fft_fast_path path_in_use()
{
    const bool avx512 = fft_fast_avx512_available();
    const bool avx2 = fft_fast_avx2_available();
    switch (chosen_path) {
    case fft_fast_path::portable:
        return fft_fast_path::portable;
    case fft_fast_path::avx2:
        return avx2 ? fft_fast_path::avx2 : fft_fast_path::portable;
    case fft_fast_path::avx512:
    case fft_fast_path::automatic:
        break;
    }
    if (avx512) {
        return fft_fast_path::avx512;
    }
    return avx2 ? fft_fast_path::avx2 : fft_fast_path::portable;
}

// Whether the fast path runs at length n (builds the tables for n once).
bool fast_path_runs(int n)
{
    if (n > max_length) {
        return false;
    }
    static bool ready[max_passes + 1] = {};
    const int level = std::countr_zero(static_cast<unsigned>(n));
    if (!ready[level]) {
        build_tables(n);
        ready[level] = true;
    }
    return tables_symmetric;
}

// The transforms on the path in use, then the normalization, which picks
// its own instruction set.
double unnormalized_product(operand a, operand b, double* out, int n, double* work)
{
    switch (path_in_use()) {
    case fft_fast_path::avx512:
        return product_avx512(a, b, out, n, work);
    case fft_fast_path::avx2:
        return product_avx2(a, b, out, n, work);
    case fft_fast_path::portable:
    case fft_fast_path::automatic:
        break;
    }
    return product_portable(a, b, out, n, work);
}

double product(operand a, operand b, double* out, int n, double* work)
{
    const double error = unnormalized_product(a, b, out, n, work);
    fft_fast_normalize(out, 2 * n);
    return error;
}

}  // namespace

int fft_fast_max_length()
{
    return max_length;
}

void set_fft_fast_path(fft_fast_path path)
{
    chosen_path = path;
}

bool fft_fast_avx2_available()
{
    static const bool available = __builtin_cpu_supports("avx2");
    return available;
}

bool fft_fast_avx512_available()
{
    static const bool available = __builtin_cpu_supports("avx2") &&
                                  __builtin_cpu_supports("avx512f") &&
                                  __builtin_cpu_supports("avx512vl");
    return available;
}

bool fft_fast_tables_usable(int n)
{
    return fast_path_runs(n);
}

double mul_elements_fft_fast(const double* a, const double* b, double* out, int n, double* work)
{
    if (!fast_path_runs(n)) {
        return mul_elements_fft_reference(a, b, out, n, work);
    }
    return product({a, fft_fast_no_slot}, {b, fft_fast_no_slot}, out, n, work);
}

int fft_fast_kept_slots(int n)
{
    constexpr int work_doubles = 6 * array_elements;
    constexpr int alignment_doubles = 7;
    return (work_doubles - alignment_doubles - kept_base(n)) / (2 * n);
}

void fft_fast_keep_transform(const double* a, int n, int slot, double* work)
{
    if (!fast_path_runs(n)) {
        return;
    }
    switch (path_in_use()) {
    case fft_fast_path::avx512:
        keep_avx512(a, n, slot, work);
        return;
    case fft_fast_path::avx2:
        keep_avx2(a, n, slot, work);
        return;
    case fft_fast_path::portable:
    case fft_fast_path::automatic:
        break;
    }
    keep_portable(a, n, slot, work);
}

double mul_elements_fft_fast_kept(const double* a, int a_slot, const double* b, int b_slot,
                                  double* out, int n, double* work)
{
    if (!fast_path_runs(n)) {
        return mul_elements_fft_reference(a, b, out, n, work);
    }
    return product({a, a_slot}, {b, b_slot}, out, n, work);
}

void fft_fast_weight(int n, int j, double* c, double* s)
{
    build_tables(n);
    if (n == max_length) {
        const int at = j % 2 == 0 ? max_length / 2 + j / 2 : j / 2;
        *c = long_weight_re[at];
        *s = long_weight_im[at];
        return;
    }
    const contiguous_weights w = weights_of(n);
    *c = w.c[j];
    *s = w.s[j];
}

void fft_fast_twiddle(int b, int i, double* c, double* s)
{
    build_twiddles(b);
    *c = twiddle_re[b + i];
    *s = twiddle_im[b + i];
}
