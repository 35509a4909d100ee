// The import dialog: detection shown, roles and policy chosen, outcome told.
#include "shell/import/import_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "base/exception.h"
#include "drawing/eight_bit_qstring.h"
#include "shell/import/supplementary_rows_choice.h"
#include "tables/table_run_source.h"

namespace talvex::desktop {

namespace {

using talvex::TColumnRole;
using talvex::TImportOptions;
using talvex::TMissingPolicy;

// The roles in the order of the role boxes.
constexpr TColumnRole Roles[] = {TColumnRole::Labels, TColumnRole::Group, TColumnRole::Variable,
                                 TColumnRole::Supplementary, TColumnRole::Ignore};

QString RoleCaption(TColumnRole role) {
  switch (role) {
    case TColumnRole::Labels:
      return QObject::tr("Labels");
    case TColumnRole::Group:
      return QObject::tr("Group");
    case TColumnRole::Variable:
      return QObject::tr("Variable");
    case TColumnRole::Supplementary:
      return QObject::tr("Supplementary");
    default:
      return QObject::tr("Ignore");
  }
}

// The separators the user can choose, as the box lists them.
constexpr char Separators[] = {',', ';', '\t', ' '};

QString SeparatorCaption(char separator) {
  switch (separator) {
    case ',':
      return QObject::tr("Comma");
    case ';':
      return QObject::tr("Semicolon");
    case '\t':
      return QObject::tr("Tab");
    default:
      return QObject::tr("Blanks");
  }
}

// Rows of the preview besides the role row.
constexpr int PreviewRows = 8;

// Markers as the edit shows them: the empty cell always counts and is not
// listed.
QString MarkersText(const std::vector<std::string>& markers) {
  QStringList shown;
  for (const std::string& marker : markers) {
    if (!marker.empty()) shown.append(QString::fromStdString(marker));
  }
  return shown.join(u' ');
}

std::vector<std::string> MarkersFromText(const QString& text) {
  std::vector<std::string> markers{""};
  for (const QString& marker : text.split(u' ', Qt::SkipEmptyParts))
    markers.push_back(marker.toStdString());
  return markers;
}

// The role boxes change only on an explicit choice: the arrow keys move
// between the boxes instead of stepping through the roles (a keyboard user
// crossing the row would otherwise change every role on the way), and the
// wheel scrolls the table. Opening the box (Alt+Down, F4, Space, a click) and
// typing a role's first letter still choose.
class TRoleBoxKeys : public QObject {
 public:
  TRoleBoxKeys(QTableWidget* table, QObject* parent) : QObject(parent), table_(table) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* box = qobject_cast<QComboBox*>(watched);
    if (box == nullptr) return false;
    if (event->type() == QEvent::Wheel) {
      QCoreApplication::sendEvent(table_->viewport(), event);
      return true;
    }
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() & Qt::AltModifier) return false;
    switch (key->key()) {
      case Qt::Key_Left:
      case Qt::Key_Right: {
        const int step = key->key() == Qt::Key_Left ? -1 : 1;
        for (int c = 0; c < table_->columnCount(); ++c) {
          if (table_->cellWidget(0, c) != box) continue;
          if (QWidget* next = table_->cellWidget(0, c + step)) {
            next->setFocus(Qt::TabFocusReason);
            table_->scrollTo(table_->model()->index(0, c + step));
          }
          break;
        }
        return true;
      }
      case Qt::Key_Up:
      case Qt::Key_Down:
      case Qt::Key_PageUp:
      case Qt::Key_PageDown:
      case Qt::Key_Home:
      case Qt::Key_End:
        return true;
      default:
        return false;
    }
  }

 private:
  QTableWidget* table_;
};

std::string ColumnNumber(std::size_t c) { return std::to_string(c + 1); }

// The 0-based column that a role option made by the dialog names, or -1.
long ColumnOf(const std::string& reference) {
  if (reference.empty() || reference == "-") return -1;
  try {
    return std::stol(reference) - 1;
  } catch (const std::exception&) {
    return -1;
  }
}

}  // namespace

TImportDialog::TImportDialog(const QString& title, TImportRunner run, const TTableChoice& initial,
                             QWidget* parent)
    : QDialog(parent), run_(std::move(run)), options_(initial.options) {
  setObjectName(QStringLiteral("ImportDialog"));
  setWindowTitle(title);
  setSizeGripEnabled(true);
  CreateControls();
  rows_->SetRows(initial.rows);
  Refresh();
  IgnoreIdentifiers();
  // As large as its contents ask, but never beyond the screen (at 2x the
  // preview gives way first, and OK stays in reach).
  QSize size = sizeHint().expandedTo(QSize(640, 420));
  if (const QScreen* shown = screen()) size = size.boundedTo(shown->availableGeometry().size());
  resize(size);
}

