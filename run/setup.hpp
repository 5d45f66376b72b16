// The setup dialogue: four questions on the console, every size of the run
// derived from the answers, the report file and its three header lines.
#pragma once

// One row of the method-family table; only the texts, the ID count and the
// report file name differ between families.
struct MethodFamily {
    const char* title;
    int id_count;
    const char* id_prompt;          // 28 characters
    const char* menu_line;          // 51 characters
    const char* file_template;      // "?" at position 7 stands for the ID
};

inline constexpr int method_family_count = 4;
extern const MethodFamily method_families[method_family_count];

// Position of the "?" in every report file-name template.
inline constexpr int file_template_id_position = 7;

// Name of the report file of this run, set by setup_run.
extern char report_file_name[16];

// Asks for base, alphabet, formula ID and digit count; sets element_radix
// and digit_mode (balanced); creates report_file and writes the header
// lines to console and file. method_family outside 0..3 is taken as 0; nd
// is the capacity of the static arrays in elements. On return the outputs
// hold fmt_size, element_count L, digit_count N = L * r, digits_per_element
// r, base B and digit_offset (0 or 10), and the result is the 0-based
// formula_index. Out-of-range answers are replaced silently; a request whose
// fmt_size exceeds nd, an answer that is not an integer, N <= 0, and a
// report file that cannot be created end the process with status 1 and one
// " ** Error Stop" line instead.
int setup_run(int method_family, int nd, int* fmt_size, int* element_count, int* digit_count,
              int* digits_per_element, int* base, int* digit_offset);
