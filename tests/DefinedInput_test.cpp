// Inputs on which a careless implementation would have undefined behaviour:
// indices past the end, enumeration values past the tables, float to integer
// truncations outside the integer range. Each has a defined, documented
// answer.

#include "math/Vector.h"

#include <gtest/gtest.h>

#include <cmath>
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
  // The last valid index still reads.
  Vec4d last{};
  last.getRow(m, 3);
  EXPECT_EQ(last, (Vec4d{13, 14, 15, 16}));
  last.getCol(m, 3);
  EXPECT_EQ(last, (Vec4d{4, 8, 12, 16}));
  Vec2f f{7, 8};
  f.getCol(Mat2f::identity, 2);
  EXPECT_EQ(f, (Vec2f{7, 8}));
  Vec3d d{7, 8, 9};
  d.getRow(Mat3d::identity, 3);
  EXPECT_EQ(d, (Vec3d{7, 8, 9}));
  d.getRow(Mat3d::identity, 2);
  EXPECT_EQ(d, (Vec3d{0, 0, 1}));
}

} // namespace