void TImportDialog::CreateControls() {
  auto* form = new QFormLayout;
  sheet_ = new QComboBox(this);
  sheet_->setObjectName(QStringLiteral("SheetBox"));
  sheetLabel_ = new QLabel(tr("&Sheet:"), this);
  sheetLabel_->setBuddy(sheet_);
  form->addRow(sheetLabel_, sheet_);

  separator_ = new QComboBox(this);
  separator_->setObjectName(QStringLiteral("SeparatorBox"));
  for (char separator : Separators) separator_->addItem(SeparatorCaption(separator));
  separatorLabel_ = new QLabel(tr("Se&parator:"), this);
  separatorLabel_->setBuddy(separator_);
  decimalComma_ = new QCheckBox(tr("&Decimal comma"), this);
  auto* textRow = new QHBoxLayout;
  textRow->addWidget(separator_);
  textRow->addSpacing(12);
  textRow->addWidget(decimalComma_);
  textRow->addStretch();
  form->addRow(separatorLabel_, textRow);

  header_ = new QCheckBox(tr("First row holds the column &names"), this);
  form->addRow(QString(), header_);

  preview_ = new QTableWidget(this);
  preview_->setObjectName(QStringLiteral("Preview"));
  preview_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  preview_->verticalHeader()->setDefaultSectionSize(preview_->fontMetrics().height() + 8);

  missing_ = new QComboBox(this);
  missing_->setObjectName(QStringLiteral("MissingBox"));
  missing_->addItem(tr("Refuse the table"));
  missing_->addItem(tr("Leave out objects with missing values"));
  missing_->addItem(tr("Impute by iterative PCA"));
  auto* missingLabel = new QLabel(tr("&Missing values:"), this);
  missingLabel->setBuddy(missing_);
  markers_ = new QLineEdit(this);
  markers_->setObjectName(QStringLiteral("MarkersEdit"));
  markers_->setToolTip(
      tr("Cell texts that mean a missing value, separated by blanks; "
         "empty cells always do"));
  auto* markersLabel = new QLabel(tr("Missing value ma&rkers:"), this);
  markersLabel->setBuddy(markers_);
  rows_ = new TSupplementaryRowsChoice(this);
  auto* missingForm = new QFormLayout;
  missingForm->addRow(missingLabel, missing_);
  missingForm->addRow(markersLabel, markers_);
  missingForm->addRow(&rows_->ColumnLabel(), rows_);

  note_ = new QLabel(this);
  note_->setObjectName(QStringLiteral("NoteLabel"));
  note_->setWordWrap(true);
  note_->setStyleSheet(QStringLiteral("color: #8a4b00;"));
  note_->hide();

  summary_ = new QLabel(this);
  summary_->setObjectName(QStringLiteral("SummaryLabel"));
  summary_->setWordWrap(true);
  summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(preview_, 1);
  layout->addLayout(missingForm);
  layout->addWidget(note_);
  layout->addWidget(summary_);
  layout->addWidget(buttons_);

  connect(sheet_, &QComboBox::currentIndexChanged, this, &TImportDialog::ShapeChanged);
  connect(separator_, &QComboBox::currentIndexChanged, this, &TImportDialog::ShapeChanged);
  connect(decimalComma_, &QCheckBox::toggled, this, &TImportDialog::ShapeChanged);
  connect(header_, &QCheckBox::toggled, this, &TImportDialog::ShapeChanged);
  connect(missing_, &QComboBox::currentIndexChanged, this, &TImportDialog::MissingChanged);
  connect(markers_, &QLineEdit::editingFinished, this, &TImportDialog::MissingChanged);
  connect(rows_, &TSupplementaryRowsChoice::ColumnChanged, this, &TImportDialog::Refresh);
  connect(rows_, &TSupplementaryRowsChoice::ValuesChanged, this, &TImportDialog::CheckRows);
}

TTableChoice TImportDialog::Choice() const {
  TTableChoice choice(options_);
  choice.rows = rows_->Rows();
  return choice;
}

QComboBox& TImportDialog::RoleBox(int column) const {
  auto* box = qobject_cast<QComboBox*>(preview_->cellWidget(0, column));
  Q_ASSERT(box != nullptr);
  return *box;
}

