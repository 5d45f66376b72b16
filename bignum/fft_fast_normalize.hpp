// The fast carry normalization: normalize_elements_reference
// (long_number.hpp) with the same result bit for bit for every input, in a
// fraction of the time on long arrays. The default build's
// normalize_elements; every fast product ends with it.
#pragma once

// Same contract and same result as normalize_elements_reference. Takes the
// AVX2 path when the processor has it.
void fft_fast_normalize(double* a, int count);

// For tests: the same normalization on one instruction path (the AVX2 one
// falls back to the portable one on a processor without AVX2).
void fft_fast_normalize_portable(double* a, int count);
void fft_fast_normalize_avx2(double* a, int count);

// The layout of the blocks the fast path cuts an array into, for tests
// that aim at its edges: a block is fft_fast_normalize_chunks chunks of
// the same length, a multiple of 4 up to fft_fast_normalize_longest_chunk
// elements; elements 1 .. count-1 are cut into full blocks from the end of
// the array, then one shorter block while at least 4 elements per chunk
// are left, and fewer than 4 * fft_fast_normalize_chunks elements next to
// entry 0 are done one by one.
inline constexpr int fft_fast_normalize_chunks = 16;
inline constexpr int fft_fast_normalize_longest_chunk = 256;
