// The fast carry normalization: normalize_elements_reference
// (long_number.hpp) with the same result bit for bit, in less time. The
// default build's normalize_elements; every fast product ends with it.
#pragma once

// The fast normalization, bit for bit what normalize_elements_reference
// (long_number.hpp) gives for every array whose values stay below 2^53 in
// magnitude; the default build's normalize_elements.
void fft_fast_normalize(double* a, int count);