void TImportDialog::Refresh() {
  report_ = talvex::TImportReport();
  pickData_.reset();
  talvex::TDataMatrix data;
  try {
    data = run_(options_, &report_);
    summaryText_ = QString::fromStdString(report_.Summary());
    ShowOutcome(true, summaryText_);
  } catch (const talvex::Exception& e) {
    summaryText_ = QString::fromStdString(e.Message());
    if (!e.Detail().empty()) summaryText_ += u'\n' + QString::fromStdString(e.Detail());
    ShowOutcome(false, summaryText_);
  } catch (const std::exception& e) {
    summaryText_ = QString::fromLocal8Bit(e.what());
    ShowOutcome(false, summaryText_);
  }
  ShowDetected();
  ShowPreview();
  rows_->SetColumns(report_);
  if (loadable_) ReadPickColumn(std::move(data));
  CheckRows();
}

void TImportDialog::ShowOutcome(bool loadable, const QString& text) {
  loadable_ = loadable;
  summary_->setText(text);
  // A refusal is shown as such, not as a result to accept.
  summary_->setStyleSheet(loadable ? QString() : QStringLiteral("color: #b00020;"));
  buttons_->button(QDialogButtonBox::Ok)->setEnabled(loadable);
}

void TImportDialog::ReadPickColumn(talvex::TDataMatrix data) {
  const std::string& column = rows_->Column();
  if (column.empty()) {
    rows_->SetValues({});
    return;
  }
  // A column that is no part of the data is read beside them, as the
  // loader will read it.
  if (const auto again = talvex::PickColumnReading(options_, report_, column)) {
    try {
      data = run_(*again, nullptr);
    } catch (const talvex::Exception& e) {
      ShowOutcome(false, drawing::FromEightBit(e.Message() + "\n" + e.Detail()).trimmed());
      return;
    } catch (const std::exception& e) {
      ShowOutcome(false, QString::fromLocal8Bit(e.what()));
      return;
    }
  }
  const talvex::TRunSource source = talvex::TableRunSource({}, options_, report_);
  rows_->SetValues(
      talvex::PickableValues(data, source.hasLabels ? source.labels.name : std::string(), column));
  pickData_ = std::move(data);
}

void TImportDialog::CheckRows() {
  if (!pickData_) return;
  const talvex::TSupplementaryRows rows = rows_->Rows();
  if (rows.Empty()) {
    ShowOutcome(true, summaryText_);
    return;
  }
  talvex::TRunData run;
  try {
    run.matrix = *pickData_;
    run.source = talvex::TableRunSource({}, options_, report_);
    talvex::PickSupplementaryRows(run, rows);
  } catch (const talvex::Exception& e) {
    ShowOutcome(false, drawing::FromEightBit(e.Message()) + u'\n' +
                           tr("Supplementary rows: %1").arg(drawing::FromEightBit(e.Detail())));
    return;
  } catch (const std::exception& e) {
    ShowOutcome(false, QString::fromLocal8Bit(e.what()));
    return;
  }
  const std::size_t picked = run.supplementary.objects.labels.size();
  const QString objects = picked == 1 ? tr("1 object") : tr("%1 objects").arg(picked);
  ShowOutcome(true, summaryText_ + u'\n' +
                        tr("Supplementary rows: %1 placed on the axes, %2 active")
                            .arg(objects)
                            .arg(run.matrix.objectCount));
}

void TImportDialog::ShowDetected() {
  updating_ = true;
  const bool workbook = !report_.sheetNames.empty();
  sheet_->clear();
  for (const std::string& name : report_.sheetNames) sheet_->addItem(drawing::FromEightBit(name));
  const auto sheetIt =
      std::find(report_.sheetNames.begin(), report_.sheetNames.end(), report_.sheet);
  if (sheetIt != report_.sheetNames.end())
    sheet_->setCurrentIndex(int(sheetIt - report_.sheetNames.begin()));
  sheet_->setVisible(workbook);
  sheetLabel_->setVisible(workbook);
  const bool text = !workbook;
  separator_->setVisible(text);
  separatorLabel_->setVisible(text);
  decimalComma_->setVisible(text);
  const char* found = std::find(std::begin(Separators), std::end(Separators), report_.separator);
  if (found != std::end(Separators)) separator_->setCurrentIndex(int(found - Separators));
  decimalComma_->setChecked(report_.decimalComma);
  header_->setChecked(report_.header);
  missing_->setCurrentIndex(options_.missing == TMissingPolicy::Impute ? 2
                            : options_.missing == TMissingPolicy::Omit ? 1
                                                                       : 0);
  markers_->setText(MarkersText(options_.missingMarkers));
  updating_ = false;
}

