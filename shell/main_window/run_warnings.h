// What a completed run did without stopping that the user must hear of,
// gathered for the one warning box the main window shows after a run:
// values that decimal logarithms took as 0 (in the active data and in the
// supplementary objects), and an imputation of missing values that reached
// its iteration limit, in the full sample or in the jackknife's reduced
// samples. The command line prints the same lines to its standard error.
// Beside them, the diagnostics' warnings, which the window's warning line
// points to.
#pragma once

#include <QString>
#include <QStringList>

#include "talvex/talvex.h"

namespace talvex::desktop {

struct TRunWarnings {
  QStringList lines;  // one warning a line, in the order above
  QString detail;     // what they mean for the results shown

  bool Empty() const { return lines.isEmpty(); }
};

TRunWarnings RunWarnings(const talvex::TRunOutcome& outcome);

/// What the diagnostics found, for the main window's warning line: the
/// warnings, and as the detail the line itself ("2 warnings: see the
/// diagnostics").
TRunWarnings DiagnosticsWarnings(const talvex::TRunOutcome& outcome);

}  // namespace talvex::desktop
