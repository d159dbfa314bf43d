// Inputs on which a careless implementation would have undefined behaviour:
// indices past the end, enumeration values past the tables, float to integer
// counts past the integer range. Each has a defined, documented answer.
// (Float to integer truncation in fastsin is pinned in FastMath_test, huge t
// in hlerp_uhp in Interpolation_test.)

#include "Support.h"
#include "math/Referent.h"
#include "math/Surface.h"
#include "math/Units.h"
#include "math/Vector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

using namespace orrery;

namespace {

TEST(Vector, RowAndColumnIndicesOutsideTheMatrixLeaveTheVectorUnchanged) {
  Mat4d m;
  m.set(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
  for (int bad : {-1, 4, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()}) {
    Vec4d v{-1, -2, -3, -4};
    v.getRow(m, bad);
    EXPECT_EQ(v, (Vec4d{-1, -2, -3, -4}));
    v.getCol(m, bad);
    EXPECT_EQ(v, (Vec4d{-1, -2, -3, -4}));
  }
  // The last valid index of a 4 x 4 matrix is pinned by the golden program.
  Vec2f f{7, 8};
  f.getCol(Mat2f::identity, 2);
  EXPECT_EQ(f, (Vec2f{7, 8}));
  Vec3d d{7, 8, 9};
  d.getRow(Mat3d::identity, 3);
  EXPECT_EQ(d, (Vec3d{7, 8, 9}));
  d.getRow(Mat3d::identity, 2);
  EXPECT_EQ(d, (Vec3d{0, 0, 1}));
}

TEST(Units, UnitsOutsideTheTablesConvertToNaN) {
  // 12 to 15 are values of both enumerations, past the 12-entry tables.
  for (int bad : {12, 15}) {
    EXPECT_TRUE(std::isnan(Units::convertLength(1.0, Units::LType(bad), Units::kMeters)));
    EXPECT_TRUE(std::isnan(Units::convertLength(1.0, Units::kMeters, Units::LType(bad))));
    EXPECT_TRUE(std::isnan(Units::convertArea(1.0, Units::AType(bad), Units::kAcres)));
    EXPECT_TRUE(std::isnan(Units::convertArea(1.0, Units::kAres, Units::AType(bad))));
  }
  // The last entries are inside: the lengths' degree and the areas' zero padding.
  EXPECT_EQ(Units::convertLength(1.0, Units::kDegrees, Units::kMeters),
            Units::distanceToMeters[Units::kDegrees]);
  EXPECT_TRUE(std::isinf(Units::convertArea(1.0, Units::kSquareMeters, Units::AType(11))));
}

TEST(Referent, CountsWrapInsteadOfOverflowing) {
  // A stack object: the count is driven by hand and never reaches 0 here.
  struct Counted : Referent {
    void orphaned() override { ++orphanings; }
    int orphanings = 0;
  } counted;
  counted.refCount = std::numeric_limits<std::int32_t>::max();
  Referent::acquire(&counted);
  EXPECT_EQ(counted.refCount, std::numeric_limits<std::int32_t>::min());
  Referent::release(&counted);
  EXPECT_EQ(counted.refCount, std::numeric_limits<std::int32_t>::max());
  counted.refCount = 1;
  Referent::release(&counted);
  EXPECT_EQ(counted.orphanings, 1);
  counted.refCount = 0;
  Referent::release(&counted); // a count of 0 steps to -1, not to an orphaning
  EXPECT_EQ(counted.refCount, -1);
  EXPECT_EQ(counted.orphanings, 1);
}

TEST(Surface, ViewingDistanceKeepsTheDistanceForFieldsOfViewOutsideZeroToPi) {
  const Rectangle photo(Mat4d::identity, 2.0, 0.3, -0.2, -0.4, 0.5);
  ASSERT_TRUE(photo.valid);
  // Zero and pi are outside; h = pi, v = 0 and a zero scale: Surface_test.
  EXPECT_EQ(photo.getViewingDistance(0.0, 1.0, 1.0), 2.0);
  EXPECT_EQ(photo.getViewingDistance(1.0, test::kPi, 1.0), 2.0);
  EXPECT_NE(photo.getViewingDistance(1.0, 1.0, 1.0), 2.0);
}

} // namespace
