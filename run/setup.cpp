#include "run/setup.hpp"

#include "bignum/long_number.hpp"
#include "run/console_input.hpp"
#include "run/error_stop.hpp"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

const MethodFamily method_families[method_family_count] = {
    {"Atan Original", 5, " Type In ID, (ID=1,2,3,4,5) ",
     " 1;Machin, 2;Gauss, 3;Klingen., 4;Stoemer, 5;Takano", "AtanORG?.txt"},
    {"AGM Gauss-Legendre", 1, " Type In ID, (ID=1)         ",
     " 1;Gauss-Legendre (Now Only)                       ", "AGM-2nd?.txt"},
    {"DRM with Atan", 5, " Type In ID, (ID=1,2,3,4,5) ",
     " 1;Machin, 2;Gauss, 3;Klingen., 4;Stoemer, 5;Takano", "AtanDRM?.txt"},
    {"DRM with Ramanujan", 3, " Type In ID, (ID=1,2,3)     ",
     " 1;Chudnovsky, 2;Fast-Ramanujan 3;Free-Sqrt        ", "RamnDRM?.txt"},
};

char report_file_name[16];

namespace {

// The smallest working length the arctangent runs with: below it a step
// holds fewer than two terms.
constexpr int min_fmt_size = 8;

// Reads one answer; text that is not an integer, or the end of the input,
// stops the run. The value may lie just outside the 32-bit range (see
// read_answer), where the dialogue's range rules replace or refuse it.
long long ask(const char* what)
{
    long long value = 0;
    const AnswerStatus status = read_answer(&value);
    if (status == AnswerStatus::ok) {
        return value;
    }
    char message[96];
    if (status == AnswerStatus::not_an_integer) {
        std::snprintf(message, sizeof message, "the answer for %s is not an integer", what);
    } else {
        std::snprintf(message, sizeof message, "end of input before the answer for %s", what);
    }
    error_stop(message);
}

}  // namespace

int setup_run(int method_family, int nd, int* fmt_size, int* element_count, int* digit_count,
              int* digits_per_element, int* base, int* digit_offset)
{
    std::printf(" Type In Base Value ( from 3 to 62 ) \n");
    const long long base_answer = ask("the base");

    std::printf(" Type In 0 or 1 (0; 0 start, 1; a start) \n");
    const int choice = ask("the alphabet") != 0 ? 1 : 0;
    const int offset = 10 * choice;

    const int b = base_answer < 3 || base_answer > 62 - offset ? 26 : static_cast<int>(base_answer);

    const int r = static_cast<int>(5.7 / (std::log(static_cast<double>(b)) / std::log(10.0)));
    element_radix = int_power(b, r);
    digit_mode = -1;

    if (method_family < 0 || method_family >= method_family_count) {
        method_family = 0;
    }
    const MethodFamily& family = method_families[method_family];

    std::printf("%s \n", family.id_prompt);
    std::printf("%s \n", family.menu_line);
    const long long id_answer = ask("the ID");
    const int id = id_answer <= 0 || id_answer > family.id_count ? 1 : static_cast<int>(id_answer);

    std::snprintf(report_file_name, sizeof report_file_name, "%s", family.file_template);
    report_file_name[file_template_id_position] = static_cast<char>('0' + id);
    report_file = std::fopen(report_file_name, "w");
    if (report_file == nullptr) {
        char message[64];
        std::snprintf(message, sizeof message, "cannot create the report file %s", report_file_name);
        error_stop(message);
    }

    std::printf(" Type In N (N=Number of Pi %d-Base) \n", b);
    const long long requested = ask("N");
    if (requested > INT_MAX || requested < INT_MIN) {
        // An answer beyond the 32-bit range is far too large for the arrays.
        error_stop("N > ND");
    }
    if (requested <= 0) {
        error_stop("N must be at least 1");
    }

    // Formed in 64 bits: N + r - 1 and L * r may pass the 32-bit range.
    const long long l = (requested + r - 1) / r;
    const long long n_digits = l * r;
    const int count = static_cast<int>(l);
    int size = int_power(2, floor_log2(count)) * 2;
    if (size < min_fmt_size) {
        size = min_fmt_size;
    }

    std::printf(" ** Pi Computation by %s \n", family.title);
    std::fprintf(report_file, " ** Pi Computation by %s ** \n", family.title);
    std::printf("  ID=%d,  Pi Decimal=%lld,  FMT Size=%d\n", id, n_digits, size);
    std::fprintf(report_file, "  ID=%d,  Pi Decimal=%lld,  FMT Size=%d\n", id, n_digits, size);
    std::printf("  Base=%d,  Digit-Number of a Elements=%d \n", b, r);
    std::fprintf(report_file, "  Base=%d,  Digit-Number of a Elements=%d \n", b, r);

    const int formula_index = id - 1;
    if (size > nd) {
        error_stop("N > ND");
    }

    *fmt_size = size;
    *element_count = count;
    *digit_count = static_cast<int>(n_digits);
    *digits_per_element = r;
    *base = b;
    *digit_offset = offset;
    return formula_index;
}
