// Reads the digit listing of a report back, for the end-to-end tests.
#pragma once

#include <string>

struct Listing {
    std::string digits;  // every listed digit after the point, in order
    std::string fault;   // empty when the layout is exact; else what is wrong
};

// Parses what follows "  Pi = 3." in `report`: lines "\n %6d <digits>",
// each index the position of the line's first digit (1, then one more than
// the digits so far), every line but the last holding exactly
// `digits_a_line` digits, the last between 1 and that many, and nothing
// after the last digit.
Listing parse_listing(const std::string& report, int digits_a_line);
