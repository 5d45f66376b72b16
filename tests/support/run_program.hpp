// Runs the built pi_drm in a fresh temporary folder with answers piped on
// standard input, for the end-to-end tests.
#pragma once

#include <string>

struct ProgramRun {
    int exit_status = -1;     // the exit status, or -1 when killed by a signal
    int signal = 0;           // the signal that ended it, 0 if none
    bool timed_out = false;   // killed after the time limit
    std::string console;      // everything written to standard output
    std::string folder;       // the working folder, kept until the test ends
};

// A fresh empty folder under the system's temporary folder, removed with
// everything in it by remove_folder.
std::string make_temp_folder();
void remove_folder(const std::string& folder);

// Runs pi_drm in `folder` with `input` on standard input (closed after it)
// and at most `seconds` of time.
ProgramRun run_pi_drm_in(const std::string& folder, const std::string& input, int seconds = 60);

// The same in a new temporary folder (kept in the result's `folder`).
ProgramRun run_pi_drm(const std::string& input, int seconds = 60);

// The whole content of a file, and whether it exists.
std::string read_file(const std::string& path);
bool file_exists(const std::string& path);

// Text with line ends and control bytes made visible, for failure messages.
std::string visible(const std::string& text);
