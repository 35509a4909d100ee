// The --check command of talvex-cli.
#include "cli/check_command.h"

#include "cli/standard_output.h"
#include "input/data_reader.h"

namespace talvex {

int RunCheckCommand(const TCliOptions& options, std::ostream& out) {
  TDataMatrix data;
  ReadDataFile(options.file, data);
  WriteStandardOutput(out, InformationLine(data) + '\n');
  return 0;
}

}  // namespace talvex
