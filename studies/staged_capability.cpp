#include "studies/staged_capability.hpp"

#include <cmath>
#include <string>

#include "base/runtime_error.hpp"

namespace ascent::studies {

namespace {

/// Payloads bracketed by doubling at most this often: 1000 kg x 2^40 is no vehicle.
constexpr int MOST_DOUBLINGS = 40;
/// [kg] the first step up from a feasible payload, at least.
constexpr double FIRST_STEP = 1000.0;

}  // namespace

CapabilityResult staged_capability(const StagedVehicle& vehicle, double reserve,
                                   const std::function<void(double, const StagedResult&)>& on_flight) {
  if (!(std::isfinite(reserve) && reserve >= 0.0)) {
    throw InputError(ErrorCode::range_check, "the propellant reserve must be a finite mass, 0 kg or more");
  }
  CapabilityResult out;
  StagedPlan plan;
  plan.keep_history = false;
  const auto fly_with = [&](double payload) {
    plan.payload = payload;
    StagedResult flown = fly_staged(vehicle, plan);
    ++out.flights;
    if (on_flight) on_flight(payload, flown);
    return flown;
  };
  const auto enough = [&](const StagedResult& r) {
    return r.in_orbit() && r.remaining_propellant >= reserve;
  };
  const auto keep = [&](double payload, StagedResult&& r) {
    out.feasible = true;
    out.payload = payload;
    out.margin = r.remaining_propellant - reserve;
    out.flight = std::move(r);
  };

  // A bracket [lo, hi]: lo reaches orbit with the reserve, hi does not.
  double lo = 0.0;
  double hi = vehicle.payload;
  StagedResult first = fly_with(hi);
  if (enough(first)) {
    lo = hi;
    keep(lo, std::move(first));
    double step = std::max(FIRST_STEP, 0.1 * lo);
    for (int i = 0;; ++i) {
      if (i == MOST_DOUBLINGS) return out;  // no bound found: the largest tried stands
      hi = lo + step;
      StagedResult r = fly_with(hi);
      if (!enough(r)) break;
      lo = hi;
      keep(lo, std::move(r));
      step *= 2.0;
    }
  } else {
    // Down in doubling steps: a lighter payload may also miss the orbit (an
    // unguided stage overshoots it), so the bracket is searched near the deck's.
    double step = std::max(FIRST_STEP, 0.1 * hi);
    for (;;) {
      lo = std::max(0.0, vehicle.payload - step);
      StagedResult r = fly_with(lo);
      if (enough(r)) {
        keep(lo, std::move(r));
        break;
      }
      if (lo == 0.0) {
        out.flight = std::move(r);
        return out;
      }
      hi = lo;
      step *= 2.0;
    }
  }
  while (hi - lo > CAPABILITY_RESOLUTION) {
    const double mid = 0.5 * (lo + hi);
    StagedResult r = fly_with(mid);
    if (enough(r)) {
      lo = mid;
      keep(mid, std::move(r));
    } else {
      hi = mid;
    }
  }
  return out;
}

}  // namespace ascent::studies
