#include "CountingMemory.h"
#include "math/Polyhedron.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace orrery;

namespace {

// Unit vertices, faces wound counter-clockwise seen from outside, and pole
// entries (v = 0 or 1) only at the poles.
void checkSolid(const Polyhedron &p) {
  for (int i = 0; i < p.numVertices; ++i) {
    EXPECT_NEAR(length(p.vertices[i]), 1.0, 2e-6) << i;
  }
  for (int f = 0; f < p.numFaces; ++f) {
    Vec3d pos[3];
    for (int k = 0; k < 3; ++k) {
      const auto &pair = p.indexPairs[p.faces[f][k]];
      pos[k] = p.vertices[pair[0]];
      const double v = p.texCoords[pair[1]].y;
      EXPECT_EQ(v == 0 || v == 1, std::abs(pos[k].y) == 1) << f;
    }
    EXPECT_GT(dot(cross(pos[1] - pos[0], pos[2] - pos[0]), pos[0] + pos[1] + pos[2]), 0.1) << f;
  }
}

} // namespace

// Every vertex, coordinate, pair and face is pinned by the golden program;
// here the properties the tables must have.
TEST(Polyhedron, SolidsAreUnitOutwardAndPolesOnlyAtThePoles) {
  checkSolid(Octahedron());
  checkSolid(Icosahedron());
}

TEST(Polyhedron, ArraysComeFromDoNewAndLeaveWithTheSolid) {
  test::CountingMemory memory;
  Polyhedron *heap = new Icosahedron;
  ASSERT_NE(heap, nullptr);
  EXPECT_EQ(memory.allocations, 5);
  delete heap;
  EXPECT_EQ(memory.live(), 0u);
  {
    // A failed allocation leaves the solid empty and nothing behind.
    memory.failNextAllocation();
    const Octahedron empty;
    EXPECT_EQ(empty.vertices, nullptr);
    EXPECT_NE(empty.faces, nullptr);
    EXPECT_EQ(empty.numVertices + empty.numFaces + empty.numTexCoords + empty.numIndexPairs, 0);
    // Empty arrays still get a block each; a second Create replaces them.
    Polyhedron p;
    EXPECT_TRUE(p.Create(0, 0, -1, 0));
    EXPECT_TRUE(p.Create(1, 1, 1, 1));
  }
  EXPECT_EQ(memory.live(), 0u);
  EXPECT_EQ(memory.foreignReleases, 0);
}
