#include "support/elements_mpz.hpp"

#include "support/reference.hpp"

#include <map>

namespace {

class RadixPowers {
public:
    explicit RadixPowers(double radix) : radix_(static_cast<unsigned long>(radix)) {}
    RadixPowers(const RadixPowers&) = delete;
    RadixPowers& operator=(const RadixPowers&) = delete;
    ~RadixPowers()
    {
        for (auto& entry : powers_) {
            mpz_clear(&entry.second);
        }
    }

    // R^e, computed once per exponent.
    mpz_srcptr get(int e)
    {
        auto found = powers_.find(e);
        if (found == powers_.end()) {
            found = powers_.emplace(e, __mpz_struct{}).first;
            mpz_init(&found->second);
            mpz_ui_pow_ui(&found->second, radix_, static_cast<unsigned long>(e));
        }
        return &found->second;
    }

private:
    unsigned long radix_;
    std::map<int, __mpz_struct> powers_;
};

constexpr int plain_length = 64;

void convert(const double* a, int count, double radix, RadixPowers& powers, mpz_t out)
{
    if (count <= plain_length) {
        elements_to_mpz(a, count, radix, out);
        return;
    }
    // value = high * R^low_count + low
    const int low_count = count / 2;
    const int high_count = count - low_count;
    mpz_t low;
    mpz_init(low);
    convert(a, high_count, radix, powers, out);
    convert(a + high_count, low_count, radix, powers, low);
    mpz_mul(out, out, powers.get(low_count));
    mpz_add(out, out, low);
    mpz_clear(low);
}

}  // namespace

void elements_to_mpz_split(const double* a, int count, double radix, mpz_t out)
{
    RadixPowers powers(radix);
    convert(a, count, radix, powers, out);
}
