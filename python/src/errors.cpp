#include <exception>

#include "base/runtime_error.hpp"
#include "bindings.hpp"

namespace py = pybind11;

namespace ascent::python {

namespace {

py::object builtin(PyObject* exception) {
  return py::reinterpret_borrow<py::object>(exception);
}

/// The Python exception class of a failure of the library, by its kind.
py::object exception_for(const RuntimeError& failure) {
  switch (failure.kind()) {
    case ErrorKind::bad_input:
      return builtin(PyExc_ValueError);  // a deck or a set: "file:line:column: why"
    case ErrorKind::file:
      switch (static_cast<ErrorCode>(failure.code())) {
        case ErrorCode::file_not_found:
        case ErrorCode::path_not_found:
          return builtin(PyExc_FileNotFoundError);
        case ErrorCode::access_denied:
          return builtin(PyExc_PermissionError);
        default:
          return builtin(PyExc_OSError);
      }
    case ErrorKind::flight:
      break;
  }
  return py::module_::import("ascent._ascent").attr("FlightError");
}

}  // namespace

void bind_errors(py::module_& m) {
  m.attr("FlightError") = py::reinterpret_steal<py::object>(PyErr_NewExceptionWithDoc(
      "ascent.FlightError",
      "A flight that cannot be flown: its thrust history ends or fails before booster "
      "separation. The message is the library's.",
      PyExc_RuntimeError, nullptr));
  py::register_exception_translator([](std::exception_ptr failure) {
    try {
      if (failure) std::rethrow_exception(failure);
    } catch (const RuntimeError& error) {
      PyErr_SetString(exception_for(error).ptr(), error.what());
    }
  });
}

}  // namespace ascent::python
