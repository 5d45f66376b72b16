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
// the same length, a multiple of 4 from fft_fast_normalize_shortest_chunk
// to fft_fast_normalize_longest_chunk elements. Elements 1 .. count-1 are
// cut into full blocks from the end of the array, then one shorter block
// if at least fft_fast_normalize_shortest_chunk elements per chunk are
// left; the rest, next to entry 0, are done one by one. (Below 12
// elements a chunk's repair costs about as much as the chunk.)
inline constexpr int fft_fast_normalize_chunks = 16;
inline constexpr int fft_fast_normalize_shortest_chunk = 12;
inline constexpr int fft_fast_normalize_longest_chunk = 256;
