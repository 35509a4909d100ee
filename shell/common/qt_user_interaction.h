// TQtUserInteraction: the program's dialogs, message boxes and beep, as Qt
// draws them.
#pragma once

#include "shell/common/user_interaction.h"

namespace talvex::desktop {

class TQtUserInteraction : public TUserInteraction {
 public:
  void Beep() override;
  void ShowMessage(TMessageKind kind, const QString& title, const QString& text,
                   TMessageButton button, const QString& detail) override;
  std::optional<QString> ChooseFile(const TFileDialogRequest& request) override;
  std::optional<int> InputNumber(const QString& title, const QString& prompt, int value,
                                 int minimum, int maximum) override;
  std::optional<TTableChoice> ChooseImport(const TImportRequest& request) override;
  void ShowModal(QDialog& dialog) override;
  void OpenUrl(const QUrl& url) override;
};

}  // namespace talvex::desktop
