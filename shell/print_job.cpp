// Starting a print job.
#include "shell/print_job.h"

#include <QPainter>
#include <QPrinter>

#include "base/exception.h"

void BeginPrintJob(QPainter& painter, QPrinter& printer) {
  if (painter.begin(&printer)) return;
  const QString target =
      printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
  throw talvex::EInOutError("Cannot print to " + target.toStdString());
}
