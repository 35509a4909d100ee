// TAboutBox: the program's about box: icon, product name, version, maker and
// a mail link.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class TUserInteraction;

class TAboutBox : public QDialog {
  Q_OBJECT
 public:
  static inline const QString MailAddress = QStringLiteral("talvex@example.org");

  explicit TAboutBox(TUserInteraction& interaction, QWidget* parent = nullptr);

  QLabel* MailLink() const { return mailLink_; }
  QPushButton* OkButton() const { return okButton_; }

 private:
  TUserInteraction& interaction_;
  QLabel* mailLink_;
  QPushButton* okButton_;
};
