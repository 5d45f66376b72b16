#include "run/console_input.hpp"

#include <cctype>
#include <cstdio>

AnswerStatus read_answer(long long* value)
{
    int ch = std::getchar();
    while (ch != EOF && std::isspace(ch)) {
        ch = std::getchar();
    }
    if (ch == EOF) {
        return AnswerStatus::end_of_input;
    }

    bool negative = false;
    if (ch == '+' || ch == '-') {
        negative = ch == '-';
        ch = std::getchar();
    }
    if (ch == EOF || !std::isdigit(ch)) {
        if (ch != EOF) {
            std::ungetc(ch, stdin);
        }
        return AnswerStatus::not_an_integer;
    }

    // The magnitude saturates just past the 32-bit range, so a digit string
    // of any length is read without overflow.
    constexpr long long saturation = -answer_below_range;
    long long magnitude = 0;
    while (ch != EOF && std::isdigit(ch)) {
        magnitude = magnitude * 10 + (ch - '0');
        if (magnitude > saturation) {
            magnitude = saturation;
        }
        ch = std::getchar();
    }
    if (ch != EOF) {
        std::ungetc(ch, stdin);
    }

    long long result = negative ? -magnitude : magnitude;
    if (result > answer_above_range) {
        result = answer_above_range;
    }
    *value = result;
    return AnswerStatus::ok;
}
