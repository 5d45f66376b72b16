// The pi driver: pi = sum over the chosen formula's terms of c * arctan(1/x).
#pragma once

inline constexpr int formula_count = 5;
inline constexpr int formula_slots = 4;

// formula_table[f][i] = {c, x}: slot i of formula f (0-based formula_index);
// slots past formula_term_count[f] hold {0, 0} and are never read.
inline constexpr int formula_table[formula_count][formula_slots][2] = {
    {{16, 5}, {-4, 239}, {0, 0}, {0, 0}},                // Machin
    {{48, 18}, {32, 57}, {-20, 239}, {0, 0}},            // Gauss
    {{32, 10}, {-4, 239}, {-16, 515}, {0, 0}},           // Klingen.
    {{176, 57}, {28, 239}, {-48, 682}, {96, 12943}},     // Stoemer
    {{48, 49}, {128, 57}, {-20, 239}, {48, 110443}},     // Takano
};
inline constexpr int formula_term_count[formula_count] = {2, 3, 3, 4, 4};

// DRM steps for arctan(1/x) so that the first term left out of the series
// weighs less than R^(-L): trunc(((r * 2.0 * L) * (ln B / ln x)) / n + 1.0).
int drm_step_count(int base, int x, int digits_per_element, int element_count, int fmt_size);

// The whole run: dialogue, the formula's arctangents with a progress line
// each, the report. Returns the exit status, 0.
int run_pi_drm();
