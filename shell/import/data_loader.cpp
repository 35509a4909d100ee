// The load paths: files, tables and pasted text.
#include "shell/import/data_loader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <optional>

#include "input/data_refused.h"
#include "shell/common/busy_cursor.h"
#include "shell/common/error_report.h"
#include "shell/common/user_interaction.h"
#include "shell/common/user_messages.h"
#include "tables/table_import.h"
#include "tables/table_run_source.h"
#include "talvex/supplementary_sources.h"

namespace talvex::desktop {

namespace {

// The texts are the main window's, where the user meets them.
QString Tr(const char* text) { return QCoreApplication::translate("TMainForm", text); }

}  // namespace

TDataLoader::TDataLoader(talvex::TAnalysisState& state, TSettingsFile& settings,
                         TUserInteraction& interaction, TUserMessages& messages)
    : state_(state), interaction_(interaction), messages_(messages), importMemory_(settings) {}

QString TDataLoader::PastedDataName() { return Tr("Pasted data"); }

bool TDataLoader::LoadFile(const QString& path) {
  const std::string native = QFile::encodeName(path).toStdString();
  const QString absolute = QFileInfo(path).absoluteFilePath();
  const QString file = Tr("File: %1").arg(QDir::toNativeSeparators(absolute));
  if (!talvex::IsTableFile(native)) return LoadWithMessages(file, [&] { state_.LoadFile(native); });

  // A table: its roles are chosen (or confirmed) first; Cancel loads nothing.
  TImportRequest request;
  request.title = Tr("Import %1").arg(QFileInfo(path).fileName());
  request.run = [native](const talvex::TImportOptions& options, talvex::TImportReport* report) {
    return talvex::ImportTable(native, options, report);
  };
  request.initial = importMemory_.Recall(absolute);
  const std::optional<TTableChoice> chosen = interaction_.ChooseImport(request);
  if (!chosen) return false;
  if (!LoadWithMessages(file, [&] { LoadTable(request.run, native, native, *chosen); }))
    return false;
  importMemory_.Remember(absolute, *chosen);
  return true;
}

bool TDataLoader::LoadPasted(const QString& text) {
  if (text.trimmed().isEmpty()) {
    messages_.ShowOwnMessage(
        false, Tr("Information"),
        Tr("The clipboard holds no table. Copy the cells in a spreadsheet first."), true);
    return false;
  }
  const std::string bytes = text.toStdString();
  TImportRequest request;
  request.title = Tr("Paste Data");
  request.run = [bytes](const talvex::TImportOptions& options, talvex::TImportReport* report) {
    return talvex::ImportTableText(bytes, options, report);
  };
  const std::optional<TTableChoice> chosen = interaction_.ChooseImport(request);
  if (!chosen) return false;
  const QString name = PastedDataName();
  return LoadWithMessages(
      name, [&] { LoadTable(request.run, std::string(), name.toStdString(), *chosen); });
}

void TDataLoader::LoadTable(const TImportRunner& read, const std::string& path,
                            const std::string& name, const TTableChoice& choice) {
  talvex::TImportReport report;
  talvex::TDataMatrix data = read(choice.options, &report);
  talvex::TRunSource source = talvex::TableRunSource(path, choice.options, report);
  if (!choice.rows.Empty()) {
    // The column rows are picked by rides beside the data when it is no
    // part of them, as the command line reads it; the runs pick the rows.
    if (const auto again = talvex::PickColumnReading(choice.options, report, choice.rows.column))
      data = read(*again, nullptr);
    source.supplementaryRowsColumn = choice.rows.column;
    source.supplementaryRowsValues = choice.rows.values;
  }
  state_.LoadData(std::move(data), name, std::move(source));
}

bool TDataLoader::LoadWithMessages(const QString& source, const std::function<void()>& load) {
  TBusyCursor busy;
  // The reader's own detail names the file and the place; where it has none,
  // the source is named here.
  const auto detailOr = [&source](const QString& detail) {
    return detail.isEmpty() ? source : detail;
  };
  try {
    load();
  } catch (const talvex::EDataRefused& refused) {
    busy.Restore();
    messages_.ShowOwnMessage(true, Tr("Error"), QString::fromStdString(refused.Message()), false,
                             detailOr(QString::fromStdString(refused.Detail())));
    messages_.ShowOwnMessage(true, Tr("Error"), Tr("File error"), false, source);
    return false;
  } catch (...) {
    busy.Restore();
    TFailureReport failure = DescribeFailure(std::current_exception());
    failure.detail = detailOr(failure.detail);
    messages_.ShowFailure(failure);
    return false;
  }
  return true;
}

}  // namespace talvex::desktop
