// The cases of a study on the ordered worker pool, handed on in case order.
#include "studies/ordered_pool.hpp"
#include "studies/study.hpp"

namespace ascent::studies {

std::size_t run_study(const StudySpec& setup, std::uint64_t seed, std::size_t count,
                      unsigned threads, const CaseSink& sink, const StudyProgress& progress,
                      const std::function<bool()>& stop) {
  std::size_t handed = 0;
  return run_in_order<CaseResult>(
      count, threads,
      [&](std::size_t k, const std::stop_token&) { return fly_case(setup, seed, k); },
      [&](CaseResult& result) {
        if (sink) sink(result);
        if (progress) progress(++handed, count);
      },
      stop);
}

}  // namespace ascent::studies
