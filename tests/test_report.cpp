// The result report: the scientific format, the digits of one element, and
// end-to-end the totals line, the listing layout and a report that cannot
// be written.
#include "bignum/long_number.hpp"
#include "run/report.hpp"
#include "support/listing.hpp"
#include "support/run_program.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

std::string answers(int base, int alphabet, int id, int n)
{
    return std::to_string(base) + "\n" + std::to_string(alphabet) + "\n" + std::to_string(id) + "\n" +
           std::to_string(n) + "\n";
}

// "  Total Time= %f (s)  Rounding Error= %e \n" with six decimals, a
// three-digit exponent, a time >= 0 and an error in [0, 0.5).
testing::AssertionResult is_totals_line(const std::string& line)
{
    static const std::regex shape(
        R"(  Total Time= (\d+\.\d{6}) \(s\)  Rounding Error= ([1-9]\.\d{6}e[+-]\d{3}|0\.000000e\+000) \n)");
    std::smatch parts;
    if (!std::regex_match(line, parts, shape)) {
        return testing::AssertionFailure() << "not a totals line: " << visible(line);
    }
    const double seconds = std::strtod(parts[1].str().c_str(), nullptr);
    const double error = std::strtod(parts[2].str().c_str(), nullptr);
    if (!(seconds >= 0.0) || !(error >= 0.0 && error < 0.5)) {
        return testing::AssertionFailure() << "figures out of range: " << visible(line);
    }
    return testing::AssertionSuccess();
}

// The line of `text` that begins with `start`, line end included.
std::string line_starting(const std::string& text, const std::string& start)
{
    const std::size_t at = text.find(start);
    if (at == std::string::npos) {
        return {};
    }
    const std::size_t end = text.find('\n', at);
    return text.substr(at, end == std::string::npos ? std::string::npos : end + 1 - at);
}

std::string from_listing(const std::string& report)
{
    const std::size_t at = report.find("  Pi = 3.");
    return at == std::string::npos ? std::string() : report.substr(at);
}

TEST(FormatScientific, ThreeExponentDigitsAtLeast)
{
    const struct {
        double value;
        const char* want;
    } cases[] = {
        {std::ldexp(1.0, -13), "1.220703e-004"},
        {0.0, "0.000000e+000"},
        {0.5, "5.000000e-001"},
        {1e-300, "1.000000e-300"},
        {123456.0, "1.234560e+005"},
    };
    for (const auto& c : cases) {
        char text[64];
        format_scientific(c.value, text, sizeof text);
        EXPECT_EQ(std::string(text), c.want) << "value " << c.value;
    }
}

// print_element_digits writes to report_file; a temporary file stands in
// for it and is read back.
std::string element_digits(int value, int r, int base, int digit_offset)
{
    std::FILE* saved = report_file;
    report_file = std::tmpfile();
    print_element_digits(value, r, base, digit_offset);
    std::fflush(report_file);
    std::rewind(report_file);
    std::string out;
    for (int ch = std::fgetc(report_file); ch != EOF; ch = std::fgetc(report_file)) {
        out += static_cast<char>(ch);
    }
    std::fclose(report_file);
    report_file = saved;
    return out;
}

