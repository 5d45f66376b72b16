#include "support/dialogue_text.hpp"

#include <algorithm>
#include <cstdio>
#include <filesystem>

std::string prompts_through(Prompt last, int base)
{
    std::string text = " Type In Base Value ( from 3 to 62 ) \n";
    if (last == Prompt::base) {
        return text;
    }
    text += " Type In 0 or 1 (0; 0 start, 1; a start) \n";
    if (last == Prompt::alphabet) {
        return text;
    }
    text += " Type In ID, (ID=1,2,3,4,5)  \n"
            " 1;Machin, 2;Gauss, 3;Klingen., 4;Stoemer, 5;Takano \n";
    if (last == Prompt::id) {
        return text;
    }
    return text + " Type In N (N=Number of Pi " + std::to_string(base) + "-Base) \n";
}

namespace {

std::string size_lines(int id, long long digits, int fmt_size, int base, int digits_per_element)
{
    return "  ID=" + std::to_string(id) + ",  Pi Decimal=" + std::to_string(digits) +
           ",  FMT Size=" + std::to_string(fmt_size) + "\n" + "  Base=" + std::to_string(base) +
           ",  Digit-Number of a Elements=" + std::to_string(digits_per_element) + " \n";
}

}  // namespace

std::string console_header(int id, long long digits, int fmt_size, int base, int digits_per_element)
{
    return " ** Pi Computation by DRM with Atan \n" +
           size_lines(id, digits, fmt_size, base, digits_per_element);
}

std::string report_header(int id, long long digits, int fmt_size, int base, int digits_per_element)
{
    return " ** Pi Computation by DRM with Atan ** \n" +
           size_lines(id, digits, fmt_size, base, digits_per_element);
}

std::string stop_line(const std::string& what)
{
    return " ** Error Stop ** " + what + " \n";
}

std::string mask_times(const std::string& text)
{
    // Every "Time=" followed by blanks and a figure of digits and points
    // becomes "Time=#".
    const std::string label = "Time=";
    std::string out;
    std::size_t at = 0;
    for (std::size_t found = text.find(label); found != std::string::npos; found = text.find(label, at)) {
        std::size_t end = found + label.size();
        while (end < text.size() && text[end] == ' ') {
            ++end;
        }
        const std::size_t figure = end;
        while (end < text.size() && ((text[end] >= '0' && text[end] <= '9') || text[end] == '.')) {
            ++end;
        }
        if (end == figure) {
            out.append(text, at, end - at);
        } else {
            out.append(text, at, found - at);
            out += label + "#";
        }
        at = end;
    }
    out.append(text, at, std::string::npos);
    return out;
}

bool read_listing(const std::string& report, std::string* digits)
{
    const std::string start = "  Pi = 3.";
    std::size_t at = report.find(start);
    if (at == std::string::npos) {
        return false;
    }
    at += start.size();
    digits->clear();
    while (at < report.size()) {
        char index[32];
        std::snprintf(index, sizeof index, "\n %6zu ", digits->size() + 1);
        if (report.compare(at, std::char_traits<char>::length(index), index) != 0) {
            return false;
        }
        at += std::char_traits<char>::length(index);
        const std::size_t end = std::min(report.find('\n', at), report.size());
        if (end == at) {
            return false;
        }
        digits->append(report, at, end - at);
        at = end;
    }
    return !digits->empty();
}

const std::string digit_characters =
    "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";

std::vector<std::string> folder_entries(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}
