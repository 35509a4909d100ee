// TImportDialog: how a table becomes the data set. It shows the first rows,
// what was detected (sheet, separator, decimal mark, header) and each
// column's role, lets the user change any of them, the missing-value policy
// and the rows placed on the axes as supplementary objects, and says at once
// what would be loaded, or why the table would be refused. It only chooses;
// the caller loads with the choice.
#pragma once

#include <QDialog>
#include <functional>
#include <optional>

#include "shell/import/table_choice.h"
#include "tables/table_import.h"

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QTableWidget;

namespace talvex::desktop {

class TSupplementaryRowsChoice;

/// Reads the table with the given options, filling the report even when it
/// refuses the table (as ImportTable and ImportTableText do).
using TImportRunner = std::function<talvex::TDataMatrix(const talvex::TImportOptions& options,
                                                        talvex::TImportReport* report)>;

class TImportDialog : public QDialog {
  Q_OBJECT
 public:
  TImportDialog(const QString& title, TImportRunner run, const TTableChoice& initial,
                QWidget* parent = nullptr);

  /// The options as the dialog now stands.
  const talvex::TImportOptions& Options() const noexcept { return options_; }
  /// The options and the supplementary rows.
  TTableChoice Choice() const;
  /// The report of the last preview, and whether that preview loaded.
  const talvex::TImportReport& Report() const noexcept { return report_; }
  bool Loadable() const noexcept { return loadable_; }

  /// The dialog's parts, for the program's tests.
  QTableWidget& Preview() const noexcept { return *preview_; }
  QComboBox& RoleBox(int column) const;
  QComboBox& SeparatorBox() const noexcept { return *separator_; }
  QComboBox& SheetBox() const noexcept { return *sheet_; }
  QCheckBox& DecimalCommaBox() const noexcept { return *decimalComma_; }
  QCheckBox& HeaderBox() const noexcept { return *header_; }
  QComboBox& MissingBox() const noexcept { return *missing_; }
  QLineEdit& MarkersEdit() const noexcept { return *markers_; }
  TSupplementaryRowsChoice& RowsChoice() const noexcept { return *rows_; }
  QLabel& SummaryLabel() const noexcept { return *summary_; }
  /// What the dialog did of its own: roles kept or dropped when the table's
  /// shape changed, columns set to Ignore as identifiers.
  QLabel& NoteLabel() const noexcept { return *note_; }
  QDialogButtonBox& Buttons() const noexcept { return *buttons_; }

 private:
  void CreateControls();
  /// Runs the import with the current options and shows its outcome.
  void Refresh();
  /// Shows what would be loaded, or why not, and lets OK follow.
  void ShowOutcome(bool loadable, const QString& text);
  /// After a read of `data`: the values of the column rows are picked by,
  /// read beside the data when they are not part of them.
  void ReadPickColumn(talvex::TDataMatrix data);
  /// Says what the rows chosen would leave active, or why they cannot be
  /// picked (too few active objects, a value no row has).
  void CheckRows();
  void ShowDetected();
  void ShowPreview();
  // The handlers: a change of the table's shape keeps the columns' roles
  // wherever the columns are found again.
  void ShapeChanged();
  /// Whether roles were chosen (by the user, or remembered for the table).
  bool RolesChosen() const;
  /// The role the box of column `c` shows: the chosen one, else the detected one.
  talvex::TColumnRole ShownRole(std::size_t c) const;
  /// On first showing a table with detected roles: identifier-like variables
  /// are offered as Ignore, with a note.
  void IgnoreIdentifiers();
  /// Sets the options' roles from `roles`, one per column (by number).
  void SetRoles(const std::vector<talvex::TColumnRole>& roles);
  /// After a change of the table's shape: the chosen roles follow their
  /// columns by name when the columns changed; a role whose column is gone
  /// is dropped, and the note says which.
  void KeepRoles(const std::vector<std::string>& before, const std::string& sheetBefore);
  void RolesChanged();
  void MissingChanged();

  TImportRunner run_;
  talvex::TImportOptions options_;
  talvex::TImportReport report_;
  QString summaryText_;                          // the last read's own summary
  std::optional<talvex::TDataMatrix> pickData_;  // the data with the column rows are picked by
  bool loadable_ = false;
  bool updating_ = false;  // controls being filled from the report, not by the user

  QComboBox* sheet_ = nullptr;
  QLabel* sheetLabel_ = nullptr;
  QComboBox* separator_ = nullptr;
  QLabel* separatorLabel_ = nullptr;
  QCheckBox* decimalComma_ = nullptr;
  QCheckBox* header_ = nullptr;
  QTableWidget* preview_ = nullptr;
  QComboBox* missing_ = nullptr;
  QLineEdit* markers_ = nullptr;
  TSupplementaryRowsChoice* rows_ = nullptr;
  QLabel* summary_ = nullptr;
  QLabel* note_ = nullptr;
  QDialogButtonBox* buttons_ = nullptr;
};

}  // namespace talvex::desktop
