// Whole runs of the program (fast products) and of the reference program
// (literal products) give the same console and the same report, but for
// the times: every product of a run is bit-identical, so every digit and
// the rounding error are too.
#include "support/dialogue_text.hpp"
#include "support/run_program.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/wait.h>

namespace {

struct output {
    int status = -1;
    std::string console;
    std::string report;
};

// Runs one program in a fresh folder with the answers on standard input.
output run_in_fresh_folder(const char* program, const std::string& answers, int formula)
{
    const std::string folder = make_temp_folder();
    {
        std::ofstream(folder + "/answers.txt") << answers;
    }
    const std::string command = "cd '" + folder + "' && '" + program +
                                "' < answers.txt > console.txt 2>&1";
    output result;
    const int status = std::system(command.c_str());
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.console = read_file(folder + "/console.txt");
    result.report = read_file(folder + "/AtanDRM" + std::to_string(formula) + ".txt");
    remove_folder(folder);
    return result;
}

struct run_case {
    int base;
    int formula;
    int digits;
};

class ReferenceBuild : public testing::TestWithParam<run_case> {};

TEST_P(ReferenceBuild, SameConsoleAndReportButTheTimes)
{
    const run_case c = GetParam();
    const std::string answers = std::to_string(c.base) + " 0 " + std::to_string(c.formula) + " " +
                                std::to_string(c.digits) + "\n";
    const output fast = run_in_fresh_folder(PI_DRM_PATH, answers, c.formula);
    const output reference = run_in_fresh_folder(PI_DRM_REFERENCE_PATH, answers, c.formula);
    ASSERT_EQ(fast.status, 0) << fast.console;
    ASSERT_EQ(reference.status, 0) << reference.console;
    ASSERT_NE(fast.report.find("  Pi = 3."), std::string::npos) << "no listing in the report";
    EXPECT_EQ(mask_times(fast.console), mask_times(reference.console))
        << "fast |" << fast.console << "|\nreference |" << reference.console << "|";
    EXPECT_TRUE(mask_times(fast.report) == mask_times(reference.report))
        << "the reports differ beyond the times";
    // The mask must leave everything else: the rounding error is compared.
    EXPECT_NE(mask_times(fast.report).find("Rounding Error= "), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(MediumRuns, ReferenceBuild,
                         testing::Values(run_case{10, 1, 20000}, run_case{10, 3, 20000},
                                         run_case{26, 5, 12000}),
                         [](const testing::TestParamInfo<run_case>& param_info) {
                             return "base" + std::to_string(param_info.param.base) + "_formula" +
                                    std::to_string(param_info.param.formula);
                         });

}  // namespace
