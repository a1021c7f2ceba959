// Ctrl-C during a sweep or a study run from Python: the library's ordered
// pool asks, on the thread that called it, whether to stop; this answers by
// letting Python run its signal handlers (which needs the GIL). Once one
// raised (KeyboardInterrupt), the study stops within a fraction of a second
// and the exception goes on to the caller.
#pragma once

#include <pybind11/pybind11.h>

#include <functional>

namespace ascent::python {

class PythonSignals {
 public:
  /// The stop request to hand to the library, called with the GIL released.
  [[nodiscard]] std::function<bool()> stop() {
    return [this] {
      const pybind11::gil_scoped_acquire python;
      if (PyErr_CheckSignals() != 0) raised_ = true;
      return raised_;
    };
  }
  /// With the GIL held again: throws the exception a signal handler raised.
  void rethrow() const {
    if (raised_) throw pybind11::error_already_set();
  }

 private:
  bool raised_ = false;
};

}  // namespace ascent::python
