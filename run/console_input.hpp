// Reading the dialogue's answers from standard input.
#pragma once

enum class AnswerStatus {
    ok,              // a signed decimal integer was read
    not_an_integer,  // the next text is not a signed decimal integer
    end_of_input,    // nothing but white space before the end of input
};

// An answer beyond the 32-bit range is read as the nearest of these two
// values, so the 32-bit range rules of the dialogue see it as out of range.
inline constexpr long long answer_above_range = 2147483648LL;
inline constexpr long long answer_below_range = -2147483649LL;

// Reads one answer the way "%d" does: leading white space (line ends
// included) is skipped, then an optional sign and decimal digits are taken;
// whatever follows stays in the input for the next answer. *value is set
// only when the status is ok, and lies in
// [answer_below_range, answer_above_range].
AnswerStatus read_answer(long long* value);
