// The chart leaving the screen: as a file (a bitmap, and PNG, SVG or PDF when
// the name asks for one), on the clipboard and on the printer.
#pragma once

#include <QByteArray>
#include <QString>

class QPrinter;
class TPlotView;

enum class TChartFileFormat { Bitmap, Png, Svg, Pdf };

/// The format for a chosen file name: PNG, SVG or PDF by the name's ending
/// (any case); any other name gets a Windows bitmap.
TChartFileFormat ChartFileFormatFor(const QString& fileName);

/// The file's bytes: the raster formats at the chart's on-screen size, SVG
/// and PDF as drawings of the same size.
QByteArray ChartFileBytes(TPlotView& view, TChartFileFormat format);

/// Prints the chart on one page of `printer`, scaled to the printable area.
/// Raises talvex::EInOutError when the print job cannot be started.
void PrintChart(QPrinter& printer, TPlotView& view);
