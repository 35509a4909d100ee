// Printing the report listing: one printed line per listing line at the top
// left of the printable area, in the text view's font; lines wider than the
// page continue on the next printed line, tabs stop every eight average
// character widths, and a page ends two line pitches above its bottom edge.
#pragma once

#include <QFont>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class QPrinter;
class QWidget;

/// One piece of text at its place on a printed page (printer pixels, the
/// top of the line; pages counted from 0).
struct TPrintedRun {
  int page = 0;
  int x = 0;
  int y = 0;
  QString text;
  bool operator==(const TPrintedRun&) const = default;
};

struct TListingPageMetrics {
  int pageWidth = 0;  // printable area, printer pixels
  int pageHeight = 0;
  int linePitch = 0;  // text height + 2
  int tabWidth = 0;   // eight average character widths
  std::function<int(QChar)> charWidth;
};

/// Places `lines` on pages. Cost: one charWidth call per character.
std::vector<TPrintedRun> LayoutListing(const QStringList& lines,
                                       const TListingPageMetrics& metrics);

/// The printer font's point size for a view font of `viewPointSize` points,
/// from the width of "W" on the screen (window font) and on the printer
/// (printer font): s + round-half-even(s * wS / wP) - 1 when the printer's W
/// is wider; otherwise the view's own size.
int PrinterFontPointSize(int viewPointSize, int screenW, int printerW);

/// Prints `lines` on `printer` (already set up by the print dialog) in
/// `viewFont`; `window` supplies the screen measure of "W" in its own font.
/// Raises talvex::EInOutError when the print job cannot be started.
void PrintListing(QPrinter& printer, const QFont& viewFont, const QWidget& window,
                  const QStringList& lines);
