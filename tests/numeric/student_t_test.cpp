// Student's t exactly: the tails far beyond the listing's floor and normal
// approximation, and the quantiles of the intervals, against tabulated
// values. The upper tails were evaluated from the distribution function's
// closed-form series for integer degrees of freedom in 80-digit decimal
// arithmetic (tests/support/exact_student_t.py); the quantiles are the
// published ones (to 16 or 17 digits).
#include "numeric/student_t.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>

#include "base/exception.h"
#include "numeric/probability.h"

namespace talvex {
namespace {

TEST(StudentT, UpperTailsToTwelveDigitsFarIntoTheTail) {
  struct TCase {
    int df;
    double t, tail;
  };
  for (const TCase& c :
       {TCase{1, 1.0, 0.25}, TCase{2, 1.0, 0.2113248654051871}, TCase{5, 0.5, 0.3191494358204645},
        TCase{49, 20.0, 1.6122074741867348e-25}, TCase{49, 40.0, 2.2273281630139947e-39},
        TCase{126, 3.0, 0.0016273632207771344}, TCase{149, 2.5, 0.006751328292002142},
        TCase{1000, 4.0, 3.400495960439079e-05}}) {
    SCOPED_TRACE(c.df);
    EXPECT_NEAR(StudentTUpperTail(c.df, c.t), c.tail, 1e-12 * c.tail);
    EXPECT_NEAR(StudentTLowerTail(c.df, -c.t), c.tail, 1e-12 * c.tail);
  }
  // The listing's own function: odd degrees of freedom up to 125 stop near
  // 2.5e-11 (1/pi to ten digits), and beyond 125 it is an approximation.
  EXPECT_GT(std::fabs(1.0 - StudentTCdf(49, 40.0)), 1e-11);
  EXPECT_GT(std::fabs((1.0 - StudentTCdf(126, 3.0)) / 0.0016273632207771344 - 1.0), 1e-6);
}

TEST(StudentT, QuantilesOfTheIntervals) {
  EXPECT_NEAR(ExactStudentTQuantile(1, 0.975), 12.706204736174698, 1e-12 * 12.7);
  EXPECT_NEAR(ExactStudentTQuantile(10, 0.975), 2.228138851986274, 1e-12 * 2.2);
  EXPECT_NEAR(ExactStudentTQuantile(30, 0.975), 2.0422724563012373, 1e-12 * 2.0);
  EXPECT_NEAR(ExactStudentTQuantile(120, 0.975), 1.9799304050824413, 1e-12 * 2.0);
  EXPECT_NEAR(ExactStudentTQuantile(1000, 0.975), 1.9623390808264078, 1e-12 * 2.0);
  EXPECT_NEAR(ExactStudentTQuantile(30, 0.025), -2.0422724563012373, 1e-12 * 2.0);
}

TEST(StudentT, LimitsRefusalsAndTheFloatingPointFlags) {
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(StudentTUpperTail(7, inf), 0.0);
  EXPECT_EQ(StudentTUpperTail(7, -inf), 1.0);
  EXPECT_EQ(StudentTUpperTail(7, 0.0), 0.5);
  EXPECT_THROW(StudentTUpperTail(0, 1.0), Exception);
  EXPECT_THROW(StudentTUpperTail(3, std::nan("")), Exception);
  EXPECT_THROW(ExactStudentTQuantile(3, 1.0), Exception);
  EXPECT_THROW(ExactStudentTQuantile(3, 0.0), Exception);
  // A tail of 1e-300 and less underflows inside; the caller's flags stay.
  std::feclearexcept(FE_ALL_EXCEPT);
  EXPECT_GE(StudentTUpperTail(3, 1e120), 0.0);
  EXPECT_EQ(std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW), 0);
}

}  // namespace
}  // namespace talvex
