// Time of one product at every power-of-two length from 4 to 2^19, on
// random balanced operands at R = 100000, with the program's own static
// arrays as output and scratch: the fast product (mul_elements_fft_fast)
// and the reference (mul_elements_fft_reference) side by side, and their
// ratio. Products are timed in batches of about 2^16 / n (one product from
// 2^16 on), and batches are repeated until each length has run for a
// quarter of a second on each side (the reference at least three times);
// the fastest batch gives the time of one product, in microseconds. The two
// results are compared bit for bit.
//
//     build/bench/bench_fft [longest]
#include "bignum/fft_fast.hpp"
#include "bignum/fft_multiply.hpp"
#include "bignum/long_number.hpp"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

namespace {

using clock_type = std::chrono::steady_clock;
using product_function = double (*)(const double*, const double*, double*, int, double*);

constexpr double least_seconds = 0.25;
constexpr int least_batches = 3;

std::vector<double> random_balanced(int count, double radix, std::mt19937_64& generator)
{
    const long long half = static_cast<long long>(radix) / 2;
    std::uniform_int_distribution<long long> pick(-half, half);
    std::vector<double> out(static_cast<std::size_t>(count));
    for (double& v : out) {
        v = static_cast<double>(pick(generator));
    }
    return out;
}

// Microseconds of one product, from the fastest batch.
double time_product(product_function product, const double* a, const double* b, double* out,
                    int n, double& error)
{
    error = product(a, b, out, n, fft_work);  // warm-up, builds the tables
    const int batch = n < (1 << 16) ? (1 << 16) / n : 1;
    int batches = 0;
    double total = 0.0;
    double fastest = 0.0;
    while (batches < least_batches || total < least_seconds) {
        const clock_type::time_point start = clock_type::now();
        for (int i = 0; i < batch; ++i) {
            error = max2(error, product(a, b, out, n, fft_work));
        }
        const double seconds = std::chrono::duration<double>(clock_type::now() - start).count();
        fastest = batches == 0 || seconds < fastest ? seconds : fastest;
        total += seconds;
        ++batches;
    }
    return 1e6 * fastest / batch;
}

}  // namespace

int main(int argc, char** argv)
{
    const int longest = argc > 1 ? std::atoi(argv[1]) : fft_fast_max_length();
    element_radix = 100000.0;
    digit_mode = -1;
    std::mt19937_64 generator(20240601);
    std::vector<double> fast_out(2 * static_cast<std::size_t>(fft_fast_max_length()));

    std::printf("%8s %14s %16s %8s %14s %s\n", "n", "fast (us)", "reference (us)", "ratio",
                "error", "results");
    for (int n = 4; n <= longest; n *= 2) {
        const std::vector<double> a = random_balanced(n, element_radix, generator);
        const std::vector<double> b = random_balanced(n, element_radix, generator);
        double fast_error = 0.0;
        double reference_error = 0.0;
        const double fast = time_product(mul_elements_fft_fast, a.data(), b.data(),
                                         fast_out.data(), n, fast_error);
        const double reference = time_product(mul_elements_fft_reference, a.data(), b.data(),
                                              work_u, n, reference_error);
        const bool same = std::memcmp(fast_out.data(), work_u, sizeof(double) * 2 * n) == 0 &&
                          std::memcmp(&fast_error, &reference_error, sizeof fast_error) == 0;
        std::printf("%8d %14.3f %16.3f %8.2f %14.6e %s\n", n, fast, reference, reference / fast,
                    fast_error, same ? "identical" : "DIFFERENT");
        std::fflush(stdout);
    }
    return 0;
}
