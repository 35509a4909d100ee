// A figure leaving the program: drawn through its TFigureSource at a chosen
// physical size and resolution, as a PNG that carries its DPI, an SVG or a
// PDF file, or as a picture on the clipboard (the printed page is the
// desktop's: shell/plots/plot_print.h). Every output starts from a white
// background and draws the same figure. QtGui only: the command line
// draws its figures with these functions too.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>
#include <memory>

#include "base/exception.h"
#include "drawing/figure_size.h"

class QMimeData;
class QPainter;
class QRectF;

namespace talvex::drawing {

class TFigureSource;

/// The file formats a figure can be saved in, in the order the Save As
/// dialog offers them.
enum class TFigureFormat { Png, Svg, Pdf };

/// A figure that cannot be made as asked: a file name whose extension is not
/// one of the offered formats, or a size out of bounds. Nothing is written.
class EFigureExport : public talvex::Exception {
 public:
  using Exception::Exception;
};

/// The format named by the extension of `fileName` (the text after the last
/// "." of its last component, in any letter case). Raises EFigureExport for
/// any other extension, or none: "Cannot save the figure as NAME: the file
/// name must end in .png, .svg or .pdf".
TFigureFormat FigureFormatOf(const QString& fileName);
/// The format's extension without the dot: "png", "svg", "pdf".
QString FigureFormatExtension(TFigureFormat format);
/// The Save As dialog's filters in TFigureFormat order: "PNG image (*.png)",
/// "SVG drawing (*.svg)", "PDF document (*.pdf)".
QStringList FigureFileFilters();
/// `fileName` with ".EXT" of `format` appended when its last component has
/// no extension; unchanged otherwise (so that a wrong extension is refused,
/// not hidden behind a second one).
QString FigureFileNameWithExtension(const QString& fileName, TFigureFormat format);

/// Raises EFigureExport with FigureSizeProblem's text when it has one.
void RequireDrawableSize(const TFigureSize& size);
/// Antialiased lines and text on a white `area`, then the figure.
void DrawFigureOnWhite(QPainter& painter, const QRectF& area, const TFigureSource& source);

/// The figure as a raster of FigurePixelSize(size) pixels with `size.dpi` in
/// its metadata, whatever the screen's scale. Raises EFigureExport for a
/// size that FigureSizeProblem refuses, talvex::EAllocateFailed when the
/// image cannot be allocated.
QImage RenderFigureImage(const TFigureSource& source, const TFigureSize& size);
/// The bytes of the figure's file: PNG as RenderFigureImage; SVG with the
/// physical size, a view box of FigurePixelSize(size) and the DPI as its
/// resolution; PDF on one page of the figure's size (to the point) with no
/// margins, drawn at the DPI. `title` becomes the file's title.
QByteArray FigureFileBytes(const TFigureSource& source, const TFigureSize& size,
                           TFigureFormat format, const QString& title);
/// Writes the figure to `fileName` in the format its extension names,
/// atomically: a refused name or a failing write leaves no new file and an
/// existing one untouched. Raises EFigureExport (name, size) or
/// talvex::EInOutError ("Cannot create file ...", "Cannot write file ...").
void SaveFigure(const QString& fileName, const TFigureSource& source, const TFigureSize& size,
                const QString& title);

/// The clipboard's content for the figure: the raster (as an image, which
/// the platform offers as PNG and others) and the SVG as image/svg+xml.
std::unique_ptr<QMimeData> FigureMimeData(const TFigureSource& source, const TFigureSize& size,
                                          const QString& title);
/// Puts FigureMimeData on the application's clipboard.
void PutFigureOnClipboard(const TFigureSource& source, const TFigureSize& size,
                          const QString& title);

}  // namespace talvex::drawing
