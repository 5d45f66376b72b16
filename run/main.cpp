#include "run/driver.hpp"

int main()
{
    return run_pi_drm();
}
