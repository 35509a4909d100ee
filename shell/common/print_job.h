// Starting a print job on the printer the print dialog chose, with the
// failure the user sees when the printer (or the PDF file) cannot be used.
#pragma once

class QPainter;
class QPrinter;

/// Begins painting on `printer`; raises talvex::EInOutError "Cannot print to
/// NAME" (the printer's name, or the output file's) when it cannot.
void BeginPrintJob(QPainter& painter, QPrinter& printer);
