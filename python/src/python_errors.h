// The program's exceptions as Python exceptions. Every one derives from
// talvex.Error and carries the program's message (`message`), what the
// program knows of the place (`detail`, e.g. "line 7: value 5 (object 2,
// variable 1)") and, where the detail names them, `line` (a file's line or
// a table's row) and `column` (a number, or a column's heading):
//
//   Error                   any failure of the program
//     DataError             a file or table the program refuses (ValueError too)
//     FileError             a file that cannot be read or written (OSError too)
//     ArithmeticFault       a floating-point fault of the run (ArithmeticError too)
//     Cancelled             a run stopped by its observer
#pragma once

#include <pybind11/pybind11.h>

namespace talvex::python {

/// Makes the classes in `module` and turns the core's exceptions into them.
void RegisterErrors(pybind11::module_& module);

}  // namespace talvex::python
