// The collocation programme of an optimal-control problem as IPOPT asks for
// it: bounds, starting point, the objective, the equations and their sparse
// first and second derivatives, all in scaled variables. The rates' Jacobian
// and Hessian come from differences of the rates at each point alone, so a
// segment's equations touch only its three points and its phase's times.
#pragma once

#include <IpTNLP.hpp>

#include <exception>
#include <functional>
#include <span>
#include <vector>

#include "studies/collocation_layout.hpp"
#include "studies/optimal_control.hpp"

namespace ascent::studies {

class CollocationProgramme : public Ipopt::TNLP {
 public:
  /// `stop` (may be empty) is asked after every iteration.
  CollocationProgramme(const Problem& problem, Solution& solution, std::function<bool()> stop);

  bool get_nlp_info(Ipopt::Index& n, Ipopt::Index& m, Ipopt::Index& nnz_jac_g, Ipopt::Index& nnz_h_lag,
                    IndexStyleEnum& index_style) override;
  bool get_bounds_info(Ipopt::Index n, Ipopt::Number* x_l, Ipopt::Number* x_u, Ipopt::Index m, Ipopt::Number* g_l,
                       Ipopt::Number* g_u) override;
  bool get_starting_point(Ipopt::Index n, bool init_x, Ipopt::Number* x, bool init_z, Ipopt::Number* z_L,
                          Ipopt::Number* z_U, Ipopt::Index m, bool init_lambda, Ipopt::Number* lambda) override;
  bool eval_f(Ipopt::Index n, const Ipopt::Number* x, bool new_x, Ipopt::Number& obj_value) override;
  bool eval_grad_f(Ipopt::Index n, const Ipopt::Number* x, bool new_x, Ipopt::Number* grad_f) override;
  bool eval_g(Ipopt::Index n, const Ipopt::Number* x, bool new_x, Ipopt::Index m, Ipopt::Number* g) override;
  bool eval_jac_g(Ipopt::Index n, const Ipopt::Number* x, bool new_x, Ipopt::Index m, Ipopt::Index nele_jac,
                  Ipopt::Index* iRow, Ipopt::Index* jCol, Ipopt::Number* values) override;
  bool eval_h(Ipopt::Index n, const Ipopt::Number* x, bool new_x, Ipopt::Number obj_factor, Ipopt::Index m,
              const Ipopt::Number* lambda, bool new_lambda, Ipopt::Index nele_hess, Ipopt::Index* iRow,
              Ipopt::Index* jCol, Ipopt::Number* values) override;
  void finalize_solution(Ipopt::SolverReturn status, Ipopt::Index n, const Ipopt::Number* x,
                         const Ipopt::Number* z_L, const Ipopt::Number* z_U, Ipopt::Index m,
                         const Ipopt::Number* g, const Ipopt::Number* lambda, Ipopt::Number obj_value,
                         const Ipopt::IpoptData* ip_data, Ipopt::IpoptCalculatedQuantities* ip_cq) override;
  bool intermediate_callback(Ipopt::AlgorithmMode mode, Ipopt::Index iter, Ipopt::Number obj_value,
                             Ipopt::Number inf_pr, Ipopt::Number inf_du, Ipopt::Number mu, Ipopt::Number d_norm,
                             Ipopt::Number regularization_size, Ipopt::Number alpha_du, Ipopt::Number alpha_pr,
                             Ipopt::Index ls_trials, const Ipopt::IpoptData* ip_data,
                             Ipopt::IpoptCalculatedQuantities* ip_cq) override;

  /// An exception a callback of the problem threw; the solve stopped on it.
  [[nodiscard]] std::exception_ptr failure() const { return failure_; }

 private:
  void unscale(const Ipopt::Number* x);
  void accept(const Ipopt::Number* x, bool new_x);
  void evaluate_rates(const Ipopt::Number* x, bool new_x);
  void evaluate_jacobians(const Ipopt::Number* x, bool new_x);
  [[nodiscard]] double time(int phase, int point) const;
  [[nodiscard]] std::size_t at(int phase, int point) const;
  [[nodiscard]] double terminal_value(const Terminal& value, std::span<const double> final_point) const;
  void final_arguments(std::vector<double>& arguments) const;
  /// The function of a point's state and control as a function of the point's variables.
  [[nodiscard]] std::function<double(std::span<const double>)> point_function(const PointFunction& value) const;
  template <class Evaluation>
  bool guarded(Evaluation&& evaluation);

  const Problem& problem_;
  Solution& solution_;
  CollocationLayout layout_;
  int states_;
  int point_size_;
  std::vector<double> variable_scale_;  ///< physical value = scaled value x scale
  std::vector<double> physical_;        ///< the variables in physical units
  std::vector<std::size_t> first_point_; ///< index of each phase's first point among all points
  std::vector<double> rates_;           ///< states values at each point
  std::vector<double> jacobians_;       ///< states x point_size at each point
  bool unscaled_ = false;  ///< physical_ holds the current point
  bool rates_valid_ = false;
  bool jacobians_valid_ = false;
  std::exception_ptr failure_;
  std::function<bool()> stop_;
};

}  // namespace ascent::studies
