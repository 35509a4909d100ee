// Writing, copying and printing the chart.
#include "shell/chart_output.h"

#include <QBuffer>
#include <QChart>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSvgGenerator>

#include "numeric/exception.h"
#include "shell/plot_view.h"
#include "shell/print_job.h"

namespace {
// The screen's pixels, for drawings that keep the chart's on-screen size.
constexpr int ScreenDpi = 96;
}  // namespace

TChartFileFormat ChartFileFormatFor(const QString& fileName) {
  if (fileName.endsWith(QLatin1String(".png"), Qt::CaseInsensitive)) return TChartFileFormat::Png;
  if (fileName.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)) return TChartFileFormat::Svg;
  if (fileName.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) return TChartFileFormat::Pdf;
  return TChartFileFormat::Bitmap;
}

QByteArray ChartFileBytes(TPlotView& view, TChartFileFormat format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  const QRectF area(QPointF(0, 0), view.size());
  switch (format) {
    case TChartFileFormat::Bitmap:
    case TChartFileFormat::Png: {
      const char* kind = format == TChartFileFormat::Png ? "PNG" : "BMP";
      if (!view.RenderBitmap().save(&buffer, kind))
        throw talvex::EInOutError("Cannot make the chart's image");
      break;
    }
    case TChartFileFormat::Svg: {
      QSvgGenerator generator;
      generator.setOutputDevice(&buffer);
      generator.setSize(view.size());
      generator.setViewBox(area);
      generator.setResolution(ScreenDpi);
      generator.setTitle(view.chart()->title());
      QPainter painter(&generator);
      painter.fillRect(area, Qt::white);
      view.RenderInto(painter, area);
      break;
    }
    case TChartFileFormat::Pdf: {
      QPdfWriter writer(&buffer);
      writer.setResolution(ScreenDpi);
      writer.setPageMargins(QMarginsF(0, 0, 0, 0));
      writer.setPageSize(QPageSize(area.size() * 72.0 / ScreenDpi, QPageSize::Point, QString(),
                                   QPageSize::ExactMatch));
      writer.setTitle(view.chart()->title());
      QPainter painter(&writer);
      painter.fillRect(area, Qt::white);
      view.RenderInto(painter, area);
      break;
    }
  }
  return bytes;
}

void PrintChart(QPrinter& printer, TPlotView& view) {
  QPainter painter;
  BeginPrintJob(painter, printer);
  const QRect area = printer.pageLayout().paintRectPixels(printer.resolution());
  view.RenderInto(painter, QRectF(0, 0, area.width(), area.height()));
  painter.end();
}
