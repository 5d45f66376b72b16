#include "bignum/fft_fast.hpp"

#include "bignum/fft_multiply.hpp"
#include "bignum/long_number.hpp"

#include <bit>
#include <cmath>
#include <cstdint>

// The reference transform, pass by pass (fft_transform.cpp): pass t of a
// length-n transform runs with a = n/2^(t+1) and b = 2^t. Butterfly (i, j),
// i < b, j < a, takes its lower member from entry 2a*i + j and its upper
// member from entry 2a*i + j + a, multiplies the lower one by the twiddle
// of group i and writes the difference to entry a*i + j and the sum to
// entry a*i + j + n/2. Two passes t and t + 1 taken together therefore
// read, for each i < b and j < a/2, the four entries 2a*i + j + {0, a/2,
// a, 3a/2} and write the four entries (a/2)*i + j + {0, 1, 2, 3} * n/4,
// with pass t using the twiddle of group i and pass t + 1 those of groups
// i and i + b. The sweeps below do exactly that, four butterflies per
// block, in the reference's order of operations within each butterfly.
//
// Twiddle of group i in a pass of b groups: the reference's table entry
// a*(i + 1) - 1 of a length-n transform, angle (a*(b - 1 - i)) * (pi/(n/2)).
// Since pi/(n/2) = (pi/b)/a exactly, that angle is the same double as
// (b - 1 - i) * (pi/b), whatever the length: one table per group count b
// serves every length.

namespace {

constexpr int max_length = static_cast<int>(std::bit_floor(static_cast<unsigned>(ND)));
constexpr int max_passes = std::countr_zero(static_cast<unsigned>(max_length));

// Twiddles of the passes of b groups (b = 1, 2, 4, ..., max_length/2) at
// offset b - 1: entry i = (cos, sin) of (b - 1 - i) * s, s = 4 atan(1)/b.
// 2^18 entries, 4 MB.
double twiddle_re[max_length];
double twiddle_im[max_length];
// Weights of length n (n = 2, 4, ..., max_length) at offset n - 2: entry j
// = (cos, sin) of (n - 1 - j) * u, u = 2 atan(1)/n. 2^19 entries, 8 MB.
double weight_re[2 * max_length];
double weight_im[2 * max_length];

int twiddles_built_to = 0;  // every b <= this one is in the table
bool weights_built[max_passes + 1] = {};
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

void build_tables(int n)
{
    for (int b = twiddles_built_to == 0 ? 1 : 2 * twiddles_built_to; b <= n / 2; b *= 2) {
        const double s = 4.0 * std::atan(1.0) / b;
        for (int i = 0; i < b; ++i) {
            fill_entry(twiddle_re + (b - 1) + i, twiddle_im + (b - 1) + i, b - 1 - i, s);
        }
        twiddles_built_to = b;
    }
    const int log_n = std::countr_zero(static_cast<unsigned>(n));
    if (!weights_built[log_n]) {
        const double u = 2.0 * std::atan(1.0) / n;
        for (int j = 0; j < n; ++j) {
            fill_entry(weight_re + (n - 2) + j, weight_im + (n - 2) + j, n - 1 - j, u);
        }
        weights_built[log_n] = true;
    }
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
struct load_weighted_real {
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
    const double wr = twiddle_re[0];
    const double wi = twiddle_sine<Inverse>(twiddle_im[0]);
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
    const double* w0_re = twiddle_re + (b - 1);
    const double* w0_im = twiddle_im + (b - 1);
    const double* w1_re = twiddle_re + (2 * b - 1);
    const double* w1_im = twiddle_im + (2 * b - 1);
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
    const double* c = weight_re + (n - 2);
    const double* s = weight_im + (n - 2);
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

// The product without its normalization. work: A (first operand's
// transform), B (second operand's) and T (spare), 2n doubles each.
[[gnu::always_inline]] inline double product_body(const double* a, const double* b, double* out,
                                                  int n, double* work)
{
    const split x{work, work + n};
    const split y{work + 2 * n, work + 3 * n};
    const split spare{work + 4 * n, work + 5 * n};
    const double* c = weight_re + (n - 2);
    const double* s = weight_im + (n - 2);

    transform<false>(n, load_weighted_real{a, c, s}, x, spare);
    // A squaring's two transforms are the same numbers: make them once.
    const split yt = a == b ? x : y;
    if (a != b) {
        transform<false>(n, load_weighted_real{b, c, s}, y, spare);
    }

    // The inverse's first sweep reads both transforms, so it must write into
    // the spare buffer; the first operand's buffer is free after it.
    const int sweeps = (std::countr_zero(static_cast<unsigned>(n)) + 1) / 2;
    const split final_buffer = (sweeps - 1) % 2 == 0 ? spare : x;
    const split other = (sweeps - 1) % 2 == 0 ? x : spare;
    transform<true>(n, load_product{x.re, x.im, yt.re, yt.im}, final_buffer, other);
    return finish(n, final_buffer, out);
}

// The whole product, normalization included, in each instruction set.
[[gnu::target("avx2")]] double product_avx2(const double* a, const double* b, double* out, int n,
                                            double* work)
{
    const double error = product_body(a, b, out, n, work);
    normalize_product(out, 2 * n);
    return error;
}

double product_portable(const double* a, const double* b, double* out, int n, double* work)
{
    const double error = product_body(a, b, out, n, work);
    normalize_product(out, 2 * n);
    return error;
}

bool use_avx2()
{
    switch (chosen_path) {
    case fft_fast_path::portable:
        return false;
    case fft_fast_path::avx2:
    case fft_fast_path::automatic:
        break;
    }
    return fft_fast_avx2_available();
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

bool fft_fast_tables_usable(int n)
{
    if (n > max_length) {
        return false;
    }
    build_tables(n);
    return tables_symmetric;
}

double mul_elements_fft_fast(const double* a, const double* b, double* out, int n, double* work)
{
    if (n > max_length) {
        return mul_elements_fft_reference(a, b, out, n, work);
    }
    build_tables(n);
    if (!tables_symmetric) {
        return mul_elements_fft_reference(a, b, out, n, work);
    }
    return use_avx2() ? product_avx2(a, b, out, n, work) : product_portable(a, b, out, n, work);
}
