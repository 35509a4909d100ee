// Running talvex-cli in-process with captured streams, for the CLI tests.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_app.h"

namespace talvex::testing {

struct TRun {
  int status = -1;
  std::string out;
  std::string err;
};

inline TRun RunInProcess(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), "talvex-cli");
  std::vector<char*> argv;
  for (auto& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  std::ostringstream out;
  std::ostringstream err;
  TRun run;
  run.status = RunCli(static_cast<int>(arguments.size()), argv.data(), out, err);
  run.out = out.str();
  run.err = err.str();
  return run;
}

}  // namespace talvex::testing
