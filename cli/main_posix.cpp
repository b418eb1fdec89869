// lpgctl's entry point on POSIX systems: arguments and the environment are
// taken as the system gives them.
#include <cstdlib>

#include "cli/main.h"

int main(int argc, char** argv) { return lpgctlMain(argc, argv, getenv("LPGCTL_PORT")); }
