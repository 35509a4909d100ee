// TOptionMarks: the check-mark items of the Options menu that hold the
// analysis options: their click rules, their keys in the settings file and
// the options a run is made with.
#pragma once

#include <QAction>
#include <QString>
#include <array>

#include "analysis/analysis_options.h"

class TSettingsFile;

class TOptionMarks {
 public:
  /// Makes the nine checkable items (children of `parent`) with their
  /// captions, object names and default marks.
  explicit TOptionMarks(QObject* parent);

  QAction* MethodCorrelationItem;
  QAction* MethodCovarianceItem;
  QAction* TransformRawItem;
  QAction* TransformDecimalItem;
  QAction* TransformNaturalItem;
  QAction* OptionsJackknifeItem;
  QAction* FactorsAllItem;
  QAction* FactorsKaiserItem;
  QAction* FactorsJoliffeItem;

  /// Reads the nine marks from [Options], each on its own, with its default.
  /// A file that leaves both method items or all transformation items
  /// unmarked is repaired (Correlation Matrix, No Transformation), since a
  /// run needs one of each.
  void ReadSettings(const TSettingsFile& settings);
  /// Writes the nine marks to [Options] as 1 or 0.
  void WriteSettings(TSettingsFile& settings) const;

  /// Unmarks All, Kaiser's Rule and Joliffe's Rule (Factors > Number...).
  void ClearFactorRule();

  /// The options of a run, as the marks stand: Covariance before
  /// Correlation; the first marked transformation; Kaiser, then Joliffe,
  /// then All, else a chosen number of factors.
  talvex::TAnalysisOptions Options() const;

 private:
  struct TKey {
    QAction* TOptionMarks::*item;
    const char* key;
    bool defaultMark;
  };
  static const std::array<TKey, 9> Keys;

  // Method: a click inverts the clicked item and gives the other the
  // opposite mark. Transformation and factor rule: the clicked item becomes
  // the one marked item of its group (also when it was marked already).
  void MethodClick(QAction* clicked, QAction* other);
  void GroupClick(QAction* clicked, std::array<QAction*, 3> group);
  QAction* MakeItem(QObject* parent, const QString& text, const char* name);
};
