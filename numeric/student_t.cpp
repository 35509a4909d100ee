// Student's t through Boost.Math, whose incomplete beta function keeps its
// relative accuracy in the far tail.
#include "numeric/student_t.h"

#include <boost/math/distributions/students_t.hpp>
#include <cfenv>
#include <cmath>
#include <exception>
#include <string>

#include "base/exception.h"

namespace talvex {

namespace {

// Errors come back as exceptions of ours (checked before the call), never
// as errno or a Boost exception halfway through a table.
using TPolicy = boost::math::policies::policy<
    boost::math::policies::domain_error<boost::math::policies::throw_on_error>,
    boost::math::policies::overflow_error<boost::math::policies::ignore_error>,
    boost::math::policies::underflow_error<boost::math::policies::ignore_error>,
    boost::math::policies::evaluation_error<boost::math::policies::throw_on_error>>;
using TDistribution = boost::math::students_t_distribution<double, TPolicy>;

// Boost's intermediate results may raise status flags that are no fault of
// the caller's arithmetic: the flags are restored on leaving.
class TFlagsKept {
 public:
  TFlagsKept() { std::feholdexcept(&saved_); }
  ~TFlagsKept() { std::fesetenv(&saved_); }
  TFlagsKept(const TFlagsKept&) = delete;
  TFlagsKept& operator=(const TFlagsKept&) = delete;

 private:
  std::fenv_t saved_;
};

void CheckDegrees(std::int32_t df) {
  if (df < 1)
    throw Exception("Student's t needs at least 1 degree of freedom, not " + std::to_string(df));
}

}  // namespace

double StudentTUpperTail(std::int32_t df, double t) {
  CheckDegrees(df);
  if (std::isnan(t)) throw Exception("Student's t of a value that is not a number");
  if (std::isinf(t)) return t > 0.0 ? 0.0 : 1.0;
  TFlagsKept kept;
  try {
    return boost::math::cdf(boost::math::complement(TDistribution(double(df)), t));
  } catch (const std::exception& e) {
    throw Exception(std::string("Student's t: ") + e.what());
  }
}

double StudentTLowerTail(std::int32_t df, double t) { return StudentTUpperTail(df, -t); }

double ExactStudentTQuantile(std::int32_t df, double probability) {
  CheckDegrees(df);
  if (!(std::isgreater(probability, 0.0) && std::isless(probability, 1.0)))
    throw Exception("Student's t has no quantile for " + std::to_string(probability));
  TFlagsKept kept;
  try {
    return boost::math::quantile(TDistribution(double(df)), probability);
  } catch (const std::exception& e) {
    throw Exception(std::string("Student's t: ") + e.what());
  }
}

double StudentTQuantile95(std::int32_t df) { return ExactStudentTQuantile(df, 0.975); }

}  // namespace talvex
