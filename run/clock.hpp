// The millisecond clock of the run.
#pragma once

// Whole milliseconds elapsed since the program started.
int clock_ms();
