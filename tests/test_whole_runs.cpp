// Whole runs at a working length of 2^14, long enough that every level of
// the product tree, the reciprocal's doubling and the long products run at
// sizes where an overrun or a wrong carry would show: checked against pi
// from MPFR. The sanitizer build runs these too.
#include "support/pi_reference.hpp"
#include "support/run_program.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

struct WholeRun {
    const char* answers;
    const char* header;  // the header line with N and FMT Size
    int base;
    int digit_offset;
    const char* report;
};

class WholeRuns : public testing::TestWithParam<WholeRun> {};

TEST_P(WholeRuns, ListPi)
{
#if HAVE_MPFR
    const WholeRun& c = GetParam();
    const ProgramRun run = run_pi_drm(c.answers, 600);
    ASSERT_FALSE(run.timed_out);
    ASSERT_EQ(run.signal, 0);
    ASSERT_EQ(run.exit_status, 0) << visible(run.console);
    EXPECT_NE(run.console.find(c.header), std::string::npos) << visible(run.console);
    const std::string report = read_file(run.folder + "/" + c.report);
    remove_folder(run.folder);
    EXPECT_TRUE(listing_matches_pi(report, c.base, c.digit_offset));
#else
    GTEST_SKIP() << "MPFR is missing";
#endif
}

INSTANTIATE_TEST_SUITE_P(
    FmtSize16384, WholeRuns,
    testing::Values(WholeRun{"10 0 5 50000\n", "  ID=5,  Pi Decimal=50000,  FMT Size=16384\n", 10, 0, "AtanDRM5.txt"},
                    WholeRun{"27 1 4 30000\n", "  ID=4,  Pi Decimal=30000,  FMT Size=16384\n", 27, 10, "AtanDRM4.txt"},
                    WholeRun{"3 0 2 110000\n", "  ID=2,  Pi Decimal=110000,  FMT Size=16384\n", 3, 0, "AtanDRM2.txt"},
                    // 16383 elements: the run doubles its working length to 2^15.
                    WholeRun{"26 0 3 65532\n", "  ID=3,  Pi Decimal=65532,  FMT Size=16384\n", 26, 0, "AtanDRM3.txt"}),
    [](const testing::TestParamInfo<WholeRun>& param_info) {
        return "base" + std::to_string(param_info.param.base) + "_case" + std::to_string(param_info.index);
    });

}  // namespace
