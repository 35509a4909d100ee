// TUserInteraction: every way the main window talks to the user outside its
// own widgets (file dialogs, message boxes, the input box, the beep, modal
// windows, opening links). The program uses the Qt implementation; tests
// use a scripted one that records what was shown and answers from a queue.
#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

#include "shell/import/import_dialog.h"

class QDialog;
class QWidget;

namespace talvex::desktop {

/// What a file dialog is asked to be.
struct TFileDialogRequest {
  QString title;
  QStringList filters;                // "Data files (*.nts)", ... in the order shown
  QString defaultSuffix;              // added to a name typed without extension
  QString initialFile;                // the dialog's current file name
  QString directory;                  // where a relative initialFile is; empty: the working folder
  bool save = false;                  // a Save dialog asks before overwriting a file
  QString* selectedFilter = nullptr;  // when given, receives the filter chosen
};

enum class TMessageKind { Error, Warning, Information };

/// What the import dialog is asked to show: the table's name and how to read
/// it with given options (a file or pasted text).
struct TImportRequest {
  QString title;
  TImportRunner run;
  TTableChoice initial;  // remembered for this file, or the defaults
};

/// The one button a message box of this program has.
enum class TMessageButton { Ok, Cancel };

class TUserInteraction {
 public:
  virtual ~TUserInteraction() = default;

  /// The system's error beep.
  virtual void Beep() = 0;
  /// A modal message box with one button. `detail` (the file, the cause),
  /// when not empty, is shown below the text.
  virtual void ShowMessage(TMessageKind kind, const QString& title, const QString& text,
                           TMessageButton button, const QString& detail) = 0;
  /// The chosen file, or nothing when the user cancels. An Open dialog
  /// accepts only existing files in existing folders.
  virtual std::optional<QString> ChooseFile(const TFileDialogRequest& request) = 0;
  /// A whole number from `minimum` to `maximum`, offered as `value`; nothing
  /// when the user cancels.
  virtual std::optional<int> InputNumber(const QString& title, const QString& prompt, int value,
                                         int minimum, int maximum) = 0;
  /// What the user settles on for a table (its import options and its
  /// supplementary rows), or nothing when the user cancels.
  virtual std::optional<TTableChoice> ChooseImport(const TImportRequest& request) = 0;
  /// Shows `dialog` modally and returns when it is closed.
  virtual void ShowModal(QDialog& dialog) = 0;
  /// Hands a link (mailto:, file:) to the desktop.
  virtual void OpenUrl(const QUrl& url) = 0;

  /// The parent of the dialogs this object shows.
  void SetDialogParent(QWidget* parent) { dialogParent_ = parent; }

 protected:
  QWidget* dialogParent_ = nullptr;
};

}  // namespace talvex::desktop
