// TQtPlotInteraction: a figure's Save As and size dialogs as the user sees
// them, with Qt's file dialog and the figure-size dialog.
#pragma once

#include "shell/plots/plot_interaction.h"

namespace talvex::desktop {

class TQtPlotInteraction final : public TPlotInteraction {
 public:
  bool AskFigureSize(QWidget* parent, drawing::TFigureSize& size) override;
  std::optional<TFigureFileChoice> AskFigureFileName(QWidget* parent, const QString& startPath,
                                                     drawing::TFigureFormat filter) override;
};

}  // namespace talvex::desktop
