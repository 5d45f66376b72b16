// The longest listings: the largest accepted request and a request past a
// million digits, whose line indexes need seven characters.
#include "support/pi_reference.hpp"
#include "support/run_program.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

// Base 10, N = 1310715: L = 262143 elements and fmt_size 262144, which
// would leave no element past the listing to prove its last digits by; the
// run computes with twice the length (series to L + 2 elements: 8 and 3
// steps instead of 15 and 5) and every digit must be pi's.
TEST(DigitsSlow, LargestRequestAgreesWithPi)
{
#if HAVE_MPFR
    const ProgramRun run = run_pi_drm("10\n0\n1\n1310715\n", 900);
    ASSERT_EQ(run.exit_status, 0) << visible(run.console);
    EXPECT_NE(run.console.find("  ID=1,  Pi Decimal=1310715,  FMT Size=262144\n"), std::string::npos)
        << visible(run.console);
    EXPECT_NE(run.console.find("  ATAN(1/     5),  DRM Step=  8,  Time="), std::string::npos);
    EXPECT_NE(run.console.find("  ATAN(1/   239),  DRM Step=  3,  Time="), std::string::npos);
    const std::string report = read_file(run.folder + "/AtanDRM1.txt");
    remove_folder(run.folder);
    EXPECT_TRUE(listing_matches_pi(report, 10, 0));
    // The last line: 1310715 = 1310701 + 14, so 15 digits after a seven-wide index.
    const std::string last = "\n 1310701 ";
    ASSERT_GE(report.size(), last.size() + 15);
    EXPECT_EQ(visible(report.substr(report.size() - last.size() - 15, last.size())), visible(last));
#else
    GTEST_SKIP() << "MPFR is missing";
#endif
}

// Base 26, the largest element radix (456976): its largest request runs the
// longest products with the largest elements, where the FFT's rounding
// error is the largest a run meets; every digit must still be pi's.
TEST(DigitsSlow, LargestRequestAtTheLargestRadixAgreesWithPi)
{
#if HAVE_MPFR
    const ProgramRun run = run_pi_drm("26\n0\n4\n1048572\n", 900);
    ASSERT_EQ(run.exit_status, 0) << visible(run.console);
    EXPECT_NE(run.console.find("  ID=4,  Pi Decimal=1048572,  FMT Size=262144\n"), std::string::npos)
        << visible(run.console);
    const std::string report = read_file(run.folder + "/AtanDRM4.txt");
    remove_folder(run.folder);
    EXPECT_TRUE(listing_matches_pi(report, 26, 0));
#else
    GTEST_SKIP() << "MPFR is missing";
#endif
}

// Base 10, N = 1000080: the listing ends with the full line of index
// 1000021, the index widening the "%6d" field to seven characters. With
// L = 200016 and fmt_size 262144 there are guard elements: every digit
// must be pi's.
TEST(DigitsSlow, SevenCharacterIndexPastAMillion)
{
#if HAVE_MPFR
    const ProgramRun run = run_pi_drm("10\n1\n4\n1000080\n", 900);
    ASSERT_EQ(run.exit_status, 0) << visible(run.console);
    const std::string report = read_file(run.folder + "/AtanDRM4.txt");
    remove_folder(run.folder);
    const std::string tail = "\n 999961 ";
    const std::string last = "\n 1000021 ";
    ASSERT_GE(report.size(), tail.size() + last.size() + 120);
    EXPECT_EQ(visible(report.substr(report.size() - tail.size() - last.size() - 120, tail.size())), visible(tail));
    EXPECT_EQ(visible(report.substr(report.size() - last.size() - 60, last.size())), visible(last));
    EXPECT_TRUE(listing_matches_pi(report, 10, 10));
#else
    GTEST_SKIP() << "MPFR is missing";
#endif
}

}  // namespace
