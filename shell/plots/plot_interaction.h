// TPlotInteraction: the questions a plot window's Save As and Copy ask the
// user about its figure (which file, which size). The commands ask only
// through this, so that their tests can answer from a script.
#pragma once

#include <QString>
#include <optional>

#include "drawing/figure_export.h"
#include "drawing/figure_size.h"

class QWidget;

namespace talvex::desktop {

/// What the figure's Save As dialog gave back: the name as the user left it
/// and the file type chosen last.
struct TFigureFileChoice {
  QString name;
  drawing::TFigureFormat filter = drawing::TFigureFormat::Png;
};

class TPlotInteraction {
 public:
  virtual ~TPlotInteraction() = default;

  /// The figure-size dialog, opened on `size`; true, with the user's choice
  /// in `size`, when the user accepts it.
  virtual bool AskFigureSize(QWidget* parent, drawing::TFigureSize& size) = 0;
  /// The Save As dialog for a figure, offering FigureFileFilters() with
  /// `filter` preselected and `startPath` filled in; the dialog asks before
  /// an existing file is replaced. Nothing when the user cancels.
  virtual std::optional<TFigureFileChoice> AskFigureFileName(QWidget* parent,
                                                             const QString& startPath,
                                                             drawing::TFigureFormat filter) = 0;
};

}  // namespace talvex::desktop
