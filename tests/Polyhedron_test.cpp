#include "CountingMemory.h"
#include "math/Polyhedron.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

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

std::vector<double> usOfVertex(const Polyhedron &p, int vertex) {
  std::vector<double> us;
  for (int i = 0; i < p.numIndexPairs; ++i) {
    if (p.indexPairs[i][0] == vertex) {
      us.push_back(p.texCoords[p.indexPairs[i][1]].x);
    }
  }
  return us;
}

} // namespace

TEST(Polyhedron, SolidsAreUnitOutwardAndSeamedAsTabled) {
  const Octahedron o;
  EXPECT_EQ(o.numVertices + o.numFaces + o.numTexCoords + o.numIndexPairs, 6 + 8 + 13 + 13);
  checkSolid(o);
  EXPECT_EQ(usOfVertex(o, 4), (std::vector<double>{0.0, 1.0})); // +z, pairs 0 and 4
  EXPECT_EQ(usOfVertex(o, 2), (std::vector<double>{0.125, 0.375, 0.625, 0.875}));

  const Icosahedron ico;
  EXPECT_EQ(ico.numVertices + ico.numFaces + ico.numTexCoords + ico.numIndexPairs,
            12 + 20 + 22 + 22);
  checkSolid(ico);
  EXPECT_EQ(ico.vertices[0], (Vec3d{0.276393, 0.447214, 0.850651}));
  EXPECT_EQ(ico.texCoords[11], (Vec2d{0.35, 0.352416}));
  for (int i = 17; i < 22; ++i) {
    EXPECT_TRUE(std::signbit(ico.texCoords[i].y)) << i; // south pole v is -0.0
  }
  EXPECT_EQ(usOfVertex(ico, 2).size(), 5u);
  EXPECT_EQ(usOfVertex(ico, 11).size(), 5u);
  EXPECT_EQ(usOfVertex(ico, 0), (std::vector<double>{0.05, 1.05}));
  EXPECT_EQ(usOfVertex(ico, 7), (std::vector<double>{0.15, 1.15}));
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
