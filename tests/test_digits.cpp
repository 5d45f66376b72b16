// The digits themselves: every base and both alphabets against pi from
// MPFR, and the five formulas giving one and the same listing.
#include "support/pi_reference.hpp"
#include "support/run_program.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>
#include <vector>

namespace {

std::string answers(int base, int alphabet, int id, int n)
{
    return std::to_string(base) + "\n" + std::to_string(alphabet) + "\n" + std::to_string(id) + "\n" +
           std::to_string(n) + "\n";
}

struct DigitCase {
    int base;
    int alphabet;  // 0: "0 start", 1: "a start"
    int id;
    int n;         // the answer; the run prints it rounded up to whole elements
};

// Every base with "0 start", every base up to 52 with "a start" too, the
// formulas taken in turn. Between 2000 and 4000 digits each, the answer
// rarely a whole number of elements; every fourth request has L = 2^k - 1
// elements, so that the working length leaves no guard element.
std::vector<DigitCase> digit_cases()
{
    std::vector<DigitCase> cases;
    int index = 0;
    for (int alphabet = 0; alphabet <= 1; ++alphabet) {
        for (int base = 3; base <= (alphabet == 0 ? 62 : 52); ++base, ++index) {
            const int r = static_cast<int>(5.7 / std::log10(static_cast<double>(base)));
            const int target = 2000 + (index * 731) % 2000;
            int elements = (target + r - 1) / r;
            if (index % 4 == 3) {
                int power = 1;
                while (power * 2 <= elements) {
                    power *= 2;
                }
                elements = (power * 2 - 1) * r <= 4500 ? power * 2 - 1 : power - 1;
            }
            cases.push_back({base, alphabet, index % 5 + 1, elements * r - index % r});
        }
    }
    return cases;
}

void PrintTo(const DigitCase& c, std::ostream* out)
{
    *out << "base " << c.base << (c.alphabet == 0 ? ", 0 start" : ", a start") << ", ID " << c.id << ", N " << c.n;
}

class Digits : public testing::TestWithParam<DigitCase> {};

TEST_P(Digits, AgreeWithPi)
{
#if HAVE_MPFR
    const DigitCase c = GetParam();
    const ProgramRun run = run_pi_drm(answers(c.base, c.alphabet, c.id, c.n));
    ASSERT_EQ(run.exit_status, 0) << visible(run.console);
    const std::string report = read_file(run.folder + "/AtanDRM" + std::to_string(c.id) + ".txt");
    EXPECT_TRUE(listing_matches_pi(report, c.base, 10 * c.alphabet));
    remove_folder(run.folder);
#else
    GTEST_SKIP() << "MPFR is missing";
#endif
}

INSTANTIATE_TEST_SUITE_P(EveryBase, Digits, testing::ValuesIn(digit_cases()),
                         [](const testing::TestParamInfo<DigitCase>& param_info) {
                             return "Base" + std::to_string(param_info.param.base) +
                                    (param_info.param.alphabet == 0 ? "_0start" : "_astart") + "_Id" +
                                    std::to_string(param_info.param.id) + "_N" + std::to_string(param_info.param.n);
                         });

// The five formulas sum different series to the same pi; with a guard
// element their listings (from "  Pi = 3." on) agree byte for byte.
TEST(Digits, FiveFormulasOneListing)
{
    const struct {
        int base;
        int alphabet;
        int n;
    } requests[] = {{10, 0, 3000}, {47, 1, 2400}, {3, 0, 4000}};
    for (const auto& request : requests) {
        SCOPED_TRACE("base " + std::to_string(request.base) + ", alphabet " + std::to_string(request.alphabet) +
                     ", N " + std::to_string(request.n));
        std::string first;
        for (int id = 1; id <= 5; ++id) {
            const ProgramRun run = run_pi_drm(answers(request.base, request.alphabet, id, request.n));
            ASSERT_EQ(run.exit_status, 0) << visible(run.console);
            const std::string report = read_file(run.folder + "/AtanDRM" + std::to_string(id) + ".txt");
            remove_folder(run.folder);
            const std::size_t at = report.find("  Pi = 3.");
            ASSERT_NE(at, std::string::npos) << visible(report);
            if (id == 1) {
                first = report.substr(at);
            } else {
                EXPECT_EQ(report.substr(at), first) << "formula " << id << " differs from formula 1";
            }
        }
    }
}

}  // namespace
