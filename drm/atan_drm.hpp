// arctan(1/x) for a positive integer x by DRM steps: each step of n/4
// consecutive terms of
//     arctan(1/x) = sum over k >= 0 of (-1)^k / ((2k + 1) x^(2k+1))
// merges its terms pairwise into one exact fraction P/Q over integer blocks
// (drm_num, drm_den), then divides once, by Q times the running power of x,
// and adds the quotient into atan_sum. Works on the static arrays; not
// reentrant. n = fmt_size is a power of two of at least 8, and x*x must be
// exact in double precision.
#pragma once

// Leaves the sum of the first steps * n/4 terms in atan_sum (n elements).
// Returns the largest rounding error of all its products.
double atan_inverse_drm(int x, int n, int steps);

// One step: the next n/4 terms, continuing from next_odd and x_power, added
// into atan_sum. Returns the largest rounding error of the step.
double drm_step(int x, int n);

// One level of the product tree: merges `pairs` pairs of adjacent windows of
// width m in drm_num and drm_den into windows of width 2m, then squares the
// power of x^2 in work_t[1..m] into work_t[1..2m]. Prints the window-overflow
// line when X^(m/4) * Q_R does not fit m elements, and goes on.
// Returns the largest rounding error of the level.
double drm_merge_level(int m, int pairs);
