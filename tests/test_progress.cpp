// The driver's progress: one line per formula term with its DRM step count,
// and the step counts of the largest requests.
#include "run/driver.hpp"
#include "support/run_program.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>
#include <vector>

namespace {

struct Term {
    int x;
    int steps;
};

// Everything the console shows after the prompts and the header lines: the
// progress lines of the terms in formula order, the totals line, nothing
// more (the digits go to the report file only).
void expect_progress(const std::string& console, const std::string& header, const std::vector<Term>& terms)
{
    const std::size_t at = console.find(header);
    ASSERT_NE(at, std::string::npos) << visible(console);
    std::string rest = console.substr(at + header.size());
    // The time, "%8.2f", is the only part that varies from run to run.
    static const std::regex time(R"([ 0-9]{4}[0-9]\.[0-9]{2} \(s\)\n)");
    for (const Term& term : terms) {
        char head[64];
        std::snprintf(head, sizeof head, "  ATAN(1/%6d),  DRM Step=%3d,  Time=", term.x, term.steps);
        ASSERT_EQ(visible(rest.substr(0, std::string(head).size())), visible(head)) << visible(rest);
        rest = rest.substr(std::string(head).size());
        std::smatch parts;
        ASSERT_TRUE(std::regex_search(rest, parts, time, std::regex_constants::match_continuous))
            << visible(rest);
        rest = parts.suffix().str();
    }
    static const std::regex totals(R"(  Total Time= [0-9]+\.[0-9]{6} \(s\)  Rounding Error= [0-9]\.[0-9]{6}e[+-][0-9]{3} \n)");
    EXPECT_TRUE(std::regex_match(rest, totals)) << visible(rest);
}

TEST(Progress, StepCountsOfEveryFormula)
{
    const struct {
        int id;
        int n;
        const char* header;
        std::vector<Term> terms;
    } cases[] = {
        {1, 1000, "FMT Size=256\n", {{5, 12}, {239, 4}}},
        {2, 1000, "FMT Size=256\n", {{18, 7}, {57, 5}, {239, 4}}},
        {3, 1000, "FMT Size=256\n", {{10, 8}, {239, 4}, {515, 3}}},
        {4, 1000, "FMT Size=256\n", {{57, 5}, {239, 4}, {682, 3}, {12943, 2}}},
        {5, 1000, "FMT Size=256\n", {{49, 5}, {57, 5}, {239, 4}, {110443, 2}}},
        {1, 100, "FMT Size=32\n", {{5, 9}, {239, 3}}},
        {5, 100, "FMT Size=32\n", {{49, 4}, {57, 4}, {239, 3}, {110443, 2}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("formula " + std::to_string(c.id) + ", N " + std::to_string(c.n));
        const ProgramRun run = run_pi_drm("10\n0\n" + std::to_string(c.id) + "\n" + std::to_string(c.n) + "\n");
        EXPECT_EQ(run.exit_status, 0);
        const std::string header = "  ID=" + std::to_string(c.id) + ",  Pi Decimal=" + std::to_string(c.n) +
                                   ",  " + c.header + "  Base=10,  Digit-Number of a Elements=5 \n";
        expect_progress(run.console, header, c.terms);
        remove_folder(run.folder);
    }
}

// The step counts of the largest accepted requests (L = 262143 elements,
// n = 262144), too long to run here.
TEST(Progress, StepCountsOfTheLargestRequest)
{
    const struct {
        int base;
        int r;
        int x;
        int steps;
    } cases[] = {
        {10, 5, 5, 15}, {10, 5, 239, 5},                                       // Machin
        {10, 5, 49, 6}, {10, 5, 57, 6}, {10, 5, 239, 5}, {10, 5, 110443, 2},  // Takano
        {62, 3, 5, 16}, {62, 3, 239, 5},                                       // Machin at base 62
    };
    for (const auto& c : cases) {
        EXPECT_EQ(drm_step_count(c.base, c.x, c.r, 262143, 262144), c.steps)
            << "base " << c.base << ", x " << c.x;
    }
}

}  // namespace
