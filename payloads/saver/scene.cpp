#include "saver/scene.h"

namespace scene {

namespace {

constexpr float Pi = 3.14159265f;
constexpr float TwoPi = 2 * Pi;

Vec3 Normalised(Vec3 v) { return (1.0f / __builtin_sqrtf(Dot(v, v))) * v; }

// Turning angle of a motion that completes one turn every `period` milliseconds.
float Phase(unsigned long milliseconds, unsigned long period) {
  return TwoPi * static_cast<float>(milliseconds % period) / static_cast<float>(period);
}

} // namespace

const Colour Palette[PaletteSize] = {0x0030B0F0, 0x004040E0, 0x00C0A020, 0x00C050A0, 0x0050C060};

float Sine(float x) {
  // Into [-pi, pi], then into [-pi/2, pi/2] where the series converges quickly.
  float turns = x * (1 / TwoPi);
  int whole = static_cast<int>(turns >= 0 ? turns + 0.5f : turns - 0.5f);
  x -= static_cast<float>(whole) * TwoPi;
  if (x > Pi / 2) x = Pi - x;
  if (x < -Pi / 2) x = -Pi - x;
  float x2 = x * x;
  return x * (1 - x2 / 6 * (1 - x2 / 20 * (1 - x2 / 42 * (1 - x2 / 72 * (1 - x2 / 110)))));
}

float Cosine(float x) { return Sine(x + Pi / 2); }

void BuildStar(Mesh* mesh) {
  // The icosahedron's corners are the cyclic permutations of (0, +-1, +-golden ratio).
  const float g = 1.6180340f;
  static const float corners[12][3] = {{0, 1, g}, {0, -1, g}, {0, 1, -g}, {0, -1, -g},
                                       {1, g, 0}, {-1, g, 0}, {1, -g, 0}, {-1, -g, 0},
                                       {g, 0, 1}, {g, 0, -1}, {-g, 0, 1}, {-g, 0, -1}};
  const float toUnit = 1 / 1.9021130f;
  for (int i = 0; i < 12; ++i) {
    mesh->vertices[i] = {corners[i][0] * toUnit, corners[i][1] * toUnit, corners[i][2] * toUnit};
  }
  mesh->vertexCount = 12;
  mesh->faceCount = 0;

  // Its faces are the triples of corners that are pairwise one edge (2 before scaling) apart.
  const float edge2 = 4 * toUnit * toUnit;
  auto adjacent = [&](int a, int b) {
    Vec3 d = mesh->vertices[a] - mesh->vertices[b];
    float e = Dot(d, d) - edge2;
    return e < 0.01f && e > -0.01f;
  };
  for (int a = 0; a < 12; ++a) {
    for (int b = a + 1; b < 12; ++b) {
      if (!adjacent(a, b)) continue;
      for (int c = b + 1; c < 12; ++c) {
        if (!adjacent(a, c) || !adjacent(b, c)) continue;
        Vec3 pa = mesh->vertices[a], pb = mesh->vertices[b], pc = mesh->vertices[c];
        Vec3 centre = (1.0f / 3) * (pa + pb + pc);
        int first = b, second = c;
        if (Dot(Cross(pb - pa, pc - pa), centre) < 0) first = c, second = b;

        // The spike's tip stands over the face's centre; its three sides keep the face's
        // winding, so they face out too.
        int spike = mesh->vertexCount++;
        mesh->vertices[spike] = 1.55f * Normalised(centre);
        const int ring[3] = {a, first, second};
        const auto colour = static_cast<unsigned char>((spike - 12) % PaletteSize);
        for (int side = 0; side < 3; ++side) {
          Face& face = mesh->faces[mesh->faceCount++];
          face.corner[0] = static_cast<unsigned char>(ring[side]);
          face.corner[1] = static_cast<unsigned char>(ring[(side + 1) % 3]);
          face.corner[2] = static_cast<unsigned char>(spike);
          face.colour = colour;
        }
      }
    }
  }
  for (int f = 0; f < mesh->faceCount; ++f) {
    const Face& face = mesh->faces[f];
    Vec3 a = mesh->vertices[face.corner[0]];
    mesh->normals[f] =
        Normalised(Cross(mesh->vertices[face.corner[1]] - a, mesh->vertices[face.corner[2]] - a));
  }
}

Matrix Rotation(float aroundX, float aroundY, float aroundZ) {
  float sx = Sine(aroundX), cx = Cosine(aroundX);
  float sy = Sine(aroundY), cy = Cosine(aroundY);
  float sz = Sine(aroundZ), cz = Cosine(aroundZ);
  // Rz * Ry * Rx
  return {{{cz * cy, cz * sy * sx - sz * cx, cz * sy * cx + sz * sx},
           {sz * cy, sz * sy * sx + cz * cx, sz * sy * cx - cz * sx},
           {-sy, cy * sx, cy * cx}}};
}

Vec3 Apply(const Matrix& r, Vec3 v) {
  return {r.m[0][0] * v.x + r.m[0][1] * v.y + r.m[0][2] * v.z,
          r.m[1][0] * v.x + r.m[1][1] * v.y + r.m[1][2] * v.z,
          r.m[2][0] * v.x + r.m[2][1] * v.y + r.m[2][2] * v.z};
}

Pose PoseAt(unsigned long ms) {
  Pose pose;
  pose.orientation = Rotation(Phase(ms, 5713), Phase(ms, 8971), Phase(ms, 21011));
  pose.position = {0.9f * Sine(Phase(ms, 27011)), 0.5f * Sine(Phase(ms, 20269)),
                   6.0f + 0.8f * Sine(Phase(ms, 36947))};
  return pose;
}

Viewport ViewportFor(int width, int height) {
  // The star reaches 1.55 from its centre and drifts up to 0.9 sideways and 0.5 up or down, at
  // a distance of no less than 5.2: at most 0.48 of the distance sideways, 0.4 up or down.
  float w = static_cast<float>(width), h = static_cast<float>(height) * 1.2f;
  return {width, height, 0.95f * (w < h ? w : h)};
}

Point Project(const Viewport& viewport, Vec3 v) {
  float x = static_cast<float>(viewport.width) * 0.5f + viewport.focal * v.x / v.z;
  float y = static_cast<float>(viewport.height) * 0.5f - viewport.focal * v.y / v.z;
  return {static_cast<int>(x + 0.5f), static_cast<int>(y + 0.5f)};
}

Colour Shade(Colour base, Vec3 normal) {
  const Vec3 towardsLight = {-0.4082483f, 0.5103104f, -0.7654655f};
  float lit = Dot(normal, towardsLight);
  float intensity = 0.22f + 0.78f * (lit > 0 ? lit : 0);
  Colour shaded = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    float channel = static_cast<float>((base >> shift) & 0xFF) * intensity;
    shaded |= static_cast<Colour>(channel > 255 ? 255 : channel) << shift;
  }
  return shaded;
}

int ComposeFrame(const Mesh& mesh, const Pose& pose, const Viewport& viewport,
                 DrawnFace out[MaxFaces]) {
  Vec3 placed[MaxVertices];
  for (int i = 0; i < mesh.vertexCount; ++i) {
    placed[i] = Apply(pose.orientation, mesh.vertices[i]) + pose.position;
  }
  int count = 0;
  for (int f = 0; f < mesh.faceCount; ++f) {
    const Face& face = mesh.faces[f];
    Vec3 normal = Apply(pose.orientation, mesh.normals[f]);
    if (!FacesEye(normal, placed[face.corner[0]])) continue;

    DrawnFace drawn;
    for (int k = 0; k < 3; ++k) drawn.corner[k] = Project(viewport, placed[face.corner[k]]);
    drawn.colour = Shade(Palette[face.colour], normal);
    drawn.depth = placed[face.corner[0]].z + placed[face.corner[1]].z + placed[face.corner[2]].z;

    // Insertion keeps the list farthest first; a star's few dozen faces need nothing faster.
    int at = count++;
    while (at > 0 && out[at - 1].depth < drawn.depth) {
      out[at] = out[at - 1];
      --at;
    }
    out[at] = drawn;
  }
  return count;
}

} // namespace scene
