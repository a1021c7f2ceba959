#include <exception>

#include "base/runtime_error.hpp"
#include "bindings.hpp"
#include "deck/deck_error.hpp"
#include "studies/dispersion_file.hpp"

namespace py = pybind11;

namespace ascent::python {

namespace {

/// The Python exception class for the library's error `code`.
py::object exception_for(int code) {
  switch (static_cast<ErrorCode>(code)) {
    case ErrorCode::file_not_found:
    case ErrorCode::path_not_found:
      return py::reinterpret_borrow<py::object>(PyExc_FileNotFoundError);
    case ErrorCode::access_denied:
      return py::reinterpret_borrow<py::object>(PyExc_PermissionError);
    case ErrorCode::too_many_open_files:
      return py::reinterpret_borrow<py::object>(PyExc_OSError);
    default:
      // The data read cannot be flown: the flight's own failure.
      return py::module_::import("ascent._ascent").attr("FlightError");
  }
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
      PyErr_SetString(exception_for(error.code()).ptr(), error.what());
    } catch (const DeckError& error) {
      PyErr_SetString(PyExc_ValueError, error.what());  // "file:line:column: why"
    } catch (const dispersion::DispersionFileError& error) {
      PyErr_SetString(PyExc_ValueError, error.what());  // "file:line:column: why"
    }
  });
}

}  // namespace ascent::python
