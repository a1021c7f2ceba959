// Ctrl-C during work run from Python with the GIL released: the library asks,
// on the thread that called it, whether to stop (the ordered pool of a sweep
// or a study), or calls a check before every flight (a trim and the work built
// on trims); these answer by letting Python run its signal handlers (which
// needs the GIL). Once one raised (KeyboardInterrupt), the work stops within
// a flight or a fraction of a second and the exception goes on to the caller.
#pragma once

#include <pybind11/pybind11.h>

#include <functional>
#include <optional>
#include <utility>

namespace ascent::python {

class PythonSignals {
 public:
  /// The stop request to hand to the library, called with the GIL released.
  [[nodiscard]] std::function<bool()> stop() {
    return [this] { return raised(); };
  }
  /// The check before each flight of a trim (TrimSettings::interruption),
  /// called with the GIL released: throws once a signal handler raised.
  [[nodiscard]] std::function<void()> interruption() {
    return [this] {
      if (raised()) throw Raised{};
    };
  }
  /// With the GIL held again: throws the exception a signal handler raised.
  void rethrow() const {
    if (raised_) throw pybind11::error_already_set();
  }
  /// `work()` with the GIL released, its flights checked by interruption():
  /// KeyboardInterrupt when Ctrl-C came while it ran.
  template <class Work>
  auto released(Work&& work) {
    std::optional<decltype(work())> result;
    try {
      const pybind11::gil_scoped_release flying;
      result.emplace(std::forward<Work>(work)());
    } catch (const Raised&) {
      // The work stopped at its check; the exception is Python's.
    }
    rethrow();
    return std::move(*result);
  }

 private:
  /// Thrown through the library's work from the check.
  struct Raised {};

  bool raised() {
    const pybind11::gil_scoped_acquire python;
    if (PyErr_CheckSignals() != 0) raised_ = true;
    return raised_;
  }

  bool raised_ = false;
};

}  // namespace ascent::python
