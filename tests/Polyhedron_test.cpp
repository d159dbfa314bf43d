#include "CountingMemory.h"
#include "math/Polyhedron.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <vector>

using namespace orrery;

namespace {

// Records the size of every request, for the never-zero-bytes rule.
class SizeRecorder final : public MemoryManager {
public:
  SizeRecorder() { mPrevious = setDefaultMemoryManager(this); }
  ~SizeRecorder() override { setDefaultMemoryManager(mPrevious); }
  void *allocate(std::size_t size) override {
    sizes.push_back(size);
    return std::malloc(size);
  }
  void release(void *block) override { std::free(block); }
  std::vector<std::size_t> sizes;

private:
  MemoryManager *mPrevious = nullptr;
};

Vec3d position(const Polyhedron &p, int face, int corner) {
  return p.vertices[p.indexPairs[p.faces[face][corner]][0]];
}

// Unit vertices, outward winding, and the texture rule: ring vertices sit
// at u = 0.25 - azimuth / 360 deg (mod 1, seam copies + 1) and v from the
// latitude; a pole's u is midway between the ring entries of its face.
void checkSolid(const Polyhedron &p) {
  for (int i = 0; i < p.numVertices; ++i) {
    EXPECT_NEAR(length(p.vertices[i]), 1.0, 2e-6) << i;
  }
  for (int f = 0; f < p.numFaces; ++f) {
    const Vec3d a = position(p, f, 0);
    const Vec3d b = position(p, f, 1);
    const Vec3d c = position(p, f, 2);
    EXPECT_GT(dot(cross(b - a, c - a), a + b + c), 0.1) << f;
    double ringU[3];
    int ring = 0;
    int pole = -1;
    for (int k = 0; k < 3; ++k) {
      const auto &pair = p.indexPairs[p.faces[f][k]];
      const Vec3d v = p.vertices[pair[0]];
      const Vec2d uv = p.texCoords[pair[1]];
      if (std::abs(v.y) == 1.0) {
        EXPECT_EQ(uv.y, v.y > 0 ? 1.0 : 0.0);
        pole = k;
        continue;
      }
      EXPECT_NEAR(uv.y, 0.5 + std::asin(v.y) / M_PI, 1e-6) << f;
      double u = 0.25 - std::atan2(v.z, v.x) / (2 * M_PI);
      u -= std::floor(u);
      EXPECT_NEAR(std::fmod(uv.x, 1.0), u == 1.0 ? 0.0 : u, 1e-6) << f << " " << k;
      ringU[ring++] = uv.x;
    }
    if (pole >= 0) {
      const Vec2d poleUV = p.texCoords[p.indexPairs[p.faces[f][pole]][1]];
      EXPECT_NEAR(poleUV.x, (ringU[0] + ringU[1]) / 2, 1e-12) << f;
      // Within a face the ring entries stay on one side of the seam.
      EXPECT_NEAR(std::abs(ringU[0] - ringU[1]), p.numFaces == 8 ? 0.25 : 0.2, 1e-12) << f;
    }
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

TEST(Polyhedron, OctahedronTablesAreUnitOutwardAndSeamed) {
  const Octahedron o;
  ASSERT_EQ(o.numVertices, 6);
  EXPECT_EQ(o.numFaces, 8);
  EXPECT_EQ(o.numTexCoords, 13);
  EXPECT_EQ(o.numIndexPairs, 13);
  EXPECT_EQ(o.vertices[3], (Vec3d{0, -1, 0}));
  checkSolid(o);
  // Pairs 0 and 4 are +z on both sides of the seam.
  EXPECT_EQ(o.indexPairs[0][0], 4);
  EXPECT_EQ(o.indexPairs[4][0], 4);
  EXPECT_EQ(o.texCoords[o.indexPairs[0][1]].x, 0.0);
  EXPECT_EQ(o.texCoords[o.indexPairs[4][1]].x, 1.0);
  EXPECT_EQ(usOfVertex(o, 2), (std::vector<double>{0.125, 0.375, 0.625, 0.875}));
}

TEST(Polyhedron, IcosahedronKeepsSixDigitTablesAndNegativeZeroAtTheSouthPole) {
  const Icosahedron ico;
  ASSERT_EQ(ico.numVertices, 12);
  EXPECT_EQ(ico.numFaces, 20);
  EXPECT_EQ(ico.numTexCoords, 22);
  EXPECT_EQ(ico.numIndexPairs, 22);
  EXPECT_EQ(ico.vertices[0], (Vec3d{0.276393, 0.447214, 0.850651}));
  EXPECT_EQ(ico.vertices[9], (Vec3d{-0.894427, -0.447214, 0}));
  EXPECT_EQ(ico.texCoords[11], (Vec2d{0.35, 0.352416}));
  checkSolid(ico);
  for (int i = 17; i < 22; ++i) {
    EXPECT_EQ(ico.indexPairs[i][0], 11);
    EXPECT_TRUE(std::signbit(ico.texCoords[i].y)) << i;
  }
  EXPECT_FALSE(std::signbit(ico.texCoords[2].y));
  EXPECT_EQ(usOfVertex(ico, 2).size(), 5u);
  EXPECT_EQ(usOfVertex(ico, 11).size(), 5u);
  EXPECT_EQ(usOfVertex(ico, 0), (std::vector<double>{0.05, 1.05}));
  EXPECT_EQ(usOfVertex(ico, 7), (std::vector<double>{0.15, 1.15}));
  // Every vertex is used, every ring vertex has five neighbours' faces.
  int uses[12] = {};
  for (int f = 0; f < ico.numFaces; ++f) {
    for (int k = 0; k < 3; ++k) {
      ++uses[ico.indexPairs[ico.faces[f][k]][0]];
    }
  }
  for (int v = 0; v < 12; ++v) {
    EXPECT_EQ(uses[v], 5) << v;
  }
}

TEST(Polyhedron, ArraysComeFromDoNewAndAreReleasedWithTheSolid) {
  test::CountingMemory memory;
  {
    const Octahedron o;
    EXPECT_EQ(memory.allocations, 4);
  }
  EXPECT_EQ(memory.releases, 4);
  Polyhedron *heap = new Icosahedron;
  ASSERT_NE(heap, nullptr);
  EXPECT_EQ(memory.allocations, 9);
  delete heap;
  EXPECT_EQ(memory.live(), 0u);

  // A failed allocation leaves the solid empty and nothing behind.
  {
    memory.failNextAllocation();
    const Icosahedron empty;
    EXPECT_EQ(empty.vertices, nullptr);
    EXPECT_NE(empty.faces, nullptr);
    EXPECT_EQ(empty.numVertices + empty.numFaces + empty.numTexCoords + empty.numIndexPairs, 0);
  }
  // A second Create replaces the arrays and empties the solid.
  {
    Octahedron again;
    EXPECT_TRUE(again.Create(1, 1, 1, 1));
    EXPECT_EQ(again.numFaces, 0);
  }
  EXPECT_EQ(memory.live(), 0u);
  EXPECT_EQ(memory.foreignReleases, 0);
}

TEST(Polyhedron, CreateNeverAsksForZeroBytes) {
  SizeRecorder recorder;
  Polyhedron p;
  EXPECT_TRUE(p.Create(0, 2, -1, 0));
  EXPECT_EQ(recorder.sizes, (std::vector<std::size_t>{1, 2 * 3 * sizeof(std::int32_t), 1, 1}));
  EXPECT_NE(p.vertices, nullptr);
  EXPECT_EQ(p.numFaces, 0);
}
