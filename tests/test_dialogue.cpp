// End-to-end: the setup dialogue, its header lines and its stops.
#include "support/run_program.hpp"

#include <gtest/gtest.h>

namespace {

const std::string prompts_base_10 =
    " Type In Base Value ( from 3 to 62 ) \n"
    " Type In 0 or 1 (0; 0 start, 1; a start) \n"
    " Type In ID, (ID=1,2,3,4,5)  \n"
    " 1;Machin, 2;Gauss, 3;Klingen., 4;Stoemer, 5;Takano \n"
    " Type In N (N=Number of Pi 10-Base) \n";

TEST(Dialogue, HeaderLinesOfBase10With128Digits)
{
    const ProgramRun run = run_pi_drm("10\n0\n1\n128\n");
    EXPECT_EQ(run.exit_status, 0);
    const std::string header =
        " ** Pi Computation by DRM with Atan \n"
        "  ID=1,  Pi Decimal=130,  FMT Size=32\n"
        "  Base=10,  Digit-Number of a Elements=5 \n";
    EXPECT_EQ(run.console.substr(0, prompts_base_10.size() + header.size()), prompts_base_10 + header)
        << visible(run.console);
    const std::string report = read_file(run.folder + "/AtanDRM1.txt");
    EXPECT_EQ(report.substr(0, 120),
              " ** Pi Computation by DRM with Atan ** \n"
              "  ID=1,  Pi Decimal=130,  FMT Size=32\n"
              "  Base=10,  Digit-Number of a Elements=5 \n")
        << visible(report);
    remove_folder(run.folder);
}

}  // namespace
