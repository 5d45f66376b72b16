// The result report: the totals line on console and file, and the digits of
// pi after the point in base B, up to 60 a line, in the report file.
#pragma once

#include <cstddef>

// The 62 digit characters 0-9, a-z, A-Z; a digit value d prints as
// digit_chars[d + digit_offset].
inline constexpr char digit_chars[] = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";

// Writes value as "%e" would, but with at least three exponent digits
// (1.220703e-004, 0.000000e+000).
void format_scientific(double value, char* text, std::size_t size);

// Switches digit_mode to standard and normalizes elements 1..L+3 of `sum`
// (pi with exponent 1), writes the totals line with the seconds since t0
// and rounding_error to console and report_file, then "  Pi = 3." and the
// listing of fractional elements 1..L to report_file: trunc(60 / r)
// elements a line, each line led by "\n %6d " with the index of its first
// digit. Nothing follows the last digit.
void write_report(double* sum, int element_count, int digits_per_element, int base, int digit_offset,
                  int t0, double rounding_error);

// Writes the r base-B digits of one element (0 <= value < B^r) to
// report_file, most significant first, leading zeros included.
void print_element_digits(int value, int digits_per_element, int base, int digit_offset);

// Flushes and closes report_file. A report that could not be written in
// full (a full disk, a size limit) ends the run with an " ** Error Stop"
// line naming the file and status 1: the digits go nowhere else.
void close_report();
