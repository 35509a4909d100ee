// The remembered import options and their one-line form.
#include "shell/import/import_memory.h"

#include <QStringList>

#include "shell/settings/settings_file.h"

namespace talvex::desktop {

namespace {

// A field's value, safe from the separators ';', '=', ',' and line ends.
// Byte for byte: the table's names and cells are 8-bit text, not UTF-8.
QString Encode(const std::string& value) {
  return QString::fromLatin1(QByteArray::fromStdString(value).toPercentEncoding());
}

std::string Decode(const QString& text) {
  return QByteArray::fromPercentEncoding(text.toLatin1()).toStdString();
}

QString EncodeList(const std::vector<std::string>& values) {
  QStringList parts;
  for (const std::string& value : values) parts.append(Encode(value));
  return parts.join(u',');
}

std::vector<std::string> DecodeList(const QString& text) {
  std::vector<std::string> values;
  for (const QString& part : text.split(u',')) values.push_back(Decode(part));
  return values;
}

// An entry's stored value: the path, a tab, the options.
constexpr char16_t PathEnd = u'\t';

}  // namespace

QString TImportMemory::ChoiceText(const TTableChoice& choice) {
  const talvex::TImportOptions& options = choice.options;
  QStringList fields;
  if (options.separator) fields.append("separator=" + Encode(std::string(1, *options.separator)));
  if (options.decimalComma) fields.append(QString("decimalComma=%1").arg(*options.decimalComma));
  if (options.header) fields.append(QString("header=%1").arg(*options.header));
  if (!options.sheet.empty()) fields.append("sheet=" + Encode(options.sheet));
  if (!options.labelsColumn.empty()) fields.append("labels=" + Encode(options.labelsColumn));
  if (!options.groupColumn.empty()) fields.append("group=" + Encode(options.groupColumn));
  if (!options.variables.empty()) fields.append("variables=" + EncodeList(options.variables));
  if (options.missing == talvex::TMissingPolicy::Omit) fields.append("missing=omit");
  if (options.missing == talvex::TMissingPolicy::Impute) fields.append("missing=impute");
  fields.append("markers=" + EncodeList(options.missingMarkers));
  if (!choice.rows.Empty()) {
    fields.append("rows=" + Encode(choice.rows.column));
    fields.append("rowValues=" + EncodeList(choice.rows.values));
  }
  return fields.join(u';');
}

TTableChoice TImportMemory::ChoiceFromText(const QString& text) {
  TTableChoice choice;
  talvex::TImportOptions& options = choice.options;
  for (const QString& field : text.split(u';', Qt::SkipEmptyParts)) {
    const qsizetype equals = field.indexOf(u'=');
    if (equals < 0) continue;
    const QString name = field.left(equals);
    const QString value = field.mid(equals + 1);
    if (name == "separator") {
      const std::string separator = Decode(value);
      if (separator.size() == 1) options.separator = separator[0];
    } else if (name == "decimalComma") {
      options.decimalComma = value == "1";
    } else if (name == "header") {
      options.header = value == "1";
    } else if (name == "sheet") {
      options.sheet = Decode(value);
    } else if (name == "labels") {
      options.labelsColumn = Decode(value);
    } else if (name == "group") {
      options.groupColumn = Decode(value);
    } else if (name == "variables") {
      options.variables = DecodeList(value);
    } else if (name == "missing") {
      options.missing = value == "omit"     ? talvex::TMissingPolicy::Omit
                        : value == "impute" ? talvex::TMissingPolicy::Impute
                                            : talvex::TMissingPolicy::Refuse;
    } else if (name == "markers") {
      options.missingMarkers = DecodeList(value);
    } else if (name == "rows") {
      choice.rows.column = Decode(value);
    } else if (name == "rowValues") {
      choice.rows.values = DecodeList(value);
    }
  }
  // Rows are picked by a column and at least one value, or not at all.
  if (choice.rows.column.empty() || choice.rows.values.empty()) choice.rows = {};
  return choice;
}

TTableChoice TImportMemory::Recall(const QString& path) const {
  for (const QString& key : settings_.Keys(Section)) {
    const QString entry = settings_.ReadString(Section, key);
    const qsizetype end = entry.indexOf(PathEnd);
    if (end > 0 && entry.left(end) == path) return ChoiceFromText(entry.mid(end + 1));
  }
  return {};
}

void TImportMemory::Remember(const QString& path, const TTableChoice& choice) {
  // Newest first; the table's earlier entry and the oldest beyond the
  // maximum go.
  QStringList entries{path + PathEnd + ChoiceText(choice)};
  for (const QString& key : settings_.Keys(Section)) {
    const QString entry = settings_.ReadString(Section, key);
    if (entry.section(PathEnd, 0, 0) != path && entries.size() < Maximum) entries.append(entry);
  }
  settings_.EraseSection(Section);
  for (int i = 0; i < entries.size(); ++i)
    settings_.WriteString(Section, QStringLiteral("T%1").arg(i), entries[i]);
}

}  // namespace talvex::desktop
