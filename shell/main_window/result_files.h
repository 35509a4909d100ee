// TResultFiles: the File menu's saves, each from its dialog to the file
// written whole: the scores or the vector coefficients in the format the
// dialog's filter names, All Results, and the loaded data as a data-matrix
// file. The dialogs start in the data file's folder (anywhere for pasted
// data); the scores and vectors dialog offers the name last chosen.
//
// Messages: those of the exports (export/results_export.h,
// export/labelled_csv.h, export/all_results.h, export/data_matrix_writer.h),
// raised to the caller; "The results hold <k> components. Run the analysis
// again to save <m>." shown for more components than a run computed.
#pragma once

#include <QString>

#include "input/data_matrix.h"
#include "numeric/sizes.h"
#include "talvex/talvex.h"

namespace talvex::desktop {

class TUserInteraction;

class TResultFiles {
 public:
  explicit TResultFiles(TUserInteraction& interaction) : interaction_(interaction) {}

  /// File > Save > Component Scores... (`scores`) or Vector Coefficients...:
  /// the first `factorCount` components of `outcome`. More components than
  /// the run computed are refused with a message, before any dialog.
  void SaveComponents(bool scores, const talvex::TRunOutcome& outcome, talvex::TSize factorCount,
                      const QString& folder);
  /// File > Save > All Results...; the first name offered follows `dataFileName`.
  void SaveAllResults(const talvex::TRunOutcome& outcome, const QString& dataFileName,
                      const QString& folder);
  /// File > Save Data As...
  void SaveData(const talvex::TDataMatrix& data, const QString& dataFileName,
                const QString& folder);

 private:
  TUserInteraction& interaction_;
  QString saveFileName_;  // the scores and vectors dialog's last choice
};

}  // namespace talvex::desktop
