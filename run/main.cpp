#include "run/driver.hpp"

#include <csignal>

int main()
{
#ifdef SIGXFSZ
    // Past a file-size limit a write then fails (EFBIG) like any other, and
    // close_report ends the run with its Error Stop line and status 1; by
    // default the signal would kill the process with the console output
    // still in its buffer.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    return run_pi_drm();
}
