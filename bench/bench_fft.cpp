// Time of one mul_elements_fft at every power-of-two length from 4 to 2^18,
// on random balanced operands at R = 100000, with the program's own static
// arrays as output and scratch. Products are timed in batches of about
// 2^16 / n (one product from 2^16 on), and batches are repeated until each
// length has run for a quarter of a second; the mean product and the
// product of the fastest batch are printed in microseconds.
//
//     build/bench/bench_fft
#include "bignum/fft_multiply.hpp"
#include "bignum/long_number.hpp"

#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

namespace {

using clock_type = std::chrono::steady_clock;

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

}  // namespace

int main()
{
    element_radix = 100000.0;
    digit_mode = -1;
    std::mt19937_64 generator(20240601);

    std::printf("%8s %12s %16s %16s %14s\n", "n", "products", "mean (us)", "fastest (us)", "error");
    for (int n = 4; n <= (1 << 18); n *= 2) {
        const std::vector<double> a = random_balanced(n, element_radix, generator);
        const std::vector<double> b = random_balanced(n, element_radix, generator);
        double error = mul_elements_fft(a.data(), b.data(), work_u, n, fft_work);  // warm-up

        const int batch = n < (1 << 16) ? (1 << 16) / n : 1;
        int batches = 0;
        double total = 0.0;
        double fastest = 0.0;
        while (batches < least_batches || total < least_seconds) {
            const clock_type::time_point start = clock_type::now();
            for (int i = 0; i < batch; ++i) {
                error = max2(error, mul_elements_fft(a.data(), b.data(), work_u, n, fft_work));
            }
            const double seconds = std::chrono::duration<double>(clock_type::now() - start).count();
            fastest = batches == 0 || seconds < fastest ? seconds : fastest;
            total += seconds;
            ++batches;
        }
        const long long products = static_cast<long long>(batches) * batch;
        std::printf("%8d %12lld %16.3f %16.3f %14.6e\n", n, products, 1e6 * total / static_cast<double>(products),
                    1e6 * fastest / batch, error);
        std::fflush(stdout);
    }
    return 0;
}
