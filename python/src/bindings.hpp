// The parts of the extension module _ascent, each adding its classes and
// functions to the module.
#pragma once

#include <pybind11/pybind11.h>

namespace ascent::python {

/// FlightError, and the translation of the library's failures into Python's
/// exceptions by their kind: bad input is ValueError (a vehicle deck or a
/// dispersion set with its file, line and column), a file that cannot be
/// opened, read or written an OSError (FileNotFoundError when missing,
/// PermissionError), a flight that cannot be flown FlightError (a RuntimeError).
void bind_errors(pybind11::module_& m);
void bind_vehicle(pybind11::module_& m);
void bind_thrust(pybind11::module_& m);
void bind_flight(pybind11::module_& m);
void bind_trim(pybind11::module_& m);
void bind_dispersion(pybind11::module_& m);
void bind_target(pybind11::module_& m);
void bind_optimize(pybind11::module_& m);
void bind_report(pybind11::module_& m);
void bind_export(pybind11::module_& m);
/// StagedVehicle, StagedFlight and fly_staged.
void bind_staged(pybind11::module_& m);
/// optimize_staged: the optimal ascent of a staged vehicle.
void bind_optimal(pybind11::module_& m);
/// COLUMNS (the names of each kind of table, in order) and UNITS (each name's unit).
void bind_columns(pybind11::module_& m);

/// A pandas DataFrame of `columns`, the units of the names it shares with
/// ascent-trim's CSV files in its attrs["units"].
pybind11::object data_frame(const pybind11::dict& columns);

}  // namespace ascent::python
