// Writing, copying and printing a figure through its TFigureSource.
#include "drawing/figure_export.h"

#include <QBuffer>
#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>

#include "drawing/figure_source.h"
#include "export/atomic_file.h"

namespace talvex::drawing {

namespace {

constexpr double MetresPerInch = 0.0254;
constexpr double PointsPerInch = 72.0;

const QString SvgMimeType = QStringLiteral("image/svg+xml");

struct TFormatName {
  TFigureFormat format;
  const char* extension;
  const char* filter;
};
constexpr TFormatName FormatNames[] = {
    {TFigureFormat::Png, "png", "PNG image (*.png)"},
    {TFigureFormat::Svg, "svg", "SVG drawing (*.svg)"},
    {TFigureFormat::Pdf, "pdf", "PDF document (*.pdf)"},
};

// The extension of the name's last component, or an empty string.
QString ExtensionOf(const QString& fileName) { return QFileInfo(fileName).suffix(); }

}  // namespace

void RequireDrawableSize(const TFigureSize& size) {
  const QString problem = FigureSizeProblem(size);
  if (!problem.isEmpty()) throw EFigureExport(problem.toStdString());
}

// Antialiased lines and text, as on screen; then the white sheet and the figure.
void DrawFigureOnWhite(QPainter& painter, const QRectF& area, const TFigureSource& source) {
  painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                         QPainter::SmoothPixmapTransform);
  painter.fillRect(area, Qt::white);
  source.DrawFigure(painter, area);
}

namespace {

void BeginPainting(QPainter& painter, QPaintDevice& device, const char* what) {
  if (!painter.begin(&device))
    throw talvex::EInOutError(std::string("Cannot draw the figure as ") + what);
}

QByteArray PngBytes(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) throw talvex::EInOutError("Cannot draw the figure as PNG");
  return bytes;
}

QByteArray SvgBytes(const TFigureSource& source, const TFigureSize& size, const QString& title) {
  const QSize pixels = FigurePixelSize(size);
  const QRectF area(QPointF(0, 0), QSizeF(pixels));
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator generator;
  generator.setOutputDevice(&buffer);
  // The width and height attributes come out in millimetres from size and
  // resolution; drawing coordinates are the raster's pixels.
  generator.setSize(pixels);
  generator.setViewBox(area);
  generator.setResolution(size.dpi);
  generator.setTitle(title);
  QPainter painter;
  BeginPainting(painter, generator, "SVG");
  DrawFigureOnWhite(painter, area, source);
  painter.end();
  return bytes;
}

QByteArray PdfBytes(const TFigureSource& source, const TFigureSize& size, const QString& title) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QPdfWriter writer(&buffer);
  writer.setTitle(title);
  writer.setCreator(QStringLiteral("TALVEX"));
  writer.setResolution(size.dpi);
  const QSizeF points = FigureInches(size) * PointsPerInch;
  const QPageSize page(points, QPageSize::Point, QString(), QPageSize::ExactMatch);
  if (!writer.setPageLayout(QPageLayout(page, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0))))
    throw talvex::EInOutError("Cannot draw the figure as PDF");
  // PDF pages are whole points: the figure fills the page it got, which
  // differs from the asked size by less than a point.
  const QSizeF pagePoints = writer.pageLayout().fullRectPoints().size();
  const QRectF area(QPointF(0, 0), pagePoints * (size.dpi / PointsPerInch));
  QPainter painter;
  BeginPainting(painter, writer, "PDF");
  DrawFigureOnWhite(painter, area, source);
  painter.end();
  return bytes;
}

}  // namespace

TFigureFormat FigureFormatOf(const QString& fileName) {
  const QString extension = ExtensionOf(fileName);
  for (const TFormatName& name : FormatNames) {
    if (extension.compare(QLatin1String(name.extension), Qt::CaseInsensitive) == 0)
      return name.format;
  }
  throw EFigureExport("Cannot save the figure as " + fileName.toStdString() +
                      ": the file name must end in .png, .svg or .pdf");
}

QString FigureFormatExtension(TFigureFormat format) {
  for (const TFormatName& name : FormatNames) {
    if (name.format == format) return QLatin1String(name.extension);
  }
  return {};
}

QStringList FigureFileFilters() {
  QStringList filters;
  for (const TFormatName& name : FormatNames) filters.append(QLatin1String(name.filter));
  return filters;
}

QString FigureFileNameWithExtension(const QString& fileName, TFigureFormat format) {
  if (fileName.isEmpty() || !ExtensionOf(fileName).isEmpty()) return fileName;
  return fileName + '.' + FigureFormatExtension(format);
}

QImage RenderFigureImage(const TFigureSource& source, const TFigureSize& size) {
  RequireDrawableSize(size);
  // Opaque: a figure for a paper sits on white, and an RGB PNG is smaller.
  QImage image(FigurePixelSize(size), QImage::Format_RGB32);
  if (image.isNull()) throw talvex::EAllocateFailed();
  // The DPI goes into the PNG and sets the image's logical DPI, which turns
  // the figure's points into pixels; the screen's scale plays no part.
  const int dotsPerMetre = int(std::lround(size.dpi / MetresPerInch));
  image.setDotsPerMeterX(dotsPerMetre);
  image.setDotsPerMeterY(dotsPerMetre);
  QPainter painter;
  BeginPainting(painter, image, "an image");
  DrawFigureOnWhite(painter, QRectF(image.rect()), source);
  painter.end();
  return image;
}

QByteArray FigureFileBytes(const TFigureSource& source, const TFigureSize& size,
                           TFigureFormat format, const QString& title) {
  RequireDrawableSize(size);
  switch (format) {
    case TFigureFormat::Png: {
      QImage image = RenderFigureImage(source, size);
      image.setText(QStringLiteral("Title"), title);
      return PngBytes(image);
    }
    case TFigureFormat::Svg:
      return SvgBytes(source, size, title);
    case TFigureFormat::Pdf:
      return PdfBytes(source, size, title);
  }
  return {};
}

void SaveFigure(const QString& fileName, const TFigureSource& source, const TFigureSize& size,
                const QString& title) {
  const TFigureFormat format = FigureFormatOf(fileName);
  const QByteArray bytes = FigureFileBytes(source, size, format, title);
  talvex::WriteFileAtomically(QFile::encodeName(fileName).toStdString(),
                              std::string_view(bytes.constData(), std::size_t(bytes.size())));
}

std::unique_ptr<QMimeData> FigureMimeData(const TFigureSource& source, const TFigureSize& size,
                                          const QString& title) {
  auto data = std::make_unique<QMimeData>();
  data->setImageData(RenderFigureImage(source, size));
  data->setData(SvgMimeType, SvgBytes(source, size, title));
  return data;
}

void PutFigureOnClipboard(const TFigureSource& source, const TFigureSize& size,
                          const QString& title) {
  QGuiApplication::clipboard()->setMimeData(FigureMimeData(source, size, title).release());
}

}  // namespace talvex::drawing
