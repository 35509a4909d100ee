// Printing the report listing line by line.
#include "shell/report/report_print.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "shell/common/print_job.h"

std::vector<TPrintedRun> LayoutListing(const QStringList& lines,
                                       const TListingPageMetrics& metrics) {
  std::vector<TPrintedRun> runs;
  int page = 0;
  int y = 0;
  int x = 0;
  int runX = 0;
  QString run;
  const auto flush = [&] {
    if (!run.isEmpty()) runs.push_back({page, runX, y, run});
    run.clear();
  };
  const auto newLine = [&] {
    flush();
    y += metrics.linePitch;
    if (metrics.pageHeight - y < 2 * metrics.linePitch) {
      ++page;
      y = 0;
    }
    x = 0;
    runX = 0;
  };
  for (const QString& line : lines) {
    for (const QChar c : line) {
      if (c == QLatin1Char('\t')) {
        flush();
        const int tab = metrics.tabWidth > 0 ? metrics.tabWidth : 1;
        x = (x / tab + 1) * tab;
        if (x >= metrics.pageWidth) newLine();
        runX = x;
        continue;
      }
      const int width = metrics.charWidth(c);
      // Break at the last character that fits; a character wider than the
      // whole page still goes on a line of its own rather than looping.
      if (x > 0 && x + width > metrics.pageWidth) newLine();
      if (run.isEmpty()) runX = x;
      run += c;
      x += width;
    }
    newLine();
  }
  return runs;
}

int PrinterFontPointSize(int viewPointSize, int screenW, int printerW) {
  if (printerW <= screenW || printerW <= 0) return viewPointSize;
  const double ratio = double(screenW) / double(printerW);
  const int n = int(std::nearbyint(viewPointSize * ratio));  // ties to even
  return std::max(1, viewPointSize + n - 1);
}

void PrintListing(QPrinter& printer, const QFont& viewFont, const QWidget& window,
                  const QStringList& lines) {
  int viewPointSize = viewFont.pointSize();
  if (viewPointSize <= 0)
    viewPointSize = std::max(1, qRound(viewFont.pixelSize() * 72.0 / window.logicalDpiY()));

  QPainter painter;
  BeginPrintJob(painter, printer);
  QFont printerFont = viewFont;
  printerFont.setPointSize(viewPointSize);
  const int screenW = QFontMetrics(window.font(), &window).horizontalAdvance(QLatin1Char('W'));
  const int printerW = QFontMetrics(printerFont, &printer).horizontalAdvance(QLatin1Char('W'));
  printerFont.setPointSize(PrinterFontPointSize(viewPointSize, screenW, printerW));
  painter.setFont(printerFont);
  painter.setPen(Qt::black);

  const QFontMetrics metrics(printerFont, &printer);
  const QRect area = printer.pageLayout().paintRectPixels(printer.resolution());
  TListingPageMetrics page;
  page.pageWidth = area.width();
  page.pageHeight = area.height();
  page.linePitch = metrics.height() + 2;
  page.tabWidth = 8 * metrics.averageCharWidth();
  page.charWidth = [&metrics](QChar c) { return metrics.horizontalAdvance(c); };

  int currentPage = 0;
  for (const TPrintedRun& run : LayoutListing(lines, page)) {
    while (currentPage < run.page) {
      printer.newPage();
      ++currentPage;
    }
    painter.drawText(run.x, run.y + metrics.ascent(), run.text);
  }
  painter.end();
}
