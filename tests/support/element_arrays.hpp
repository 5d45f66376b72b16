// Long numbers written out by hand in the tests, and their entries printed
// exactly for failure messages.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// "(a0, a1, ...)": every entry printed as a whole number.
inline std::string whole_entries_text(const std::vector<double>& a)
{
    std::string text = "(";
    for (std::size_t i = 0; i < a.size(); ++i) {
        text += (i > 0 ? ", " : "") + std::to_string(static_cast<long long>(a[i]));
    }
    return text + ")";
}

// A long number's exponent and elements, printed exactly:
// "exponent e, elements (a1, a2, ...)".
inline std::string long_text(const std::vector<double>& a)
{
    return "exponent " + std::to_string(static_cast<long long>(a[0])) + ", elements " +
           whole_entries_text(std::vector<double>(a.begin() + 1, a.end()));
}

// A long number of n elements: the exponent, the given leading elements,
// zeros after.
inline std::vector<double> long_number(double exponent, const std::vector<double>& leading, int n)
{
    std::vector<double> a(static_cast<std::size_t>(n) + 1, 0.0);
    a[0] = exponent;
    for (std::size_t i = 0; i < leading.size(); ++i) {
        a[i + 1] = leading[i];
    }
    return a;
}