void TImportDialog::ShowPreview() {
  updating_ = true;
  const int columns = int(report_.columns.size());
  // The header row names the columns above; the rows below are data.
  const std::size_t first = report_.header && !report_.preview.empty() ? 1 : 0;
  const int rows = int(std::min<std::size_t>(report_.preview.size() - first, PreviewRows));
  preview_->clear();
  auto* roleKeys = new TRoleBoxKeys(preview_, preview_);
  preview_->setColumnCount(columns);
  preview_->setRowCount(1 + rows);
  QStringList headings;
  for (const talvex::TImportColumn& column : report_.columns)
    headings.append(drawing::FromEightBit(column.name));
  preview_->setHorizontalHeaderLabels(headings);
  QStringList rowHeadings{tr("Role")};
  for (int r = 1; r <= rows; ++r) rowHeadings.append(QString::number(r));
  preview_->setVerticalHeaderLabels(rowHeadings);
  for (int c = 0; c < columns; ++c) {
    auto* box = new QComboBox(preview_);
    box->setObjectName(QStringLiteral("RoleBox%1").arg(c + 1));
    box->installEventFilter(roleKeys);
    const TColumnRole shown = ShownRole(std::size_t(c));
    for (TColumnRole role : Roles) {
      // A text column can only name or group the objects (or keep the role
      // chosen for it while the table is refused).
      const bool offered = report_.columns[c].numeric || role == TColumnRole::Labels ||
                           role == TColumnRole::Group || role == TColumnRole::Ignore ||
                           role == TColumnRole::Supplementary || role == shown;
      if (offered) box->addItem(RoleCaption(role), int(role));
    }
    box->setCurrentIndex(std::max(0, box->findData(int(shown))));
    connect(box, &QComboBox::currentIndexChanged, this, &TImportDialog::RolesChanged);
    preview_->setCellWidget(0, c, box);
    for (int r = 0; r < rows; ++r) {
      const std::vector<std::string>& cells = report_.preview[first + std::size_t(r)];
      const QString text =
          std::size_t(c) < cells.size() ? drawing::FromEightBit(cells[std::size_t(c)]) : QString();
      preview_->setItem(r + 1, c, new QTableWidgetItem(text));
    }
  }
  preview_->resizeColumnsToContents();
  updating_ = false;
}

bool TImportDialog::RolesChosen() const {
  return !options_.labelsColumn.empty() || !options_.groupColumn.empty() ||
         !options_.variables.empty() || !options_.supplementaryColumns.empty();
}

TColumnRole TImportDialog::ShownRole(std::size_t c) const {
  if (!RolesChosen()) return report_.columns[c].role;
  const long column = long(c);
  if (ColumnOf(options_.labelsColumn) == column) return TColumnRole::Labels;
  if (ColumnOf(options_.groupColumn) == column) return TColumnRole::Group;
  for (const std::string& variable : options_.variables) {
    if (ColumnOf(variable) == column) return TColumnRole::Variable;
  }
  for (const std::string& supplementary : options_.supplementaryColumns) {
    if (ColumnOf(supplementary) == column) return TColumnRole::Supplementary;
  }
  // A role option left empty is detected; it is the report's.
  const TColumnRole detected = report_.columns[c].role;
  if (options_.labelsColumn.empty() && detected == TColumnRole::Labels) return detected;
  if (options_.groupColumn.empty() && detected == TColumnRole::Group) return detected;
  if (options_.variables.empty() && detected == TColumnRole::Variable) return detected;
  return TColumnRole::Ignore;
}

void TImportDialog::SetRoles(const std::vector<TColumnRole>& roles) {
  // The columns are named by number: names may repeat or be empty.
  options_.labelsColumn = "-";
  options_.groupColumn = "-";
  options_.variables.clear();
  options_.supplementaryColumns.clear();
  for (std::size_t c = 0; c < roles.size(); ++c) {
    if (roles[c] == TColumnRole::Supplementary)
      options_.supplementaryColumns.push_back(ColumnNumber(c));
    if (roles[c] == TColumnRole::Labels) options_.labelsColumn = ColumnNumber(c);
    if (roles[c] == TColumnRole::Group) options_.groupColumn = ColumnNumber(c);
    if (roles[c] == TColumnRole::Variable) options_.variables.push_back(ColumnNumber(c));
  }
}

