#include "support/listing.hpp"

#include <cstdio>

Listing parse_listing(const std::string& report, int digits_a_line)
{
    Listing out;
    const std::string start = "  Pi = 3.";
    std::size_t at = report.find(start);
    if (at == std::string::npos) {
        out.fault = "no \"  Pi = 3.\"";
        return out;
    }
    at += start.size();
    if (at == report.size()) {
        out.fault = "no listing line";
        return out;
    }
    while (at < report.size()) {
        char head[32];
        std::snprintf(head, sizeof head, "\n %6zu ", out.digits.size() + 1);
        const std::string expected_head(head);
        if (report.compare(at, expected_head.size(), expected_head) != 0) {
            out.fault = "line at byte " + std::to_string(at) + " does not begin with |" + expected_head + "|";
            return out;
        }
        at += expected_head.size();
        std::size_t end = report.find('\n', at);
        if (end == std::string::npos) {
            end = report.size();
        }
        const std::size_t length = end - at;
        const bool last = end == report.size();
        if (length == 0 || length > static_cast<std::size_t>(digits_a_line) ||
            (!last && length != static_cast<std::size_t>(digits_a_line))) {
            out.fault = "line " + expected_head.substr(1) + "holds " + std::to_string(length) + " digits";
            return out;
        }
        out.digits.append(report, at, length);
        at = end;
    }
    return out;
}
