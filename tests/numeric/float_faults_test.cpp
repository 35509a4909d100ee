// Floating-point faults: each of the three trapped conditions surfaces as its
// exception with the exact message, the others are ignored, and a check
// clears the flags it reports.
#include "numeric/float_faults.h"

#include <gtest/gtest.h>

#include <cmath>

#include "numeric_test_support.h"

namespace talvex {
namespace {

using testing::ExpectThrowMessage;

// Volatile operands keep the compiler from folding the faulting arithmetic.
volatile double Zero = 0.0;
volatile double One = 1.0;
volatile double Huge = 1.0e308;
volatile double Tiny = 1.0e-308;

TEST(FloatFaults, EachFaultRaisesItsExceptionAndClearsTheFlags) {
  ClearFloatFaults();
  volatile double r = Zero / Zero;
  ExpectThrowMessage<EInvalidOp>([] { CheckFloatFaults(); }, "Invalid floating point operation");
  EXPECT_NO_THROW(CheckFloatFaults());

  r = One / Zero;
  ExpectThrowMessage<EZeroDivide>([] { CheckFloatFaults(); }, "Floating point division by zero");
  EXPECT_NO_THROW(CheckFloatFaults());

  r = Huge * 10.0;
  ExpectThrowMessage<EOverflow>([] { CheckFloatFaults(); }, "Floating point overflow");
  EXPECT_NO_THROW(CheckFloatFaults());

  r = std::sqrt(-One);
  ExpectThrowMessage<EInvalidOp>([] { CheckFloatFaults(); }, "Invalid floating point operation");
  r = std::log(Zero);
  ExpectThrowMessage<EZeroDivide>([] { CheckFloatFaults(); }, "Floating point division by zero");
  (void)r;
}

TEST(FloatFaults, UnderflowAndInexactAreIgnored) {
  ClearFloatFaults();
  volatile double r = Tiny * Tiny;  // underflows to zero
  r = One / 3.0;
  (void)r;
  EXPECT_NO_THROW(CheckFloatFaults());
}

TEST(FloatFaults, InvalidIsReportedBeforeDivisionAndOverflow) {
  ClearFloatFaults();
  volatile double r = Huge * 10.0;
  r = One / Zero;
  r = Zero / Zero;
  (void)r;
  ExpectThrowMessage<EInvalidOp>([] { CheckFloatFaults(); }, "Invalid floating point operation");
  EXPECT_NO_THROW(CheckFloatFaults());
}

TEST(FloatFaults, ClearForgetsEarlierFaults) {
  volatile double r = One / Zero;
  (void)r;
  ClearFloatFaults();
  EXPECT_NO_THROW(CheckFloatFaults());
}

TEST(FloatFaults, CheckedResultPassesTheValueOrRaises) {
  ClearFloatFaults();
  EXPECT_EQ(CheckedResult(One / 4.0), 0.25);
  ExpectThrowMessage<EZeroDivide>([] { CheckedResult(One / Zero); },
                                  "Floating point division by zero");
}

}  // namespace
}  // namespace talvex
