#include "math/Polyhedron.h"

#include <cstddef>

namespace orrery {

namespace {

// Room for count elements of T; one byte when there are none, so that a
// successful allocation is never null.
template <class T> T *allocateArray(int count) {
  const std::size_t bytes = count > 0 ? static_cast<std::size_t>(count) * sizeof(T) : 1;
  return static_cast<T *>(doNew(bytes, nullptr));
}

template <class T> void releaseArray(T *&array, std::int32_t &count) {
  doDelete(array, nullptr);
  array = nullptr;
  count = 0;
}

template <class T> void copyElement(T &to, const T &from) { to = from; }
template <class T, std::size_t K> void copyElement(T (&to)[K], const T (&from)[K]) {
  for (std::size_t k = 0; k < K; ++k) {
    to[k] = from[k];
  }
}

// Appends the rows of table at count, within the capacity given to Create.
template <class T, std::size_t N>
void appendTable(T *array, std::int32_t &count, const T (&table)[N]) {
  for (const T &element : table) {
    copyElement(array[count], element);
    ++count;
  }
}

// The tables of one solid, appended in order when every array exists.
template <std::size_t NV, std::size_t NF, std::size_t NT, std::size_t NP>
void fillSolid(Polyhedron &p, const Vec3d (&vertices)[NV], const std::int32_t (&faces)[NF][3],
               const Vec2d (&texCoords)[NT], const std::int32_t (&pairs)[NP][2]) {
  if (!p.Create(int(NV), int(NF), int(NT), int(NP))) {
    return;
  }
  appendTable(p.vertices, p.numVertices, vertices);
  appendTable(p.faces, p.numFaces, faces);
  appendTable(p.texCoords, p.numTexCoords, texCoords);
  appendTable(p.indexPairs, p.numIndexPairs, pairs);
}

// Octahedron: +x, -x, +y, -y, +z, -z.
constexpr Vec3d kOctaVertices[6] = {{1, 0, 0},  {-1, 0, 0}, {0, 1, 0},
                                    {0, -1, 0}, {0, 0, 1},  {0, 0, -1}};
// The equator ring +z, +x, -z, -x, +z (seam), then the north and the south
// pole once per face, midway in u between the face's ring entries.
constexpr Vec2d kOctaTexCoords[13] = {{0, 0.5},   {0.25, 0.5}, {0.5, 0.5}, {0.75, 0.5}, {1, 0.5},
                                      {0.125, 1}, {0.375, 1},  {0.625, 1}, {0.875, 1},  {0.125, 0},
                                      {0.375, 0}, {0.625, 0},  {0.875, 0}};
constexpr std::int32_t kOctaIndexPairs[13][2] = {{4, 0},  {0, 1},  {5, 2}, {1, 3}, {4, 4},
                                                 {2, 5},  {2, 6},  {2, 7}, {2, 8}, {3, 9},
                                                 {3, 10}, {3, 11}, {3, 12}};
// Northern face i is (ring i, ring i + 1, north i); southern face i is
// (ring i + 1, ring i, south i).
constexpr std::int32_t kOctaFaces[8][3] = {{0, 1, 5}, {1, 2, 6},  {2, 3, 7},  {3, 4, 8},
                                           {1, 0, 9}, {2, 1, 10}, {3, 2, 11}, {4, 3, 12}};

// Icosahedron: north pole 2, south pole 11, the northern ring at azimuths
// 0, 72, 144, 216, 288 degrees and the southern ring at 36, 108, ... 324,
// stored to six digits.
constexpr Vec3d kIcosaVertices[12] = {{0.276393, 0.447214, 0.850651},
                                      {0.894427, 0.447214, 0},
                                      {0, 1, 0},
                                      {-0.723607, 0.447214, 0.525731},
                                      {-0.723607, 0.447214, -0.525731},
                                      {0.276393, 0.447214, -0.850651},
                                      {0.723607, -0.447214, -0.525731},
                                      {0.723607, -0.447214, 0.525731},
                                      {-0.276393, -0.447214, 0.850651},
                                      {-0.894427, -0.447214, 0},
                                      {-0.276393, -0.447214, -0.850651},
                                      {0, -1, 0}};
// Rings at v = 0.5 +- atan(1/2) / pi; the south pole's v is -0.0.
constexpr Vec2d kIcosaTexCoords[22] = {
    {0.05, 0.647584}, {0.25, 0.647584}, {0.15, 1},        {0.85, 0.647584}, {1.05, 0.647584},
    {0.95, 1},        {0.65, 0.647584}, {0.75, 1},        {0.45, 0.647584}, {0.55, 1},
    {0.35, 1},        {0.35, 0.352416}, {0.15, 0.352416}, {0.95, 0.352416}, {1.15, 0.352416},
    {0.75, 0.352416}, {0.55, 0.352416}, {0.25, -0.0},     {1.05, -0.0},     {0.45, -0.0},
    {0.85, -0.0},     {0.65, -0.0}};
// Pair i uses texture coordinate i.
constexpr std::int32_t kIcosaIndexPairs[22][2] = {
    {0, 0},   {1, 1},   {2, 2},   {3, 3},   {0, 4},   {2, 5},  {4, 6},  {2, 7},
    {5, 8},   {2, 9},   {2, 10},  {6, 11},  {7, 12},  {8, 13}, {7, 14}, {9, 15},
    {10, 16}, {11, 17}, {11, 18}, {11, 19}, {11, 20}, {11, 21}};
// Five northern cap faces, ten band faces, five southern cap faces.
constexpr std::int32_t kIcosaFaces[20][3] = {
    {0, 1, 2},   {3, 4, 5},    {6, 3, 7},    {8, 6, 9},    {10, 1, 8},   {11, 8, 1},  {1, 12, 11},
    {1, 0, 12},  {13, 14, 4},  {4, 3, 13},   {15, 13, 3},  {3, 6, 15},   {16, 15, 6}, {6, 8, 16},
    {8, 11, 16}, {17, 11, 12}, {14, 13, 18}, {19, 16, 11}, {13, 15, 20}, {15, 16, 21}};

} // namespace

Polyhedron::~Polyhedron() {
  releaseArray(vertices, numVertices);
  releaseArray(faces, numFaces);
  releaseArray(texCoords, numTexCoords);
  releaseArray(indexPairs, numIndexPairs);
}

bool Polyhedron::Create(int vertexCapacity, int faceCapacity, int texCoordCapacity,
                        int indexPairCapacity) {
  releaseArray(vertices, numVertices);
  releaseArray(faces, numFaces);
  releaseArray(texCoords, numTexCoords);
  releaseArray(indexPairs, numIndexPairs);
  vertices = allocateArray<Vec3d>(vertexCapacity);
  faces = allocateArray<std::int32_t[3]>(faceCapacity);
  texCoords = allocateArray<Vec2d>(texCoordCapacity);
  indexPairs = allocateArray<std::int32_t[2]>(indexPairCapacity);
  return vertices != nullptr && faces != nullptr && texCoords != nullptr && indexPairs != nullptr;
}

Octahedron::Octahedron() {
  fillSolid(*this, kOctaVertices, kOctaFaces, kOctaTexCoords, kOctaIndexPairs);
}

Octahedron::~Octahedron() = default;

Icosahedron::Icosahedron() {
  fillSolid(*this, kIcosaVertices, kIcosaFaces, kIcosaTexCoords, kIcosaIndexPairs);
}

Icosahedron::~Icosahedron() = default;

} // namespace orrery
