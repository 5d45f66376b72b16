// End-to-end: the setup dialogue, its header lines, its silent replacements
// and its stops. Every case runs the built pi_drm in a fresh folder and
// compares the console bytes, the report file and the exit status.
#include "support/dialogue_text.hpp"
#include "support/run_program.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// The first 130 decimals of pi.
const std::string pi_decimals =
    "1415926535897932384626433832795028841971693993751058209749445923078164062862089986280348253421"
    "170679821480865132823066470938446095";

void write_file(const std::string& path, const std::string& content)
{
    std::ofstream file(path, std::ios::binary);
    file << content;
}

// The listing digits a base-10 run should print for the first `count`
// decimals of pi in the alphabet that starts at `offset`.
std::string pi_listing(std::size_t count, int offset)
{
    std::string digits = pi_decimals.substr(0, count);
    for (char& d : digits) {
        d = digit_characters[static_cast<std::size_t>(d - '0' + offset)];
    }
    return digits;
}

// A run that went through: status 0; the console is `console_head`, one
// progress line per term and the totals line; the folder holds only
// `file`, which is `report_head`, the same totals line and a listing of
// `digits` digits, all drawn from the alphabet of `base` at `offset`.
// Returns the listing.
std::string expect_complete_run(const ProgramRun& run, const std::string& console_head,
                                const std::string& file, const std::string& report_head,
                                long long digits, int base, int offset)
{
    EXPECT_FALSE(run.timed_out);
    EXPECT_EQ(run.signal, 0);
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_EQ(run.console.substr(0, console_head.size()), console_head)
        << "got\n" << visible(run.console) << "\nwant at the start\n" << visible(console_head);

    // What follows the header on the console: progress lines, then totals.
    std::string totals;
    std::size_t at = console_head.size();
    while (at < run.console.size()) {
        const std::size_t end = run.console.find('\n', at);
        const std::string line = run.console.substr(at, end == std::string::npos ? end : end - at + 1);
        if (line.rfind("  Total Time= ", 0) == 0) {
            EXPECT_TRUE(totals.empty()) << visible(run.console);
            totals = line;
        } else {
            EXPECT_EQ(line.rfind("  ATAN(1/", 0), 0u) << visible(line);
            EXPECT_TRUE(totals.empty()) << "a progress line after the totals " << visible(line);
        }
        at += line.size();
    }
    EXPECT_FALSE(totals.empty()) << visible(run.console);

    EXPECT_EQ(folder_entries(run.folder), std::vector<std::string>{file});
    const std::string report = read_file(run.folder + "/" + file);
    EXPECT_EQ(report.substr(0, report_head.size() + totals.size() + 9), report_head + totals + "  Pi = 3.")
        << visible(report);
    std::string listing;
    EXPECT_TRUE(read_listing(report, &listing)) << visible(report);
    EXPECT_EQ(static_cast<long long>(listing.size()), digits);
    const std::string alphabet = digit_characters.substr(static_cast<std::size_t>(offset),
                                                         static_cast<std::size_t>(base));
    EXPECT_EQ(listing.find_first_not_of(alphabet), std::string::npos)
        << "alphabet " << visible(alphabet) << " listing " << visible(listing);
    return listing;
}

TEST(Dialogue, HeaderExampleOfBase10With128DigitsByteForByte)
{
    const ProgramRun run = run_pi_drm("10\n0\n1\n128\n");
    const std::string console_head =
        " Type In Base Value ( from 3 to 62 ) \n"
        " Type In 0 or 1 (0; 0 start, 1; a start) \n"
        " Type In ID, (ID=1,2,3,4,5)  \n"
        " 1;Machin, 2;Gauss, 3;Klingen., 4;Stoemer, 5;Takano \n"
        " Type In N (N=Number of Pi 10-Base) \n"
        " ** Pi Computation by DRM with Atan \n"
        "  ID=1,  Pi Decimal=130,  FMT Size=32\n"
        "  Base=10,  Digit-Number of a Elements=5 \n";
    const std::string report_head =
        " ** Pi Computation by DRM with Atan ** \n"
        "  ID=1,  Pi Decimal=130,  FMT Size=32\n"
        "  Base=10,  Digit-Number of a Elements=5 \n";
    const std::string listing =
        expect_complete_run(run, console_head, "AtanDRM1.txt", report_head, 130, 10, 0);
    EXPECT_EQ(listing, pi_decimals);
    remove_folder(run.folder);
}

