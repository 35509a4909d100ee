// What a plot window's Save As and Copy do with its figure: the dialogs in
// order, the size and the file type remembered in [FigureExport] of the
// settings file, then the file or the clipboard. The window shows what these
// raise in its error box and tells the user of a successful copy.
#pragma once

#include <QString>

class QWidget;

namespace talvex::drawing {
class TFigureSource;
struct TFigureSize;
}  // namespace talvex::drawing

namespace talvex::desktop {

class TPlotInteraction;
class TSettingsFile;

/// The figure size remembered in `settings` (Width, Height, Unit, Dpi of
/// [FigureExport]); 17 x 12 cm at 300 dpi when none, or an unusable one, is
/// stored.
drawing::TFigureSize ReadFigureSize(const TSettingsFile& settings);
/// Remembers `size` in `settings` (the caller saves the file).
void WriteFigureSize(TSettingsFile& settings, const drawing::TFigureSize& size);

/// The size dialog opened on the remembered size; the accepted size is
/// remembered and given in `size`. False, `size` untouched, when the user
/// cancels.
bool AskFigureSize(QWidget* parent, TPlotInteraction& interaction, TSettingsFile& settings,
                   drawing::TFigureSize& size);

/// Save As: the file dialog (in the folder and with the file type used last,
/// the name `baseName`), then the size dialog, then the file, written whole
/// or not at all. A name without extension gets that of the chosen file type.
/// False when the user cancels a dialog. Raises EFigureExport for a name whose
/// extension is not offered (before the size is asked) and
/// talvex::EInOutError when the file cannot be written.
bool AskAndSaveFigure(QWidget* parent, TPlotInteraction& interaction, TSettingsFile& settings,
                      const drawing::TFigureSource& source, const QString& title,
                      const QString& baseName);

/// Copy: the size dialog, then the figure on the clipboard at that size.
/// False when the user cancels.
bool AskAndCopyFigure(QWidget* parent, TPlotInteraction& interaction, TSettingsFile& settings,
                      const drawing::TFigureSource& source, const QString& title);

}  // namespace talvex::desktop
