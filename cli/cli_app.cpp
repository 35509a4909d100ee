// talvex-cli's dispatch: usage errors, --help, --version, --check and the
// analysis, with every failure turned into a message and an exit status.
#include "cli/cli_app.h"

#include <exception>
#include <string>
#include <vector>

#include "cli/analysis_command.h"
#include "cli/check_command.h"
#include "cli/cli_options.h"
#include "cli/failure_report.h"
#include "cli/output_check.h"
#include "cli/standard_output.h"

#ifndef TALVEX_VERSION
#define TALVEX_VERSION "unknown"
#endif

namespace talvex {

namespace {

constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;

}  // namespace

int RunCli(int argc, char** argv, std::ostream& out, std::ostream& err) {
  TCliOptions options;
  try {
    options = ParseCliOptions(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
    CheckDistinctFiles(options);
  } catch (const ECliUsage& e) {
    err << "talvex-cli: " << e.Message() << '\n' << ShortUsage();
    return ExitUsage;
  }
  try {
    if (options.help) {
      WriteStandardOutput(out, HelpText());
      return 0;
    }
    if (options.version) {
      WriteStandardOutput(out, std::string("talvex-cli ") + TALVEX_VERSION + "\n");
      return 0;
    }
    if (options.check) return RunCheckCommand(options, out, err);
    return RunAnalysisCommand(options, out, err);
  } catch (const std::exception& e) {
    // Any failure, the program's own or the library's (a thread, a stream),
    // ends with a message and status 1, never with a terminated program.
    ReportFailure(err, e);
    return ExitFailure;
  }
}

}  // namespace talvex
