// ExecMessageBox: the program's message boxes as Qt draws them, shared by the
// main window and the report window.
#pragma once

#include <QMessageBox>
#include <QString>

/// Shows a modal box with one button. `detail`, when not empty, stands below
/// the text. The box is never narrower than its title needs, so a short text
/// ("File error") does not cut the title off.
void ExecMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                    const QString& text, const QString& detail,
                    QMessageBox::StandardButton button = QMessageBox::Ok);
