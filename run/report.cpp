#include "run/report.hpp"

#include "bignum/long_number.hpp"
#include "run/clock.hpp"
#include "run/error_stop.hpp"
#include "run/setup.hpp"

#include <cstdio>
#include <cstring>

namespace {

constexpr int digits_a_line = 60;
constexpr int min_exponent_digits = 3;

}  // namespace

void format_scientific(double value, char* text, std::size_t size)
{
    char plain[64];
    std::snprintf(plain, sizeof plain, "%e", value);
    const char* e = std::strchr(plain, 'e');
    if (e == nullptr || (e[1] != '+' && e[1] != '-')) {
        std::snprintf(text, size, "%s", plain);  // inf or nan
        return;
    }
    const int exponent_digits = static_cast<int>(std::strlen(e + 2));
    const int padding = exponent_digits < min_exponent_digits ? min_exponent_digits - exponent_digits : 0;
    std::snprintf(text, size, "%.*s%.*s%s", static_cast<int>(e + 2 - plain), plain, padding, "000", e + 2);
}

void print_element_digits(int value, int digits_per_element, int base, int digit_offset)
{
    char digits[32];
    for (int p = digits_per_element - 1; p >= 0; --p) {
        const int q = value / base;
        const int d = value - q * base;
        digits[p] = digit_chars[d + digit_offset];
        value = q;
    }
    std::fwrite(digits, 1, static_cast<std::size_t>(digits_per_element), report_file);
}

void write_report(double* sum, int element_count, int digits_per_element, int base, int digit_offset,
                  int t0, double rounding_error)
{
    digit_mode = 1;
    normalize_elements(sum + 1, element_count + 3);

    const double seconds = (clock_ms() - t0) / 1000.0;
    char error_text[64];
    format_scientific(rounding_error, error_text, sizeof error_text);
    std::printf("  Total Time= %f (s)  Rounding Error= %s \n", seconds, error_text);
    std::fprintf(report_file, "  Total Time= %f (s)  Rounding Error= %s \n", seconds, error_text);
    std::fprintf(report_file, "  Pi = 3.");

    const int elements_a_line = digits_a_line / digits_per_element;
    for (int i = 1; i <= element_count; i += elements_a_line) {
        const int count = min_int(elements_a_line, element_count - i + 1);
        std::fprintf(report_file, "\n %6d ", (i - 1) * digits_per_element + 1);
        for (int j = 1; j <= count; ++j) {
            print_element_digits(static_cast<int>(sum[i + j]), digits_per_element, base, digit_offset);
        }
    }
}

void close_report()
{
    const bool flushed = std::fflush(report_file) == 0 && std::ferror(report_file) == 0;
    const bool closed = std::fclose(report_file) == 0;
    report_file = nullptr;
    if (!flushed || !closed) {
        char message[64];
        std::snprintf(message, sizeof message, "cannot write the report file %s", report_file_name);
        error_stop(message);
    }
}
