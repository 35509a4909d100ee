// A plot window's Save As and Copy of its figure.
#include "shell/plots/plot_commands.h"

#include <QDir>
#include <QFileInfo>

#include "drawing/figure_export.h"
#include "shell/plots/plot_interaction.h"
#include "shell/settings/settings_file.h"

namespace talvex::desktop {

namespace {

const QString Section = QStringLiteral("FigureExport");
const QString WidthKey = QStringLiteral("Width");
const QString HeightKey = QStringLiteral("Height");
const QString UnitKey = QStringLiteral("Unit");
const QString DpiKey = QStringLiteral("Dpi");
const QString FormatKey = QStringLiteral("Format");
const QString FolderKey = QStringLiteral("Folder");

const QString DefaultBaseName = QStringLiteral("figure");

// Lengths in the file are written with a "." whatever the locale, like every
// number the program writes; QString::toDouble reads them so.
QString LengthText(double value) { return QString::number(value, 'g', 12); }

bool ReadLength(const TSettingsFile& settings, const QString& key, double& value) {
  bool ok = false;
  value = settings.ReadString(Section, key).trimmed().toDouble(&ok);
  return ok;
}

drawing::TFigureFormat RememberedFormat(const TSettingsFile& settings) {
  try {
    return drawing::FigureFormatOf(QStringLiteral("figure.") +
                                   settings.ReadString(Section, FormatKey));
  } catch (const drawing::EFigureExport&) {
    return drawing::TFigureFormat::Png;
  }
}

QString StartPath(const TSettingsFile& settings, const QString& baseName) {
  const QString name = baseName.trimmed().isEmpty() ? DefaultBaseName : baseName.trimmed();
  const QString folder = settings.ReadString(Section, FolderKey);
  return folder.isEmpty() ? name : QDir(folder).filePath(name);
}

}  // namespace

drawing::TFigureSize ReadFigureSize(const TSettingsFile& settings) {
  drawing::TFigureSize size;
  if (!ReadLength(settings, WidthKey, size.width) ||
      !ReadLength(settings, HeightKey, size.height) ||
      !LengthUnitFromKey(settings.ReadString(Section, UnitKey), size.unit))
    return {};
  size.dpi = settings.ReadInteger(Section, DpiKey, drawing::TFigureSize().dpi);
  return FigureSizeProblem(size).isEmpty() ? size : drawing::TFigureSize();
}

void WriteFigureSize(TSettingsFile& settings, const drawing::TFigureSize& size) {
  settings.WriteString(Section, WidthKey, LengthText(size.width));
  settings.WriteString(Section, HeightKey, LengthText(size.height));
  settings.WriteString(Section, UnitKey, LengthUnitKey(size.unit));
  settings.WriteInteger(Section, DpiKey, size.dpi);
}

bool AskFigureSize(QWidget* parent, TPlotInteraction& interaction, TSettingsFile& settings,
                   drawing::TFigureSize& size) {
  drawing::TFigureSize chosen = ReadFigureSize(settings);
  if (!interaction.AskFigureSize(parent, chosen)) return false;
  WriteFigureSize(settings, chosen);
  size = chosen;
  return true;
}

bool AskAndSaveFigure(QWidget* parent, TPlotInteraction& interaction, TSettingsFile& settings,
                      const drawing::TFigureSource& source, const QString& title,
                      const QString& baseName) {
  const std::optional<TFigureFileChoice> choice = interaction.AskFigureFileName(
      parent, StartPath(settings, baseName), RememberedFormat(settings));
  if (!choice || choice->name.isEmpty()) return false;
  const QString fileName = FigureFileNameWithExtension(choice->name, choice->filter);
  const drawing::TFigureFormat format = drawing::FigureFormatOf(fileName);
  drawing::TFigureSize size;
  if (!AskFigureSize(parent, interaction, settings, size)) return false;
  SaveFigure(fileName, source, size, title);
  settings.WriteString(Section, FormatKey, FigureFormatExtension(format));
  settings.WriteString(Section, FolderKey, QFileInfo(fileName).absolutePath());
  return true;
}

bool AskAndCopyFigure(QWidget* parent, TPlotInteraction& interaction, TSettingsFile& settings,
                      const drawing::TFigureSource& source, const QString& title) {
  drawing::TFigureSize size;
  if (!AskFigureSize(parent, interaction, settings, size)) return false;
  PutFigureOnClipboard(source, size, title);
  return true;
}

}  // namespace talvex::desktop
