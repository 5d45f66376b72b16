// The console and report texts of the setup dialogue, written out here as
// the end-to-end tests expect them, and small readers of a finished run.
#pragma once

#include <string>
#include <vector>

// The dialogue's prompts in the order they are asked.
enum class Prompt { base, alphabet, id, n };

// Every console prompt up to and including `last` (the ID prompt includes
// its menu line); the N prompt names `base`.
std::string prompts_through(Prompt last, int base = 10);

// The three header lines of family 2 ("DRM with Atan") on the console and
// in the report file; the title line is the only one that differs.
std::string console_header(int id, long long digits, int fmt_size, int base, int digits_per_element);
std::string report_header(int id, long long digits, int fmt_size, int base, int digits_per_element);

// " ** Error Stop ** <what> \n"
std::string stop_line(const std::string& what);

// The text with the figures after every "Time=" replaced by "#", so that
// two runs can be compared byte for byte apart from their times.
std::string mask_times(const std::string& text);

// Reads the listing of a finished report (everything after "  Pi = 3.")
// into `digits`. False when there is no listing or a line index is not the
// position of the line's first digit.
bool read_listing(const std::string& report, std::string* digits);

// The 62 digit characters: 0-9, a-z, A-Z.
extern const std::string digit_characters;

// The names of the entries of a folder, sorted.
std::vector<std::string> folder_entries(const std::string& folder);
