// libFuzzer target of talvex-cli's option parsing: the input, split at NUL
// bytes, is the argument list. A parse either raises ECliUsage or returns
// options that keep the parser's promises.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/cli_options.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> arguments(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      arguments.emplace_back();
    } else {
      arguments.back() += char(data[i]);
    }
  }
  try {
    const talvex::TCliOptions options = talvex::ParseCliOptions(arguments);
    Require(!options.check ||
            (options.report.empty() && options.scores.empty() && options.vectors.empty()));
    Require(!options.threads || (*options.threads >= 1 && *options.threads <= 1024));
    Require(!options.factors || *options.factors >= 1);
    // "--variables -" would leave nothing to analyse; a data-matrix file is
    // never saved under a table's or an export's name.
    Require(options.table.variables != std::vector<std::string>{"-"});
    for (const char* other : {".xlsx", ".ods", ".csv", ".json"}) {
      const std::string& name = options.saveData;
      Require(name.size() < 5 ||
              name.compare(name.size() - std::string(other).size(), std::string::npos, other) != 0);
    }
  } catch (const talvex::ECliUsage& e) {
    Require(!e.Message().empty());
  }
  return 0;
}
