// TBusyCursor: the busy pointer for the length of a scope; a message box
// shown from the scope gets the ordinary pointer back first (Restore).
#pragma once

#include <QApplication>

class TBusyCursor {
 public:
  explicit TBusyCursor(Qt::CursorShape shape = Qt::WaitCursor) {
    QApplication::setOverrideCursor(shape);
  }
  ~TBusyCursor() { Restore(); }
  void Restore() {
    if (active_) QApplication::restoreOverrideCursor();
    active_ = false;
  }
  TBusyCursor(const TBusyCursor&) = delete;
  TBusyCursor& operator=(const TBusyCursor&) = delete;

 private:
  bool active_ = true;
};
