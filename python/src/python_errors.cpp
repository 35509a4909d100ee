// The core's exceptions turned into the module's.
#include "python_errors.h"

#include <new>
#include <optional>
#include <regex>
#include <string>

#include "analysis/run_observer.h"
#include "base/exception.h"
#include "input/data_refused.h"

namespace talvex::python {

namespace py = pybind11;

namespace {

struct TErrorClasses {
  PyObject* error = nullptr;
  PyObject* data = nullptr;
  PyObject* file = nullptr;
  PyObject* arithmetic = nullptr;
  PyObject* cancelled = nullptr;
};

TErrorClasses classes;

PyObject* NewClass(py::module_& module, const char* name, PyObject* bases, const char* doc) {
  const std::string qualified = std::string("talvex.") + name;
  PyObject* type = PyErr_NewExceptionWithDoc(qualified.c_str(), doc, bases, nullptr);
  if (type == nullptr) throw py::error_already_set();
  module.add_object(name, py::handle(type));
  return type;
}

// The place a detail names: "line 7: ...", "row 4 (data row 4, ...), column
// "SL": ...", "line 5, column 3: ...", "(object 2, variable 1)".
void SetPlace(py::object& instance, const std::string& detail) {
  static const std::regex line(R"(\b(?:line|row) (\d+))");
  static const std::regex numbered(R"(\b(?:column|variable) (\d+))");
  static const std::regex named(R"re(\bcolumn "([^"]*)")re");
  std::smatch match;
  py::object lineNumber = py::none(), column = py::none();
  if (std::regex_search(detail, match, line)) lineNumber = py::int_(std::stoll(match[1]));
  if (std::regex_search(detail, match, numbered)) {
    column = py::int_(std::stoll(match[1]));
  } else if (std::regex_search(detail, match, named)) {
    column = py::str(match[1].str());
  }
  instance.attr("line") = lineNumber;
  instance.attr("column") = column;
}

void Raise(PyObject* type, const std::string& message, const std::string& detail) {
  const std::string text = detail.empty() ? message : message + "\n" + detail;
  py::object instance = py::handle(type)(py::str(text));
  instance.attr("message") = message;
  instance.attr("detail") = detail;
  SetPlace(instance, detail);
  PyErr_SetObject(type, instance.ptr());
}

PyObject* ClassOf(const Exception& e) {
  if (dynamic_cast<const ERunCancelled*>(&e) != nullptr) return classes.cancelled;
  if (dynamic_cast<const EInvalidOp*>(&e) != nullptr ||
      dynamic_cast<const EZeroDivide*>(&e) != nullptr ||
      dynamic_cast<const EOverflow*>(&e) != nullptr)
    return classes.arithmetic;
  if (dynamic_cast<const EInOutError*>(&e) != nullptr) return classes.file;
  if (dynamic_cast<const EDataRefused*>(&e) != nullptr ||
      dynamic_cast<const EConvertError*>(&e) != nullptr)
    return classes.data;
  return classes.error;
}

}  // namespace

void RegisterErrors(py::module_& module) {
  classes.error = NewClass(module, "Error", PyExc_Exception, "A failure of the program.");
  const auto both = [](PyObject* other) {
    return py::make_tuple(py::handle(classes.error), py::handle(other)).release().ptr();
  };
  classes.data =
      NewClass(module, "DataError", both(PyExc_ValueError), "A file or table the program refuses.");
  classes.file =
      NewClass(module, "FileError", both(PyExc_OSError), "A file that cannot be read or written.");
  classes.arithmetic = NewClass(module, "ArithmeticFault", both(PyExc_ArithmeticError),
                                "A floating-point fault of the run.");
  classes.cancelled = NewClass(module, "Cancelled", classes.error, "A run that was stopped.");
  py::register_exception_translator([](std::exception_ptr failure) {
    try {
      if (failure) std::rethrow_exception(failure);
    } catch (const Exception& e) {
      Raise(ClassOf(e), e.Message(), e.Detail());
    } catch (const std::bad_alloc&) {
      Raise(classes.error, EAllocateFailed().Message(), "");
    }
  });
}

}  // namespace talvex::python
