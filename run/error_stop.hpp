// The run's only way of reporting a failure: one console line beginning
// " ** Error Stop", then exit status 1.
#pragma once

// Prints " ** Error Stop ** <what> \n" on the console and ends the process
// with status 1 (normal termination: open streams are flushed and closed).
[[noreturn]] void error_stop(const char* what);