TEST(PrintElementDigits, AllDigitsMostSignificantFirst)
{
    const struct {
        int value;
        int r;
        int base;
        int digit_offset;
        const char* want;
    } cases[] = {
        {0, 5, 10, 0, "00000"},
        {0, 5, 10, 10, "aaaaa"},
        {14159, 5, 10, 0, "14159"},
        {10 * 62 * 62 + 35 * 62 + 36, 3, 62, 0, "azA"},  // digit values 10, 35, 36
        {47 * 62 + 61, 3, 62, 0, "0LZ"},                  // 47, 61
        {7, 3, 62, 0, "007"},
        {238327, 3, 62, 0, "ZZZ"},                        // R - 1 at base 62
        {(2 * 16 + 4) * 16 + 15, 4, 16, 10, "acep"},      // 0, 2, 4, 15 with "a start"
        {51 * 52 * 52 + 26, 3, 52, 10, "ZaA"},            // 51, 0, 26 with "a start"
        {177146, 11, 3, 0, "22222222222"},                // R - 1 at base 3
        {1, 11, 3, 10, "aaaaaaaaaab"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(visible(element_digits(c.value, c.r, c.base, c.digit_offset)), visible(c.want))
            << "value " << c.value << ", r " << c.r << ", base " << c.base << ", offset " << c.digit_offset;
    }
}

TEST(ReportFile, WorkedReportOfBase10With128Digits)
{
    const ProgramRun run = run_pi_drm(answers(10, 0, 1, 128));
    ASSERT_EQ(run.exit_status, 0) << visible(run.console);
    const std::string report = read_file(run.folder + "/AtanDRM1.txt");

    const std::string totals = line_starting(report, "  Total Time=");
    EXPECT_TRUE(is_totals_line(totals));
    const std::string want =
        " ** Pi Computation by DRM with Atan ** \n"
        "  ID=1,  Pi Decimal=130,  FMT Size=32\n"
        "  Base=10,  Digit-Number of a Elements=5 \n" +
        totals +
        "  Pi = 3.\n"
        "      1 141592653589793238462643383279502884197169399375105820974944\n"
        "     61 592307816406286208998628034825342117067982148086513282306647\n"
        "    121 0938446095";
    EXPECT_EQ(visible(report), visible(want));

    // The console gets the very same totals line as its last line, and no
    // digit of the listing.
    ASSERT_GE(run.console.size(), totals.size());
    EXPECT_EQ(visible(run.console.substr(run.console.size() - totals.size())), visible(totals));
    EXPECT_EQ(run.console.find("Pi = 3."), std::string::npos) << visible(run.console);
    EXPECT_EQ(run.console.find("1415926535"), std::string::npos) << visible(run.console);
    remove_folder(run.folder);
}

// Listings given digit for digit; each ends the file with its last digit.
TEST(ReportFile, ListingsGivenInFull)
{
    const struct {
        const char* name;
        int base;
        int alphabet;
        int n;
        const char* want;
    } cases[] = {
        {"base 16, a start, 40 digits", 16, 1, 40,
         "  Pi = 3.\n"
         "      1 cedpgkiiifkdaindbdbjikcoadhahdeekeajdicc"},
        {"base 3, 120 digits (121 printed)", 3, 0, 120,
         "  Pi = 3.\n"
         "      1 0102110122220102110021111102212222201112012121212001211\n"
         "     56 0010010122202221201201211121012101120022012021000010102\n"
         "    111 20100201111"},
        {"base 10, L = 24: two full lines and nothing after", 10, 0, 120,
         "  Pi = 3.\n"
         "      1 141592653589793238462643383279502884197169399375105820974944\n"
         "     61 592307816406286208998628034825342117067982148086513282306647"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ProgramRun run = run_pi_drm(answers(c.base, c.alphabet, 1, c.n));
        EXPECT_EQ(run.exit_status, 0) << visible(run.console);
        EXPECT_EQ(visible(from_listing(read_file(run.folder + "/AtanDRM1.txt"))), visible(c.want));
        remove_folder(run.folder);
    }
}

// The line geometry of every digits-per-element value: elements a line,
// the index of each line's first digit, the digits in all.
TEST(ReportFile, LineGeometryOfEveryElementWidth)
{
    const struct {
        int base;
        int n;
        int digits_a_line;
        int digits_printed;
        std::vector<int> heads;
    } cases[] = {
        {3, 120, 55, 121, {1, 56, 111}},         // r = 11, 5 elements a line
        {4, 120, 54, 126, {1, 55, 109}},         // r = 9, 6 elements a line
        {5, 200, 56, 200, {1, 57, 113, 169}},    // r = 8, 7
        {6, 200, 56, 203, {1, 57, 113, 169}},    // r = 7, 8
        {8, 130, 60, 132, {1, 61, 121}},         // r = 6, 10
        {13, 130, 60, 130, {1, 61, 121}},        // r = 5, 12
        {26, 121, 60, 124, {1, 61, 121}},        // r = 4, 15
        {62, 180, 60, 180, {1, 61, 121}},        // r = 3, 20: L = 60, three full lines
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("base " + std::to_string(c.base) + ", N " + std::to_string(c.n));
        const ProgramRun run = run_pi_drm(answers(c.base, 0, 1, c.n));
        EXPECT_EQ(run.exit_status, 0) << visible(run.console);
        const std::string listing = from_listing(read_file(run.folder + "/AtanDRM1.txt"));
        const Listing parsed = parse_listing(listing, c.digits_a_line);
        EXPECT_EQ(parsed.fault, "") << visible(listing);
        EXPECT_EQ(parsed.digits.size(), static_cast<std::size_t>(c.digits_printed));
        std::string heads;
        for (std::size_t at = listing.find('\n'); at != std::string::npos; at = listing.find('\n', at + 1)) {
            heads += listing.substr(at, 9);
        }
        std::string want_heads;
        for (const int head : c.heads) {
            char text[16];
            std::snprintf(text, sizeof text, "\n %6d ", head);
            want_heads += text;
        }
        EXPECT_EQ(visible(heads), visible(want_heads));
        remove_folder(run.folder);
    }
}

// Soft file-size limit of this process for the lifetime of the object, so
// that a child started meanwhile inherits it; SIGXFSZ is left at its default
// so that the child's own handling of the signal is what gets tested.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, SIG_DFL);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved_); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
};

// A report that cannot be written in full ends with one Error Stop line
// naming the file and status 1, never status 0 or a signal: on a full device
// the write fails when the buffer is flushed at the end (N = 128) or during
// the listing (N = 20000); past a file-size limit it fails part way.
TEST(ReportFile, FailedWriteEndsWithErrorStop)
{
    const struct {
        const char* name;
        int n;
        bool full_device;  // AtanDRM1.txt a link to /dev/full, else a size limit
    } cases[] = {
        {"/dev/full, 128 digits", 128, true},
        {"/dev/full, 20000 digits", 20000, true},
        {"file-size limit of 1024 bytes, 20000 digits", 20000, false},
    };
    const std::string stop = " ** Error Stop ** cannot write the report file AtanDRM1.txt \n";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string folder = make_temp_folder();
        ProgramRun run;
        if (c.full_device) {
            ASSERT_EQ(symlink("/dev/full", (folder + "/AtanDRM1.txt").c_str()), 0);
            run = run_pi_drm_in(folder, answers(10, 0, 1, c.n));
        } else {
            const FileSizeLimit limit(1024);
            run = run_pi_drm_in(folder, answers(10, 0, 1, c.n));
        }
        EXPECT_EQ(run.signal, 0);
        EXPECT_EQ(run.exit_status, 1);
        // The computation ran to its end: the totals line, then the stop.
        const std::string totals = line_starting(run.console, "  Total Time=");
        EXPECT_TRUE(is_totals_line(totals));
        const std::size_t at = run.console.find("  Total Time=");
        EXPECT_EQ(visible(at == std::string::npos ? run.console : run.console.substr(at)), visible(totals + stop));
        if (!c.full_device) {
            EXPECT_EQ(read_file(folder + "/AtanDRM1.txt").size(), 1024u);
        }
        remove_folder(folder);
    }
}

}  // namespace