void TImportDialog::IgnoreIdentifiers() {
  if (RolesChosen() || !loadable_) return;
  std::vector<TColumnRole> roles;
  QStringList ignored;
  bool variableLeft = false;
  for (const talvex::TImportColumn& column : report_.columns) {
    const bool identifier = column.role == TColumnRole::Variable && !column.identifier.empty();
    roles.push_back(identifier ? TColumnRole::Ignore : column.role);
    variableLeft = variableLeft || roles.back() == TColumnRole::Variable;
    if (identifier) {
      ignored.append(
          tr("\"%1\" (%2)")
              .arg(drawing::FromEightBit(column.name), QString::fromStdString(column.identifier)));
    }
  }
  if (ignored.isEmpty() || !variableLeft) return;
  SetRoles(roles);
  Refresh();
  note_->setText(tr("Set to Ignore as identifiers: %1. Choose Variable to analyse them.")
                     .arg(ignored.join(QStringLiteral(", "))));
  note_->show();
}

void TImportDialog::ShapeChanged() {
  if (updating_) return;
  const bool keep = RolesChosen();
  std::vector<std::string> before;
  for (const talvex::TImportColumn& column : report_.columns) before.push_back(column.name);
  const std::string sheetBefore = report_.sheet;
  if (!sheet_->isHidden() && sheet_->currentIndex() >= 0)
    options_.sheet = "#" + std::to_string(sheet_->currentIndex() + 1);
  if (!separator_->isHidden()) {
    options_.separator = Separators[std::max(0, separator_->currentIndex())];
    options_.decimalComma = decimalComma_->isChecked();
  }
  options_.header = header_->isChecked();
  note_->hide();
  if (keep) KeepRoles(before, sheetBefore);
  Refresh();
  if (!keep) IgnoreIdentifiers();
}

void TImportDialog::KeepRoles(const std::vector<std::string>& before,
                              const std::string& sheetBefore) {
  // The columns as the new shape gives them.
  TImportOptions detected = options_;
  detected.labelsColumn.clear();
  detected.groupColumn.clear();
  detected.variables.clear();
  talvex::TImportReport probed;
  try {
    run_(detected, &probed);
  } catch (const std::exception&) {
    // A refused table still reports its columns.
  }
  // The same sheet and number of columns: the same columns, kept by number
  // (a header switched on or off renames them, a decimal mark changes their
  // cells). Another sheet is another table, whatever its width.
  if (probed.columns.size() == before.size() && probed.sheet == sheetBefore) return;
  // Otherwise each chosen column is looked for by its name.
  QStringList dropped;
  const auto find = [&](const std::string& reference) -> std::string {
    const long c = ColumnOf(reference);
    if (c < 0 || std::size_t(c) >= before.size()) return reference;  // "-" or detected
    for (std::size_t k = 0; k < probed.columns.size(); ++k) {
      if (probed.columns[k].name == before[std::size_t(c)]) return ColumnNumber(k);
    }
    dropped.append(drawing::FromEightBit(before[std::size_t(c)]));
    return "-";
  };
  options_.labelsColumn = find(options_.labelsColumn);
  options_.groupColumn = find(options_.groupColumn);
  std::vector<std::string> variables;
  for (const std::string& variable : options_.variables) {
    const std::string found = find(variable);
    if (found != "-") variables.push_back(found);
  }
  options_.variables = std::move(variables);
  if (dropped.isEmpty()) return;
  if (options_.variables.empty()) {
    // Nothing to analyse of the choice: the roles are detected anew.
    options_.labelsColumn.clear();
    options_.groupColumn.clear();
    note_->setText(tr("The roles chosen could not be kept: the table has other columns now "
                      "(%1 not found). The roles are detected again.")
                       .arg(dropped.join(QStringLiteral(", "))));
  } else {
    note_->setText(tr("Not found in the table as it is now read, so their roles were dropped: %1.")
                       .arg(dropped.join(QStringLiteral(", "))));
  }
  note_->show();
}

void TImportDialog::RolesChanged() {
  if (updating_) return;
  std::vector<TColumnRole> roles;
  for (int c = 0; c < preview_->columnCount(); ++c)
    roles.push_back(TColumnRole(RoleBox(c).currentData().toInt()));
  SetRoles(roles);
  if (options_.variables.empty()) {
    // Without a variable there is nothing to analyse; an empty list would
    // mean "every numeric column" to the import.
    pickData_.reset();
    ShowOutcome(false, tr("Choose at least one column as a variable."));
    return;
  }
  Refresh();
}

void TImportDialog::MissingChanged() {
  if (updating_) return;
  const int policy = missing_->currentIndex();
  options_.missing = policy == 2   ? TMissingPolicy::Impute
                     : policy == 1 ? TMissingPolicy::Omit
                                   : TMissingPolicy::Refuse;
  options_.missingMarkers = MarkersFromText(markers_->text());
  Refresh();
  IgnoreIdentifiers();
}

}  // namespace talvex::desktop
