// TFloatVector and TFloatMatrix: extents, bounds, storage order, fills.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <limits>

#include "numeric/float_matrix.h"
#include "numeric/float_vector.h"

namespace talvex {
namespace {

template <typename F>
void ExpectOutOfBounds(F&& f) {
  try {
    f();
    FAIL() << "no exception";
  } catch (const EOutOfBounds& e) {
    EXPECT_STREQ(e.what(), "Array Reference Out of Bounds");
  }
}

TEST(FloatVector, NewVectorReadsZeroAndRefusesBeyondCapacity) {
  TFloatVector v(5);
  for (TSize i = 1; i <= 5; ++i) EXPECT_EQ(v.GetValue(i), 0.0);
  ExpectOutOfBounds([&] { v.GetValue(6); });
  ExpectOutOfBounds([&] { v.GetValue(0); });
  ExpectOutOfBounds([&] { v.SetValue(0, 1.0); });
}

TEST(FloatVector, FillShrinksAndWritesExtendAgain) {
  TFloatVector v(5);
  v.SetValue(4, 7.0);
  v.Fill(3, 2.5);
  EXPECT_EQ(v.Length(), 3u);
  EXPECT_EQ(v.GetValue(3), 2.5);
  ExpectOutOfBounds([&] { v.GetValue(4); });
  v.SetValue(5, 1.0);
  EXPECT_EQ(v.Length(), 5u);
  EXPECT_EQ(v.GetValue(4), 7.0);  // a shrinking fill leaves the elements outside alone
  EXPECT_EQ(v.GetValue(5), 1.0);
}

TEST(FloatVector, WriteBeyondCapacityLeavesLengthAlone) {
  TFloatVector v(5);
  v.Fill(2, 0.0);
  ExpectOutOfBounds([&] { v.SetValue(6, 1.0); });
  EXPECT_EQ(v.Length(), 2u);
  v.Fill(100, 3.0);
  EXPECT_EQ(v.Length(), 5u);
  EXPECT_EQ(v.GetValue(5), 3.0);
}

TEST(FloatVector, CapacityZeroHoldsNothing) {
  TFloatVector v(0);
  ExpectOutOfBounds([&] { v.GetValue(1); });
  ExpectOutOfBounds([&] { v.SetValue(1, 0.0); });
  TFloatMatrix m(0, 0);
  ExpectOutOfBounds([&] { m.GetValue(1, 1); });
  ExpectOutOfBounds([&] { m.SetValue(1, 1, 0.0); });
}

TEST(FloatVector, CopiesAreIndependent) {
  TFloatVector a(3);
  a.SetValue(2, 4.0);
  TFloatVector b = a;
  b.SetValue(2, 5.0);
  EXPECT_EQ(a.GetValue(2), 4.0);
  EXPECT_EQ(b.GetValue(2), 5.0);
}

TEST(FloatMatrix, ColumnMajorStorage) {
  TFloatMatrix m(3, 2);
  m.SetValue(3, 1, 31.0);
  m.SetValue(1, 2, 12.0);
  const double* block = m.Column(1);
  EXPECT_EQ(block[2], 31.0);
  EXPECT_EQ(block[3], 12.0);  // (3, 1) immediately before (1, 2)
}

TEST(FloatMatrix, FillShrinksExtentAndWriteRestoresIt) {
  TFloatMatrix m(3, 2);
  m.SetValue(2, 2, 22.0);
  m.Fill(2, 1, 0.0);
  EXPECT_EQ(m.GetSize(), (TFloatMatrix::TExtent{2, 1}));
  ExpectOutOfBounds([&] { m.GetValue(3, 1); });
  ExpectOutOfBounds([&] { m.GetValue(1, 2); });
  m.SetValue(1, 2, 5.0);
  EXPECT_EQ(m.GetSize(), (TFloatMatrix::TExtent{2, 2}));
  EXPECT_EQ(m.GetValue(2, 2), 22.0);
}

TEST(FloatMatrix, OversizedFillTakesWholeCapacity) {
  TFloatMatrix m(3, 2);
  m.Fill(10, 10, 1.5);
  EXPECT_EQ(m.GetSize(), (TFloatMatrix::TExtent{3, 2}));
  EXPECT_EQ(m.GetValue(3, 2), 1.5);
}

TEST(FloatMatrix, IndexZeroAndBeyondCapacityRefused) {
  TFloatMatrix m(2, 2);
  ExpectOutOfBounds([&] { m.GetValue(0, 1); });
  ExpectOutOfBounds([&] { m.GetValue(1, 0); });
  ExpectOutOfBounds([&] { m.SetValue(3, 1, 0.0); });
  ExpectOutOfBounds([&] { m.SetValue(1, 3, 0.0); });
  EXPECT_EQ(m.GetSize(), (TFloatMatrix::TExtent{2, 2}));
}

TEST(FloatMatrix, SizesBeyondSixteenBits) {
  // 70,000 elements: more than the old 16-bit element position could address.
  TFloatMatrix m(70000, 1);
  m.SetValue(70000, 1, 9.0);
  EXPECT_EQ(m.GetValue(70000, 1), 9.0);
}

TEST(FloatMatrix, ImpossibleAllocationRaisesAllocateFailed) {
  const TSize huge = std::numeric_limits<TSize>::max();
  try {
    TFloatMatrix m(huge, huge);
    FAIL() << "no exception";
  } catch (const EAllocateFailed& e) {
    EXPECT_STREQ(e.what(), "Memory Allocation Failed");
  }
}

}  // namespace
}  // namespace talvex

namespace talvex {
namespace {

TEST(Containers, MovedFromContainersAreEmptyNotDangling) {
  TFloatVector v(4);
  TFloatVector w = std::move(v);
  EXPECT_EQ(w.Capacity(), 4u);
  EXPECT_EQ(v.Capacity(), 0u);  // NOLINT(bugprone-use-after-move): the state is specified
  EXPECT_THROW(v.GetValue(1), EOutOfBounds);
  TFloatMatrix m(3, 2);
  TFloatMatrix n(1, 1);
  n = std::move(m);
  EXPECT_EQ(n.GetSize(), (TFloatMatrix::TExtent{3, 2}));
  EXPECT_EQ(m.GetSize(), (TFloatMatrix::TExtent{0, 0}));  // NOLINT(bugprone-use-after-move)
  EXPECT_THROW(m.SetValue(1, 1, 0.0), EOutOfBounds);
}

TEST(Containers, LargeContainersCostNothingUntilWritten) {
  // 2^27 doubles (1 GiB), zero-filled without touching the memory: the
  // results of a wide data set that is never analysed take no room.
  const auto resident = [] {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, residentPages = 0;
    statm >> pages >> residentPages;
    return residentPages * 4096L;
  };
  const long before = resident();
  TFloatMatrix m(16384, 8192);
  EXPECT_EQ(m.GetValue(16384, 8192), 0.0);
  EXPECT_EQ(m.GetValue(1, 1), 0.0);
#if !defined(__SANITIZE_ADDRESS__)
  EXPECT_LT(resident() - before, 64L << 20);
#else
  (void)before;  // the sanitizer's allocator may fill the block itself
#endif
}

}  // namespace
}  // namespace talvex
