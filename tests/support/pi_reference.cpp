#include "support/pi_reference.hpp"

#if HAVE_MPFR

#include "support/listing.hpp"
#include "support/run_program.hpp"

#include <gmp.h>
#include <mpfr.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>

namespace {

constexpr char alphabet[] = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";

// mpz_get_str writes 0-9 then a-z for bases up to 36, and 0-9, A-Z, a-z
// above; returns the digit value.
int gmp_digit_value(char ch, int base)
{
    if (ch >= '0' && ch <= '9') {
        return ch - '0';
    }
    const bool upper_first = base > 36;
    if (ch >= 'a' && ch <= 'z') {
        return (upper_first ? 36 : 10) + (ch - 'a');
    }
    return (upper_first ? 10 : 36) + (ch - 'A');
}

}  // namespace

PiDigits pi_reference_digits(int base, int count, int digit_offset)
{
    // pi * B^count is about 2^(count * log2 B + 2); 96 more bits leave an
    // absolute error below 2^-90 after the rounded pi and the rounded
    // product, far below the margin required below.
    const double bits = std::ceil(count * std::log2(static_cast<double>(base))) + 2 + 96;
    mpfr_t scaled;
    mpfr_t fraction;
    mpfr_init2(scaled, static_cast<mpfr_prec_t>(bits));
    mpfr_init2(fraction, static_cast<mpfr_prec_t>(bits));
    mpz_t power;
    mpz_t whole;
    mpz_init(power);
    mpz_init(whole);

    mpfr_const_pi(scaled, MPFR_RNDN);
    mpz_ui_pow_ui(power, static_cast<unsigned long>(base), static_cast<unsigned long>(count));
    mpfr_mul_z(scaled, scaled, power, MPFR_RNDN);
    mpfr_get_z(whole, scaled, MPFR_RNDD);
    mpfr_sub_z(fraction, scaled, whole, MPFR_RNDN);

    PiDigits out;
    const double below = mpfr_get_d(fraction, MPFR_RNDN);
    out.margin = below < 1.0 - below ? below : 1.0 - below;
    // Closer than this to an integer, the floor could be off by one.
    if (!(out.margin > std::ldexp(1.0, -64))) {
        ADD_FAILURE() << "pi * " << base << "^" << count << " lies too close to an integer for "
                      << bits << " bits";
    }

    char* text = mpz_get_str(nullptr, base, whole);
    const std::string all(text);
    void (*release)(void*, std::size_t) = nullptr;
    mp_get_memory_functions(nullptr, nullptr, &release);
    release(text, all.size() + 1);

    // Pi >= 1, so the integer part has at least one digit: the last `count`
    // characters are the fraction.
    out.digits = all.substr(all.size() - static_cast<std::size_t>(count));
    for (char& ch : out.digits) {
        ch = alphabet[gmp_digit_value(ch, base) + digit_offset];
    }

    mpz_clear(whole);
    mpz_clear(power);
    mpfr_clear(fraction);
    mpfr_clear(scaled);
    return out;
}

long digit_difference(const std::string& got, const std::string& want, int base, int digit_offset)
{
    if (got.size() != want.size()) {
        return LONG_MAX;
    }
    std::size_t first = 0;
    while (first < got.size() && got[first] == want[first]) {
        ++first;
    }
    if (first == got.size()) {
        return 0;
    }
    if (got.size() - first > 40) {
        return LONG_MAX;
    }
    // The common head cancels; only the tails from the first difference on
    // count, and 40 digits of base 62 fit an mpz easily.
    mpz_t tails[2];
    mpz_init(tails[0]);
    mpz_init(tails[1]);
    const std::string* texts[2] = {&got, &want};
    for (int t = 0; t < 2; ++t) {
        for (std::size_t i = first; i < texts[t]->size(); ++i) {
            const char* at = std::strchr(alphabet, (*texts[t])[i]);
            const long value = at == nullptr || (*texts[t])[i] == '\0' ? -1 : (at - alphabet) - digit_offset;
            if (value < 0 || value >= base) {
                mpz_clear(tails[0]);
                mpz_clear(tails[1]);
                return LONG_MAX;
            }
            mpz_mul_ui(tails[t], tails[t], static_cast<unsigned long>(base));
            mpz_add_ui(tails[t], tails[t], static_cast<unsigned long>(value));
        }
    }
    mpz_sub(tails[0], tails[0], tails[1]);
    const long difference = mpz_fits_slong_p(tails[0]) ? mpz_get_si(tails[0]) : LONG_MAX;
    mpz_clear(tails[0]);
    mpz_clear(tails[1]);
    return difference;
}

namespace {

// The integer after `label` in `text`, or -1.
long number_after(const std::string& text, const std::string& label)
{
    const std::size_t at = text.find(label);
    return at == std::string::npos ? -1 : std::strtol(text.c_str() + at + label.size(), nullptr, 10);
}

}  // namespace

testing::AssertionResult listing_matches_pi(const std::string& report, int base, int digit_offset)
{
    const long count = number_after(report, "Pi Decimal=");
    const long r = number_after(report, "Digit-Number of a Elements=");
    if (count <= 0 || r <= 0 || count % r != 0) {
        return testing::AssertionFailure() << "no header with N and r";
    }
    const Listing listing = parse_listing(report, static_cast<int>(60 / r * r));
    if (!listing.fault.empty()) {
        return testing::AssertionFailure() << listing.fault;
    }
    if (listing.digits.size() != static_cast<std::size_t>(count)) {
        return testing::AssertionFailure() << listing.digits.size() << " digits listed, N = " << count;
    }
    const PiDigits pi = pi_reference_digits(base, static_cast<int>(count), digit_offset);
    constexpr long allowed = 0;
    const long difference = digit_difference(listing.digits, pi.digits, base, digit_offset);
    if (difference >= -allowed && difference <= allowed) {
        return testing::AssertionSuccess() << "off by " << difference;
    }
    std::size_t first = 0;
    while (pi.digits[first] == listing.digits[first]) {
        ++first;
    }
    const std::size_t from = first < 20 ? 0 : first - 20;
    return testing::AssertionFailure()
           << "digit " << first + 1 << " of " << count << " differs (" << difference << " units of the last digit, "
           << allowed << " allowed; margin " << pi.margin << ")\n got  " << visible(listing.digits.substr(from, 60))
           << "\n want " << visible(pi.digits.substr(from, 60));
}

#endif
