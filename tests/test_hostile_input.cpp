// End-to-end: answers that people and scripts really feed the dialogue.
// Every row ends in one of two ways, within a few seconds and never by a
// signal: status 0 with exactly the run (console and report, times aside)
// of the plain answers the row amounts to, or status 1 with the console
// stopping at a known prompt with one " ** Error Stop" line and the report
// file holding only what such a stop leaves.
#include "support/dialogue_text.hpp"
#include "support/run_program.hpp"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

using namespace std::string_literals;

namespace {

constexpr int time_limit_seconds = 10;

struct Case {
    const char* name = "";
    std::string input;
    int exit_status = 0;
    // Status 0: the plain answers whose run this one must equal.
    std::string same_as;
    // Status 1: the console after the prompts up to `prompt` (the N prompt
    // naming `base`), and the report left behind (none when `file` is null).
    Prompt prompt = Prompt::base;
    int base = 10;
    std::string console_tail;
    const char* file = nullptr;
    std::string report;
};

Case ran(const char* name, std::string input, std::string same_as)
{
    Case c;
    c.name = name;
    c.input = std::move(input);
    c.exit_status = 0;
    c.same_as = std::move(same_as);
    return c;
}

Case stopped(const char* name, std::string input, Prompt prompt, std::string console_tail,
             const char* file = nullptr, std::string report = "")
{
    Case c;
    c.name = name;
    c.input = std::move(input);
    c.exit_status = 1;
    c.prompt = prompt;
    c.console_tail = std::move(console_tail);
    c.file = file;
    c.report = std::move(report);
    return c;
}

Case naming_base(Case c, int base)
{
    c.base = base;
    return c;
}

std::string not_an_integer(const char* what)
{
    return stop_line("the answer for "s + what + " is not an integer");
}

std::string end_of_input(const char* what)
{
    return stop_line("end of input before the answer for "s + what);
}

const std::vector<Case>& hostile_cases()
{
    static const std::vector<Case> cases = {
        // White space of every kind separates answers, and text after the
        // fourth answer is never read.
        ran("CR-LF line ends", "10\r\n0\r\n1\r\n20\r\n", "10\n0\n1\n20\n"),
        ran("CR line ends", "10\r0\r1\r20\r", "10\n0\n1\n20\n"),
        ran("no final line end", "10\n0\n1\n20", "10\n0\n1\n20\n"),
        ran("all four answers on one line", "10 0 1 20\n", "10\n0\n1\n20\n"),
        ran("tabs", "\t10\t0\t1\t20\t\n", "10\n0\n1\n20\n"),
        ran("vertical tabs and form feeds", "\v10\f0\v1\f20", "10\n0\n1\n20\n"),
        ran("a megabyte of blanks first", std::string(1 << 20, ' ') + "10 0 1 20", "10\n0\n1\n20\n"),
        ran("extra answers after the fourth", "10 0 1 20 30 40 junk\n", "10\n0\n1\n20\n"),
        ran("extra lines after the fourth", "10\n0\n1\n20\n5\n\n-1\nx\n", "10\n0\n1\n20\n"),
        ran("NUL bytes after N", "10 0 1 20\0\0\n"s, "10\n0\n1\n20\n"),
        ran("binary bytes after N", "10 0 1 20\x80\xff\x01\x7f\n", "10\n0\n1\n20\n"),
        // Only the leading integer of an answer counts; what follows N is
        // never read.
        ran("plus signs", "+10 +0 +1 +20\n", "10\n0\n1\n20\n"),
        ran("minus zero", "10 -0 1 20\n", "10\n0\n1\n20\n"),
        ran("leading zeros", "0010 000 01 0020\n", "10\n0\n1\n20\n"),
        ran("1e5 as N", "10 0 1 1e5\n", "10\n0\n1\n1\n"),
        ran("12abc as N", "10 0 1 12abc\n", "10\n0\n1\n12\n"),
        ran("decimal point in N", "10 0 1 20.9\n", "10\n0\n1\n20\n"),
        // Beyond the 32-bit range: out of range, never wrapped.
        ran("base 2^31", "2147483648 0 1 20\n", "26\n0\n1\n20\n"),
        ran("base 2^31 - 1", "2147483647 0 1 20\n", "26\n0\n1\n20\n"),
        ran("base 2^32 + 10", "4294967306 0 1 20\n", "26\n0\n1\n20\n"),
        ran("base 2^64 + 10", "18446744073709551626 0 1 20\n", "26\n0\n1\n20\n"),
        ran("base -2^31", "-2147483648 0 1 20\n", "26\n0\n1\n20\n"),
        ran("base -2^32 + 10", "-4294967286 0 1 20\n", "26\n0\n1\n20\n"),
        ran("base of 30 digits", "999999999999999999999999999999 0 1 20\n", "26\n0\n1\n20\n"),
        ran("base of 100000 digits", std::string(100000, '9') + " 0 1 20\n", "26\n0\n1\n20\n"),
        ran("alphabet 2^32", "10 4294967296 1 20\n", "10\n1\n1\n20\n"),
        ran("alphabet -2^31", "10 -2147483648 1 20\n", "10\n1\n1\n20\n"),
        ran("alphabet of 30 digits", "10 -999999999999999999999999999999 1 20\n", "10\n1\n1\n20\n"),
        ran("ID 2^32 + 2", "10 0 4294967298 20\n", "10\n0\n1\n20\n"),
        ran("ID 2^64 + 2", "10 0 18446744073709551618 20\n", "10\n0\n1\n20\n"),
        ran("ID -2^31", "10 0 -2147483648 20\n", "10\n0\n1\n20\n"),
        ran("ID of 30 digits", "10 0 999999999999999999999999999999 20\n", "10\n0\n1\n20\n"),

        // No answer at all.
        stopped("empty input", "", Prompt::base, end_of_input("the base")),
        stopped("only white space", " \r\n\t\n\v", Prompt::base, end_of_input("the base")),
        stopped("input cut after the base", "10", Prompt::alphabet, end_of_input("the alphabet")),
        stopped("input cut after the ID, CR-LF", "10\r\n0\r\n1\r\n", Prompt::n, end_of_input("N"),
                "AtanDRM1.txt"),
        // A sign without digits, or text where a number should be.
        stopped("+ alone", "+", Prompt::base, not_an_integer("the base")),
        stopped("- alone", "-\n", Prompt::base, not_an_integer("the base")),
        stopped("sign and blank", "- 10 0 1 20\n", Prompt::base, not_an_integer("the base")),
        stopped("two signs", "--10 0 1 20\n", Prompt::base, not_an_integer("the base")),
        stopped("- as alphabet", "10 -\n0 1 20\n", Prompt::alphabet, not_an_integer("the alphabet")),
        stopped("+ as N", "10 0 1 +\n", Prompt::n, not_an_integer("N"), "AtanDRM1.txt"),
        stopped("+- as N", "10 0 1 +-20\n", Prompt::n, not_an_integer("N"), "AtanDRM1.txt"),
        stopped("0x10 as base", "0x10 0 1 20\n", Prompt::alphabet, not_an_integer("the alphabet")),
        stopped("1e5 as base", "1e5 0 1 20\n", Prompt::alphabet, not_an_integer("the alphabet")),
        stopped("12abc as base", "12abc 0 1 20\n", Prompt::alphabet, not_an_integer("the alphabet")),
        stopped("decimal point in base", "10.5 0 1 20\n", Prompt::alphabet, not_an_integer("the alphabet")),
        stopped("12abc as ID", "10 0 12abc 20\n", Prompt::n, not_an_integer("N"), "AtanDRM1.txt"),
        stopped("NUL before the base", "\0" "10 0 1 20\n"s, Prompt::base, not_an_integer("the base")),
        stopped("NUL between answers", "10\n\0\n0 1 20\n"s, Prompt::alphabet, not_an_integer("the alphabet")),
        stopped("binary bytes first", "\xff\xfe\x80 10 0 1 20\n", Prompt::base, not_an_integer("the base")),
        stopped("escape sequence before N", "10 0 1 \x1b[A20\n", Prompt::n, not_an_integer("N"), "AtanDRM1.txt"),
        // N out of range.
        stopped("0x10 as N", "10 0 1 0x10\n", Prompt::n, stop_line("N must be at least 1"), "AtanDRM1.txt"),
        stopped("N -2^31", "10 0 1 -2147483648\n", Prompt::n, stop_line("N must be at least 1"), "AtanDRM1.txt"),
        stopped("N 2^31 - 1", "10 0 1 2147483647\n", Prompt::n,
                console_header(1, 2147483650, 536870912, 10, 5) + stop_line("N > ND"), "AtanDRM1.txt",
                report_header(1, 2147483650, 536870912, 10, 5)),
        stopped("N 2^32 + 20", "10 0 1 4294967316\n", Prompt::n, stop_line("N > ND"), "AtanDRM1.txt"),
        stopped("N 2^64 + 20", "10 0 1 18446744073709551636\n", Prompt::n, stop_line("N > ND"), "AtanDRM1.txt"),
        stopped("N of 30 digits", "10 0 1 999999999999999999999999999999\n", Prompt::n, stop_line("N > ND"),
                "AtanDRM1.txt"),
        naming_base(stopped("base 2^32 + 10, N 2^32 + 20", "4294967306 0 1 4294967316\n", Prompt::n,
                            stop_line("N > ND"), "AtanDRM1.txt"),
                    26),
        stopped("N of 30 digits below zero", "10 0 1 -999999999999999999999999999999\n", Prompt::n,
                stop_line("N > ND"), "AtanDRM1.txt"),
    };
    return cases;
}

// The console and report of a plain run, with the times masked, each plain
// input run once.
struct PlainRun {
    std::string console;
    std::vector<std::string> files;
    std::string report;
};

const PlainRun& plain_run(const std::string& input)
{
    static std::map<std::string, PlainRun> runs;
    const auto found = runs.find(input);
    if (found != runs.end()) {
        return found->second;
    }
    const ProgramRun run = run_pi_drm(input, time_limit_seconds);
    PlainRun plain;
    plain.console = mask_times(run.console);
    plain.files = folder_entries(run.folder);
    if (plain.files.size() == 1) {
        plain.report = mask_times(read_file(run.folder + "/" + plain.files[0]));
    }
    // The plain run itself must be a whole run with a listing.
    std::string listing;
    EXPECT_EQ(run.exit_status, 0) << visible(input) << visible(run.console);
    EXPECT_EQ(plain.files.size(), 1u) << visible(input);
    EXPECT_TRUE(read_listing(plain.report, &listing)) << visible(input) << visible(plain.report);
    remove_folder(run.folder);
    return runs.emplace(input, plain).first->second;
}

TEST(HostileInput, PlainRunGivesPi)
{
    const PlainRun& plain = plain_run("10\n0\n1\n20\n");
    std::string listing;
    ASSERT_TRUE(read_listing(plain.report, &listing));
    EXPECT_EQ(listing, "14159265358979323846");
    EXPECT_EQ(plain.files, std::vector<std::string>{"AtanDRM1.txt"});
}

TEST(HostileInput, EveryRowEndsAsExpected)
{
    for (const Case& c : hostile_cases()) {
        SCOPED_TRACE(std::string(c.name) + ": input " + visible(c.input.substr(0, 80)));
        const ProgramRun run = run_pi_drm(c.input, time_limit_seconds);
        EXPECT_FALSE(run.timed_out);
        EXPECT_EQ(run.signal, 0);
        EXPECT_EQ(run.exit_status, c.exit_status);
        const std::vector<std::string> files = folder_entries(run.folder);

        if (c.exit_status == 0) {
            const PlainRun& plain = plain_run(c.same_as);
            EXPECT_EQ(mask_times(run.console), plain.console)
                << "got\n" << visible(run.console) << "\nwant\n" << visible(plain.console);
            EXPECT_EQ(files, plain.files);
            if (files.size() == 1) {
                const std::string report = mask_times(read_file(run.folder + "/" + files[0]));
                EXPECT_EQ(report, plain.report)
                    << "got\n" << visible(report) << "\nwant\n" << visible(plain.report);
            }
        } else {
            const std::string want = prompts_through(c.prompt, c.base) + c.console_tail;
            EXPECT_EQ(run.console, want) << "got\n" << visible(run.console) << "\nwant\n" << visible(want);
            if (c.file == nullptr) {
                EXPECT_EQ(files, std::vector<std::string>{});
            } else {
                EXPECT_EQ(files, std::vector<std::string>{c.file});
                const std::string report = read_file(run.folder + "/" + c.file);
                EXPECT_EQ(report, c.report) << "got\n" << visible(report) << "\nwant\n" << visible(c.report);
            }
        }
        remove_folder(run.folder);
    }
}

}  // namespace
