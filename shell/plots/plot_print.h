// A figure on one printed page.
#pragma once

#include "drawing/figure_size.h"

class QPrinter;

namespace talvex::drawing {
class TFigureSource;
}

namespace talvex::desktop {

/// Prints the figure on one page of `printer`: laid out at `size`'s physical
/// size, then scaled as a whole (text too) to fill the printable area with its
/// proportions kept, centred across the page and at its top. Raises
/// talvex::EInOutError when the print job cannot be started.
void PrintFigure(QPrinter& printer, const drawing::TFigureSource& source,
                 const drawing::TFigureSize& size);

}  // namespace talvex::desktop
