#include "run/error_stop.hpp"

#include <cstdio>
#include <cstdlib>

void error_stop(const char* what)
{
    std::printf(" ** Error Stop ** %s \n", what);
    std::exit(1);
}
