// A figure interaction for tests: answers the Save As dialog and the size
// dialog from queues and records what each was opened with.
#pragma once

#include <deque>
#include <optional>
#include <vector>

#include "shell/plots/plot_interaction.h"

namespace talvex::desktop {

class TScriptedPlotInteraction final : public TPlotInteraction {
 public:
  struct TFileRequest {
    QString startPath;
    drawing::TFigureFormat filter;
  };
  std::deque<TFigureFileChoice> fileAnswers;                    // an empty name = the user cancels
  std::deque<std::optional<drawing::TFigureSize>> sizeAnswers;  // nothing = the user cancels
  std::vector<TFileRequest> fileRequests;
  std::vector<drawing::TFigureSize> sizeRequests;  // the size each size dialog opened on

  bool AskFigureSize(QWidget*, drawing::TFigureSize& size) override {
    sizeRequests.push_back(size);
    if (sizeAnswers.empty()) return false;
    const std::optional<drawing::TFigureSize> answer = sizeAnswers.front();
    sizeAnswers.pop_front();
    if (!answer) return false;
    size = *answer;
    return true;
  }
  std::optional<TFigureFileChoice> AskFigureFileName(QWidget*, const QString& startPath,
                                                     drawing::TFigureFormat filter) override {
    fileRequests.push_back({startPath, filter});
    if (fileAnswers.empty() || fileAnswers.front().name.isEmpty()) {
      if (!fileAnswers.empty()) fileAnswers.pop_front();
      return std::nullopt;
    }
    TFigureFileChoice answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
  }
};

}  // namespace talvex::desktop
