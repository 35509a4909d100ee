// talvex-cli: principal components analysis with jackknife estimates, from the
// command line.
#include <iostream>

#include "cli/cli_app.h"
#include "cli/interrupt_cleanup.h"

int main(int argc, char** argv) {
  talvex::InstallInterruptCleanup();
  return talvex::RunCli(argc, argv, std::cout, std::cerr);
}
