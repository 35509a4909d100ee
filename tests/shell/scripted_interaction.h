// TScriptedInteraction: the user of the tests. It records every beep,
// message box, dialog and link the main window asks for, and answers file
// dialogs and input boxes from queues (an empty queue answers Cancel).
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <deque>
#include <optional>
#include <vector>

#include "shell/common/user_interaction.h"

namespace talvex::desktop {

class TScriptedInteraction : public TUserInteraction {
 public:
  struct TMessage {
    TMessageKind kind;
    QString title;
    QString text;
    TMessageButton button;
    int beepsBefore;  // beeps heard up to the moment the box came up
    QString detail;
  };
  struct TInput {
    QString title;
    QString prompt;
    int value;
    int minimum;
    int maximum;
  };

  void Beep() override { ++beeps; }
  void ShowMessage(TMessageKind kind, const QString& title, const QString& text,
                   TMessageButton button, const QString& detail) override {
    messages.push_back(TMessage{kind, title, text, button, beeps, detail});
  }
  std::optional<QString> ChooseFile(const TFileDialogRequest& request) override {
    fileDialogs.push_back(request);
    if (request.selectedFilter != nullptr) *request.selectedFilter = filterAnswer;
    return Next(fileAnswers);
  }
  std::optional<int> InputNumber(const QString& title, const QString& prompt, int value,
                                 int minimum, int maximum) override {
    inputs.push_back(TInput{title, prompt, value, minimum, maximum});
    if (inputAnswers.empty()) return std::nullopt;
    const std::optional<int> answer = inputAnswers.front();
    inputAnswers.pop_front();
    // A spin box cannot leave its range.
    if (answer) return std::clamp(*answer, minimum, maximum);
    return answer;
  }
  std::optional<TTableChoice> ChooseImport(const TImportRequest& request) override {
    imports.push_back(request);
    if (importAnswers.empty()) return std::nullopt;
    std::optional<TTableChoice> answer = importAnswers.front();
    importAnswers.pop_front();
    return answer;
  }
  void ShowModal(QDialog& dialog) override {
    modals.append(dialog.objectName());
    modalCaptions.append(dialog.windowTitle());
  }
  void OpenUrl(const QUrl& url) override { urls.append(url); }

  /// Forgets what has been shown so far.
  void Reset() {
    beeps = 0;
    messages.clear();
    fileDialogs.clear();
    inputs.clear();
    modals.clear();
    modalCaptions.clear();
    urls.clear();
    imports.clear();
  }

  int beeps = 0;
  std::vector<TMessage> messages;
  std::vector<TFileDialogRequest> fileDialogs;
  std::vector<TInput> inputs;
  QStringList modals;
  QStringList modalCaptions;
  QList<QUrl> urls;
  std::deque<std::optional<QString>> fileAnswers;
  QString filterAnswer;                         // the filter a file dialog reports as chosen
  std::deque<std::optional<int>> inputAnswers;  // nothing = Cancel
  std::vector<TImportRequest> imports;
  std::deque<std::optional<TTableChoice>> importAnswers;  // nothing = Cancel

 private:
  static std::optional<QString> Next(std::deque<std::optional<QString>>& queue) {
    if (queue.empty()) return std::nullopt;
    const bool answered = queue.front().has_value();
    const QString text = answered ? *queue.front() : QString();
    queue.pop_front();
    if (!answered) return std::nullopt;
    return text;
  }
};

}  // namespace talvex::desktop
