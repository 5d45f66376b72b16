#include "run/clock.hpp"

#include <chrono>

namespace {

const std::chrono::steady_clock::time_point program_start = std::chrono::steady_clock::now();

}  // namespace

int clock_ms()
{
    const auto elapsed = std::chrono::steady_clock::now() - program_start;
    return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}
