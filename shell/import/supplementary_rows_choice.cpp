// The import dialog's choice of supplementary rows.
#include "shell/import/supplementary_rows_choice.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <algorithm>

#include "drawing/eight_bit_qstring.h"

namespace talvex::desktop {

namespace {

// The column's and the values' own bytes ride with their items: the texts
// shown are decoded, the choice keeps what the table holds.
QVariant Bytes(const std::string& text) { return QByteArray::fromStdString(text); }

std::string BytesOf(const QVariant& data) { return data.toByteArray().toStdString(); }

// Rows are picked by a column the analysis does not use.
QString ColumnCaption(const talvex::TImportColumn& column) {
  const QString name = drawing::FromEightBit(column.name);
  switch (column.role) {
    case talvex::TColumnRole::Labels:
      return TSupplementaryRowsChoice::tr("%1 (labels)").arg(name);
    case talvex::TColumnRole::Group:
      return TSupplementaryRowsChoice::tr("%1 (group)").arg(name);
    default:
      return name;
  }
}

}  // namespace

TSupplementaryRowsChoice::TSupplementaryRowsChoice(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("SupplementaryRowsChoice"));
  column_ = new QComboBox(this);
  column_->setObjectName(QStringLiteral("SupplementaryRowsColumnBox"));
  column_->setToolTip(
      tr("Rows whose value in this column is checked are placed on the axes as supplementary "
         "objects: they take no part in the analysis"));
  columnLabel_ = new QLabel(tr("Supplementary r&ows by:"), this);
  columnLabel_->setBuddy(column_);
  values_ = new QListWidget(this);
  values_->setObjectName(QStringLiteral("SupplementaryRowsValueList"));
  // A few lines, enough to see that the list scrolls.
  values_->setMaximumHeight(values_->fontMetrics().height() * 4 + 8);
  auto* valuesLabel = new QLabel(tr("&Values:"), this);
  valuesLabel->setBuddy(values_);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(column_, 0, Qt::AlignTop);
  layout->addSpacing(12);
  layout->addWidget(valuesLabel, 0, Qt::AlignTop);
  layout->addWidget(values_, 1);

  connect(column_, &QComboBox::currentIndexChanged, this, &TSupplementaryRowsChoice::ColumnChosen);
  connect(values_, &QListWidget::itemChanged, this, &TSupplementaryRowsChoice::ValueToggled);
  SetValues({});
}

talvex::TSupplementaryRows TSupplementaryRowsChoice::Rows() const {
  if (!offered_ || chosen_.values.empty()) return {};
  return chosen_;
}

void TSupplementaryRowsChoice::SetRows(const talvex::TSupplementaryRows& rows) {
  chosen_ = rows;
  if (chosen_.column.empty()) chosen_.values.clear();
}

void TSupplementaryRowsChoice::SetColumns(const talvex::TImportReport& report) {
  updating_ = true;
  column_->clear();
  column_->addItem(tr("(none)"), Bytes(std::string()));
  for (const talvex::TImportColumn& column : report.columns) {
    if (column.role == talvex::TColumnRole::Variable) continue;
    column_->addItem(ColumnCaption(column), Bytes(column.name));
  }
  const int found = chosen_.column.empty() ? -1 : column_->findData(Bytes(chosen_.column));
  offered_ = found > 0;
  column_->setCurrentIndex(std::max(found, 0));
  column_->setEnabled(column_->count() > 1);
  updating_ = false;
}

void TSupplementaryRowsChoice::SetValues(const std::vector<std::string>& values) {
  updating_ = true;
  // The values of a column not offered now wait for it.
  if (!offered_) {
    values_->clear();
    values_->setEnabled(false);
    updating_ = false;
    return;
  }
  values_->clear();
  std::vector<std::string> kept;
  for (const std::string& value : values) {
    auto* item = new QListWidgetItem(drawing::FromEightBit(value), values_);
    item->setData(Qt::UserRole, Bytes(value));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
    const bool checked =
        std::find(chosen_.values.begin(), chosen_.values.end(), value) != chosen_.values.end();
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    if (checked) kept.push_back(value);
  }
  chosen_.values = std::move(kept);
  values_->setEnabled(!values.empty());
  updating_ = false;
}

void TSupplementaryRowsChoice::ColumnChosen() {
  if (updating_) return;
  chosen_.column = BytesOf(column_->currentData());
  chosen_.values.clear();
  offered_ = !chosen_.column.empty();
  emit ColumnChanged();
}

void TSupplementaryRowsChoice::ValueToggled() {
  if (updating_) return;
  chosen_.values.clear();
  for (int r = 0; r < values_->count(); ++r) {
    const QListWidgetItem* item = values_->item(r);
    if (item->checkState() == Qt::Checked)
      chosen_.values.push_back(BytesOf(item->data(Qt::UserRole)));
  }
  emit ValuesChanged();
}

}  // namespace talvex::desktop