// "%d" reading: white space of any kind separates the answers, so one line
// or one answer a line give the same run.
TEST(Dialogue, AnswersOnOneLineGiveTheSameRun)
{
    const ProgramRun lines = run_pi_drm("10\n0\n1\n128\n");
    const std::string want_console = mask_times(lines.console);
    const std::string want_report = mask_times(read_file(lines.folder + "/AtanDRM1.txt"));
    ASSERT_EQ(lines.exit_status, 0);
    for (const std::string input : {"10 0 1 128\n", "10 0 1 128", "  10   0 1\n\n128 \n"}) {
        SCOPED_TRACE(visible(input));
        const ProgramRun run = run_pi_drm(input);
        EXPECT_EQ(run.exit_status, 0);
        EXPECT_EQ(mask_times(run.console), want_console) << visible(run.console);
        EXPECT_EQ(mask_times(read_file(run.folder + "/AtanDRM1.txt")), want_report);
        EXPECT_EQ(folder_entries(run.folder), std::vector<std::string>{"AtanDRM1.txt"});
        remove_folder(run.folder);
    }
    remove_folder(lines.folder);
}

// Base, alphabet and ID answers out of range are replaced silently; the
// prompt for N and the header lines show the values in force, the file name
// the ID in force, and the listing the alphabet in force.
TEST(Dialogue, OutOfRangeAnswersAreReplacedSilently)
{
    struct Case {
        const char* input;
        int base;    // in force
        int r;       // digits per element
        int offset;  // 0 for "0 start", 10 for "a start"
        int id;
        const char* file;
        int digits;  // N = 20 rounded up to a multiple of r
    };
    const Case cases[] = {
        {"2 0 1 20", 26, 4, 0, 1, "AtanDRM1.txt", 20},
        {"0 0 1 20", 26, 4, 0, 1, "AtanDRM1.txt", 20},
        {"63 0 1 20", 26, 4, 0, 1, "AtanDRM1.txt", 20},
        {"-10 0 1 20", 26, 4, 0, 1, "AtanDRM1.txt", 20},
        {"62 0 1 20", 62, 3, 0, 1, "AtanDRM1.txt", 21},
        {"62 1 1 20", 26, 4, 10, 1, "AtanDRM1.txt", 20},
        {"53 1 1 20", 26, 4, 10, 1, "AtanDRM1.txt", 20},
        {"53 0 1 20", 53, 3, 0, 1, "AtanDRM1.txt", 21},
        {"52 1 1 20", 52, 3, 10, 1, "AtanDRM1.txt", 21},
        {"53 7 1 20", 26, 4, 10, 1, "AtanDRM1.txt", 20},
        {"53 -1 1 20", 26, 4, 10, 1, "AtanDRM1.txt", 20},
        {"10 7 1 20", 10, 5, 10, 1, "AtanDRM1.txt", 20},
        {"10 -1 1 20", 10, 5, 10, 1, "AtanDRM1.txt", 20},
        {"10 0 0 20", 10, 5, 0, 1, "AtanDRM1.txt", 20},
        {"10 0 6 20", 10, 5, 0, 1, "AtanDRM1.txt", 20},
        {"10 0 -3 20", 10, 5, 0, 1, "AtanDRM1.txt", 20},
        {"10 0 2 20", 10, 5, 0, 2, "AtanDRM2.txt", 20},
        {"10 0 5 20", 10, 5, 0, 5, "AtanDRM5.txt", 20},
        {"3 0 1 20", 3, 11, 0, 1, "AtanDRM1.txt", 22},
        {"3 1 4 20", 3, 11, 10, 4, "AtanDRM4.txt", 22},
        {"16 1 3 20", 16, 4, 10, 3, "AtanDRM3.txt", 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        const ProgramRun run = run_pi_drm(c.input);
        const std::string listing = expect_complete_run(
            run, prompts_through(Prompt::n, c.base) + console_header(c.id, c.digits, 8, c.base, c.r),
            c.file, report_header(c.id, c.digits, 8, c.base, c.r), c.digits, c.base, c.offset);
        if (c.base == 10) {
            EXPECT_EQ(listing, pi_listing(20, c.offset));
        }
        remove_folder(run.folder);
    }
}

// N is rounded up to whole elements; fmt_size is the smallest power of two
// above the element count, but never below 8.
TEST(Dialogue, SizesDerivedFromN)
{
    struct Case {
        int base;
        int n;
        int r;
        int digits;
        int fmt_size;
    };
    const Case cases[] = {
        {10, 1, 5, 5, 8},        // L = 1
        {10, 15, 5, 15, 8},      // L = 3
        {10, 16, 5, 20, 8},      // L = 4
        {10, 20, 5, 20, 8},      // L = 4
        {10, 35, 5, 35, 8},      // L = 7
        {10, 36, 5, 40, 16},     // L = 8
        {10, 128, 5, 130, 32},   // L = 26
        {10, 1000, 5, 1000, 256},  // L = 200
        {3, 1, 11, 11, 8},       // L = 1
        {3, 100, 11, 110, 16},   // L = 10
        {62, 1000, 3, 1002, 512},  // L = 334
    };
    for (const Case& c : cases) {
        const std::string input = std::to_string(c.base) + "\n0\n1\n" + std::to_string(c.n) + "\n";
        SCOPED_TRACE(input);
        const ProgramRun run = run_pi_drm(input);
        const std::string listing = expect_complete_run(
            run, prompts_through(Prompt::n, c.base) + console_header(1, c.digits, c.fmt_size, c.base, c.r),
            "AtanDRM1.txt", report_header(1, c.digits, c.fmt_size, c.base, c.r), c.digits, c.base, 0);
        if (c.base == 10) {
            const std::size_t known = std::min(listing.size(), pi_decimals.size());
            EXPECT_EQ(listing.substr(0, known), pi_decimals.substr(0, known));
        }
        remove_folder(run.folder);
    }
}

// Requests too large for the arrays stop before any arithmetic with status
// 1. When a size can be derived, the three header lines come first, on the
// console and in the report, showing the refused size; an answer beyond the
// 32-bit range stops right after the N prompt and leaves the report empty.
// N + r - 1 must not wrap for N near the top of the 32-bit range.
TEST(Dialogue, RequestsTooLargeAreRefused)
{
    struct Case {
        const char* input;
        int base;
        const char* file;
        std::string header;  // console header lines, empty when none
        std::string report;
    };
    const Case cases[] = {
        {"10 0 1 1310716", 10, "AtanDRM1.txt", console_header(1, 1310720, 524288, 10, 5),
         report_header(1, 1310720, 524288, 10, 5)},
        {"3 0 1 2883574", 3, "AtanDRM1.txt", console_header(1, 2883584, 524288, 3, 11),
         report_header(1, 2883584, 524288, 3, 11)},
        {"10 0 5 2147483643", 10, "AtanDRM5.txt", console_header(5, 2147483645, 536870912, 10, 5),
         report_header(5, 2147483645, 536870912, 10, 5)},
        {"10 0 1 2147483647", 10, "AtanDRM1.txt", console_header(1, 2147483650, 536870912, 10, 5),
         report_header(1, 2147483650, 536870912, 10, 5)},
        {"3 0 1 2147483647", 3, "AtanDRM1.txt", console_header(1, 2147483657, 268435456, 3, 11),
         report_header(1, 2147483657, 268435456, 3, 11)},
        {"62 0 1 2147483647", 62, "AtanDRM1.txt", console_header(1, 2147483649, 1073741824, 62, 3),
         report_header(1, 2147483649, 1073741824, 62, 3)},
        {"10 0 1 2147483648", 10, "AtanDRM1.txt", "", ""},
        {"10 0 1 4294967316", 10, "AtanDRM1.txt", "", ""},
        {"10 0 1 99999999999999999999999999", 10, "AtanDRM1.txt", "", ""},
        {"10 0 1 -2147483649", 10, "AtanDRM1.txt", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        const ProgramRun run = run_pi_drm(c.input, 10);
        EXPECT_FALSE(run.timed_out);
        EXPECT_EQ(run.signal, 0);
        EXPECT_EQ(run.exit_status, 1);
        const std::string want = prompts_through(Prompt::n, c.base) + c.header + stop_line("N > ND");
        EXPECT_EQ(run.console, want) << "got\n" << visible(run.console) << "\nwant\n" << visible(want);
        EXPECT_EQ(folder_entries(run.folder), std::vector<std::string>{c.file});
        const std::string report = read_file(run.folder + "/" + c.file);
        EXPECT_EQ(report, c.report) << "got\n" << visible(report) << "\nwant\n" << visible(c.report);
        remove_folder(run.folder);
    }
}

// Answers that are not integers, the end of the input, and N <= 0 stop the
// run right after the prompt concerned, with status 1. The report file is
// created after the ID answer, so stops before it leave no file and stops
// at N leave it empty.
TEST(Dialogue, BadAnswersStopAtTheirPrompt)
{
    struct Case {
        const char* input;
        Prompt prompt;     // the prompt that got the bad answer
        int base;          // named by the N prompt
        const char* what;  // the stop line's text
        const char* file;  // the empty report left behind, or nullptr
    };
    const Case cases[] = {
        {"", Prompt::base, 10, "end of input before the answer for the base", nullptr},
        {"10\n", Prompt::alphabet, 10, "end of input before the answer for the alphabet", nullptr},
        {"10 0", Prompt::id, 10, "end of input before the answer for the ID", nullptr},
        {"10 0 1\n", Prompt::n, 10, "end of input before the answer for N", "AtanDRM1.txt"},
        {"x\n", Prompt::base, 10, "the answer for the base is not an integer", nullptr},
        {"10 x\n", Prompt::alphabet, 10, "the answer for the alphabet is not an integer", nullptr},
        {"10 0 x\n", Prompt::id, 10, "the answer for the ID is not an integer", nullptr},
        {"10 0 1 x\n", Prompt::n, 10, "the answer for N is not an integer", "AtanDRM1.txt"},
        {"10 0 3 ten\n", Prompt::n, 10, "the answer for N is not an integer", "AtanDRM3.txt"},
        {"10 0 1 0\n", Prompt::n, 10, "N must be at least 1", "AtanDRM1.txt"},
        {"10 0 1 -1\n", Prompt::n, 10, "N must be at least 1", "AtanDRM1.txt"},
        {"10 0 1 -2147483648\n", Prompt::n, 10, "N must be at least 1", "AtanDRM1.txt"},
        {"3 0 4 0\n", Prompt::n, 3, "N must be at least 1", "AtanDRM4.txt"},
        {"70 1 9 -7\n", Prompt::n, 26, "N must be at least 1", "AtanDRM1.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(visible(c.input));
        const ProgramRun run = run_pi_drm(c.input, 10);
        EXPECT_FALSE(run.timed_out);
        EXPECT_EQ(run.signal, 0);
        EXPECT_EQ(run.exit_status, 1);
        const std::string want = prompts_through(c.prompt, c.base) + stop_line(c.what);
        EXPECT_EQ(run.console, want) << "got\n" << visible(run.console) << "\nwant\n" << visible(want);
        if (c.file == nullptr) {
            EXPECT_EQ(folder_entries(run.folder), std::vector<std::string>{});
        } else {
            EXPECT_EQ(folder_entries(run.folder), std::vector<std::string>{c.file});
            EXPECT_EQ(read_file(run.folder + "/" + c.file), "");
        }
        remove_folder(run.folder);
    }
}

// A report left by an earlier run is emptied when the new run opens it,
// whether the run then goes through or stops. Files of other IDs, and the
// file itself when the run stops before the ID is known, are not touched.
TEST(Dialogue, ExistingReportIsEmptied)
{
    const std::string old_report(5000, '#');
    struct Case {
        const char* input;
        int exit_status;
        std::string report;  // the new content, or the start of it for a full run
        bool old_kept;       // the run stopped before opening the file
    };
    const Case cases[] = {
        {"10 0 1 20", 0, report_header(1, 20, 8, 10, 5) + "  Total Time= ", false},
        {"10 0 1 1310716", 1, report_header(1, 1310720, 524288, 10, 5), false},
        {"10 0 1 99999999999", 1, "", false},
        {"10 0 1 0", 1, "", false},
        {"10 0 1 x", 1, "", false},
        {"10 0 1", 1, "", false},
        {"10 0 x", 1, "", true},
        {"10 0", 1, "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        const std::string folder = make_temp_folder();
        write_file(folder + "/AtanDRM1.txt", old_report);
        write_file(folder + "/AtanDRM2.txt", old_report);
        const ProgramRun run = run_pi_drm_in(folder, c.input, 10);
        EXPECT_EQ(run.exit_status, c.exit_status);
        EXPECT_EQ(folder_entries(folder), (std::vector<std::string>{"AtanDRM1.txt", "AtanDRM2.txt"}));
        const std::string report = read_file(folder + "/AtanDRM1.txt");
        if (c.old_kept) {
            EXPECT_EQ(report, old_report);
        } else if (c.exit_status == 0) {
            EXPECT_EQ(report.substr(0, c.report.size()), c.report) << visible(report);
            EXPECT_EQ(report.find('#'), std::string::npos) << visible(report);
            std::string listing;
            EXPECT_TRUE(read_listing(report, &listing)) << visible(report);
            EXPECT_EQ(listing, pi_decimals.substr(0, 20));
        } else {
            EXPECT_EQ(report, c.report) << visible(report);
        }
        EXPECT_EQ(read_file(folder + "/AtanDRM2.txt"), old_report);
        remove_folder(folder);
    }
}

// A report file that cannot be created stops the run after the ID answer
// with status 1 and a line naming the file; nothing is written anywhere.
TEST(Dialogue, ReportFileThatCannotBeCreatedStopsTheRun)
{
    struct Case {
        const char* input;
        const char* file;
        bool as_link;  // a link into a missing folder instead of a directory
    };
    const Case cases[] = {
        {"10 0 1 20", "AtanDRM1.txt", false},
        {"10 0 7 20", "AtanDRM1.txt", false},
        {"10 0 4 20", "AtanDRM4.txt", false},
        {"10 0 1 20", "AtanDRM1.txt", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.input) + (c.as_link ? " (link)" : " (directory)"));
        const std::string folder = make_temp_folder();
        const std::string path = folder + "/" + c.file;
        if (c.as_link) {
            std::filesystem::create_symlink("missing/folder.txt", path);
        } else {
            std::filesystem::create_directory(path);
        }
        const ProgramRun run = run_pi_drm_in(folder, c.input, 10);
        EXPECT_FALSE(run.timed_out);
        EXPECT_EQ(run.signal, 0);
        EXPECT_EQ(run.exit_status, 1);
        const std::string want =
            prompts_through(Prompt::id) + stop_line(std::string("cannot create the report file ") + c.file);
        EXPECT_EQ(run.console, want) << "got\n" << visible(run.console) << "\nwant\n" << visible(want);
        EXPECT_EQ(folder_entries(folder), std::vector<std::string>{c.file});
        if (c.as_link) {
            EXPECT_TRUE(std::filesystem::is_symlink(path));
            EXPECT_FALSE(std::filesystem::exists(folder + "/missing"));
        } else {
            EXPECT_TRUE(std::filesystem::is_empty(path));
        }
        remove_folder(folder);
    }
}

// Lends the test process the identity of an unprivileged user while the
// program runs, since a read-only folder does not stop root. Restores root
// when it goes out of scope.
class UnprivilegedIdentity {
public:
    UnprivilegedIdentity()
    {
        if (geteuid() != 0) {
            return;  // already unprivileged
        }
        constexpr uid_t nobody = 65534;
        if (setegid(nobody) != 0) {
            return;
        }
        if (seteuid(nobody) != 0) {
            if (setegid(0) != 0) {
                std::abort();
            }
            return;
        }
        lent_ = true;
    }
    ~UnprivilegedIdentity()
    {
        if (lent_ && (seteuid(0) != 0 || setegid(0) != 0)) {
            std::abort();
        }
    }
    UnprivilegedIdentity(const UnprivilegedIdentity&) = delete;
    UnprivilegedIdentity& operator=(const UnprivilegedIdentity&) = delete;

    bool unprivileged() const { return lent_ || geteuid() != 0; }

private:
    bool lent_ = false;
};

TEST(Dialogue, FolderWithoutWritePermissionStopsTheRun)
{
    const std::string folder = make_temp_folder();
    ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
    ProgramRun run;
    {
        const UnprivilegedIdentity identity;
        if (!identity.unprivileged()) {
            remove_folder(folder);
            GTEST_SKIP() << "running as root without a way to drop the privilege";
        }
        run = run_pi_drm_in(folder, "10 0 1 20\n", 10);
    }
    EXPECT_FALSE(run.timed_out);
    EXPECT_EQ(run.signal, 0);
    EXPECT_EQ(run.exit_status, 1);
    const std::string want = prompts_through(Prompt::id) + stop_line("cannot create the report file AtanDRM1.txt");
    EXPECT_EQ(run.console, want) << "got\n" << visible(run.console) << "\nwant\n" << visible(want);
    EXPECT_EQ(folder_entries(folder), std::vector<std::string>{});
    remove_folder(folder);
}

}  // namespace
