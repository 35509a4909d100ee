// TSupplementaryRowsChoice: the import dialog's choice of the rows placed on
// the axes as supplementary objects instead of entering the analysis, as
// the command line's --supplementary-rows COLUMN=VALUE[,VALUE...] picks
// them: a column that is no variable (the labels, the group, a column
// marked supplementary or left out) and the values whose rows are picked.
// It holds the choice; the dialog tells it the table's columns and the
// chosen column's values, and checks what the choice would leave active.
#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "tables/table_import.h"
#include "talvex/supplementary_sources.h"

class QComboBox;
class QLabel;
class QListWidget;

namespace talvex::desktop {

class TSupplementaryRowsChoice : public QWidget {
  Q_OBJECT
 public:
  explicit TSupplementaryRowsChoice(QWidget* parent = nullptr);

  /// The choice: the column and the values checked; empty while no value is,
  /// and while the table as read does not offer the column.
  talvex::TSupplementaryRows Rows() const;
  /// The column chosen, with or without values; empty while not offered.
  std::string Column() const { return offered_ ? chosen_.column : std::string(); }
  /// Starts from `rows` (remembered for the table).
  void SetRows(const talvex::TSupplementaryRows& rows);

  /// Offers the columns of `report` that rows can be picked by. A chosen
  /// column the table does not offer now is kept for when it is read so
  /// again (with its header, say), but picks nothing meanwhile.
  void SetColumns(const talvex::TImportReport& report);
  /// Offers `values` of the chosen column; those chosen stay checked, a
  /// chosen value the column no longer has is dropped.
  void SetValues(const std::vector<std::string>& values);

  /// The parts, for the program's tests and the dialog's layout.
  QComboBox& ColumnBox() const noexcept { return *column_; }
  QListWidget& ValueList() const noexcept { return *values_; }
  /// The column box's label, for the form the dialog lays it out in.
  QLabel& ColumnLabel() const noexcept { return *columnLabel_; }

 signals:
  /// The user chose another column: its values must be offered.
  void ColumnChanged();
  /// The user checked or cleared a value.
  void ValuesChanged();

 private:
  void ColumnChosen();
  void ValueToggled();

  talvex::TSupplementaryRows chosen_;  // the values checked, in the list's order
  bool offered_ = false;               // the table as read has the chosen column
  bool updating_ = false;              // lists being filled, not changed by the user
  QLabel* columnLabel_ = nullptr;
  QComboBox* column_ = nullptr;
  QListWidget* values_ = nullptr;
};

}  // namespace talvex::desktop
