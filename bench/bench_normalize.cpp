// Time of one carry normalization per element, at element counts from 2^10
// to 2^20, on random product-like coefficients (whole numbers below 10^10
// in magnitude, the size of a long product's outputs before their carries)
// at R = 100000 in both digit forms: normalize_elements (the default
// build's fast routine) and normalize_elements_reference side by side, and
// their ratio. Each call normalizes a fresh copy of the next window of a
// pool of 2^22 coefficients (so that no branch predictor can learn the
// input by heart); only the call is timed, and calls are repeated until
// each side has run for a fifth of a second (at least three times); the
// fastest call gives the time. The two results are compared bit for bit.
//
//     build/bench/bench_normalize [longest]
#include "bignum/long_number.hpp"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

namespace {

using clock_type = std::chrono::steady_clock;
using normalize_function = void (*)(double*, int);

constexpr double least_seconds = 0.2;
constexpr int least_calls = 3;
constexpr double coefficient_limit = 1e10;
constexpr int pool_size = 1 << 22;

// Nanoseconds per element of the fastest call on count elements; count
// divides pool_size.
double time_normalize(normalize_function normalize, const std::vector<double>& pool, int count,
                      std::vector<double>& work)
{
    int calls = 0;
    double total = 0.0;
    double fastest = 0.0;
    while (calls < least_calls || total < least_seconds) {
        const std::size_t offset = (static_cast<std::size_t>(calls) * count) % pool.size();
        std::memcpy(work.data(), pool.data() + offset, sizeof(double) * count);
        const clock_type::time_point start = clock_type::now();
        normalize(work.data(), count);
        const double seconds = std::chrono::duration<double>(clock_type::now() - start).count();
        fastest = calls == 0 || seconds < fastest ? seconds : fastest;
        total += seconds;
        ++calls;
    }
    return 1e9 * fastest / count;
}

}  // namespace

int main(int argc, char** argv)
{
    const int longest = argc > 1 ? std::atoi(argv[1]) : (1 << 20);
    element_radix = 100000.0;
    std::mt19937_64 generator(20240611);
    std::uniform_int_distribution<long long> pick(-static_cast<long long>(coefficient_limit),
                                                  static_cast<long long>(coefficient_limit));

    std::vector<double> pool(pool_size);
    for (double& v : pool) {
        v = static_cast<double>(pick(generator));
    }
    std::vector<double> fast_out(pool_size);
    std::vector<double> reference_out(pool_size);

    std::printf("%6s %9s %12s %16s %8s %s\n", "form", "count", "fast (ns)", "reference (ns)",
                "ratio", "results");
    for (const int mode : {-1, 1}) {
        digit_mode = mode;
        for (int count = 1 << 10; count <= longest && count <= pool_size; count *= 2) {
            const double fast = time_normalize(normalize_elements, pool, count, fast_out);
            const double reference =
                time_normalize(normalize_elements_reference, pool, count, reference_out);
            // One window again, on both sides, untimed.
            const auto size = static_cast<std::size_t>(count);
            std::memcpy(fast_out.data(), pool.data(), sizeof(double) * size);
            std::memcpy(reference_out.data(), pool.data(), sizeof(double) * size);
            normalize_elements(fast_out.data(), count);
            normalize_elements_reference(reference_out.data(), count);
            const bool same =
                std::memcmp(fast_out.data(), reference_out.data(), sizeof(double) * size) == 0;
            std::printf("%6s %9d %12.3f %16.3f %8.2f %s\n", mode < 0 ? "bal" : "std", count, fast,
                        reference, reference / fast, same ? "identical" : "DIFFERENT");
            std::fflush(stdout);
        }
    }
    return 0;
}
