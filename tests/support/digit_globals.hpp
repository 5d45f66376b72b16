// Fixtures for the tests that set the digit globals element_radix and
// digit_mode: they are saved before each test and restored after it.
#pragma once

#include "bignum/long_number.hpp"

#include <gtest/gtest.h>

#include <cmath>

// element_radix and digit_mode are globals: every test saves them in SetUp,
// sets what it needs with use_digits and gets them back in TearDown.
class DigitGlobalsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_radix_ = element_radix;
        saved_mode_ = digit_mode;
    }
    void TearDown() override
    {
        element_radix = saved_radix_;
        digit_mode = saved_mode_;
    }
    static void use_digits(double radix, bool balanced)
    {
        element_radix = radix;
        digit_mode = balanced ? -1 : 1;
    }

private:
    double saved_radix_ = 0.0;
    int saved_mode_ = 0;
};

// For tests parameterized by a case with the fields base and
// digits_per_element: each test runs in balanced form at
// R = base^digits_per_element.
template <class Case>
class BalancedBaseDigitsTest : public DigitGlobalsTest, public ::testing::WithParamInterface<Case> {
protected:
    void SetUp() override
    {
        DigitGlobalsTest::SetUp();
        use_digits(std::pow(this->GetParam().base, this->GetParam().digits_per_element), true);
    }
};
