// TQtFigureInteraction: a figure's Save As and size dialogs as the user sees
// them, with Qt's file dialog and the figure-size dialog.
#pragma once

#include "shell/figure_interaction.h"

class TQtFigureInteraction final : public TFigureInteraction {
 public:
  bool AskFigureSize(QWidget* parent, TFigureSize& size) override;
  std::optional<TFigureFileChoice> AskFigureFileName(QWidget* parent, const QString& startPath,
                                                     TFigureFormat filter) override;
};
