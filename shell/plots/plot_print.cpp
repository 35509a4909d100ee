// Printing a figure through its TFigureSource.
#include "shell/plots/plot_print.h"

#include <QPainter>
#include <QPrinter>
#include <algorithm>

#include "drawing/figure_export.h"
#include "drawing/figure_source.h"
#include "shell/common/print_job.h"

namespace talvex::desktop {

void PrintFigure(QPrinter& printer, const drawing::TFigureSource& source,
                 const drawing::TFigureSize& size) {
  RequireDrawableSize(size);
  QPainter painter;
  BeginPrintJob(painter, printer);
  // The painter's origin is the printable area's top-left corner.
  const QSizeF printable = printer.pageLayout().paintRectPixels(printer.resolution()).size();
  const QSizeF figure = FigureInches(size) * printer.resolution();
  const double scale =
      std::min(printable.width() / figure.width(), printable.height() / figure.height());
  painter.translate((printable.width() - figure.width() * scale) / 2, 0);
  painter.scale(scale, scale);
  DrawFigureOnWhite(painter, QRectF(QPointF(0, 0), figure), source);
  painter.end();
}

}  // namespace talvex::desktop
