#include <doctest/doctest.h>

#include <cmath>
#include <map>
#include <utility>

#include "saver/scene.h"

using namespace scene;

namespace {

long TwiceArea(Point a, Point b, Point c) {
  return static_cast<long>(b.x - a.x) * (c.y - a.y) - static_cast<long>(b.y - a.y) * (c.x - a.x);
}

float Length(Vec3 v) { return std::sqrt(Dot(v, v)); }

} // namespace

TEST_CASE("the sine approximation is accurate far beyond one turn") {
  for (float x = -2000; x <= 2000; x += 0.37f) {
    CHECK_MESSAGE(std::fabs(Sine(x) - std::sin(x)) < 2e-4f, "x = " << x);
    CHECK_MESSAGE(std::fabs(Cosine(x) - std::cos(x)) < 2e-4f, "x = " << x);
  }
}

TEST_CASE("the star is a closed surface whose faces all point out") {
  Mesh mesh;
  BuildStar(&mesh);
  REQUIRE(mesh.vertexCount == MaxVertices);
  REQUIRE(mesh.faceCount == MaxFaces);

  // Closed and consistently wound: every edge is walked once in each direction.
  std::map<std::pair<int, int>, int> walked;
  for (int f = 0; f < mesh.faceCount; ++f) {
    for (int k = 0; k < 3; ++k) {
      ++walked[{mesh.faces[f].corner[k], mesh.faces[f].corner[(k + 1) % 3]}];
    }
  }
  for (const auto& [edge, count] : walked) {
    CHECK_MESSAGE(count == 1, "edge " << edge.first << "-" << edge.second);
    CHECK_MESSAGE(walked.count({edge.second, edge.first}) == 1,
                  "edge " << edge.first << "-" << edge.second << " has no twin");
  }

  for (int f = 0; f < mesh.faceCount; ++f) {
    const Face& face = mesh.faces[f];
    Vec3 a = mesh.vertices[face.corner[0]], b = mesh.vertices[face.corner[1]],
         c = mesh.vertices[face.corner[2]];
    Vec3 centre = (1.0f / 3) * (a + b + c);
    Vec3 n = mesh.normals[f];
    CHECK(std::fabs(Length(n) - 1) < 1e-4f);
    CHECK_MESSAGE(Dot(n, centre) > 0, "face " << f << " points in");
    CHECK(Dot(n, Cross(b - a, c - a)) > 0);
    CHECK(face.colour < PaletteSize);
  }
}

TEST_CASE("rotations keep lengths and handedness, so culling stays right") {
  for (float t = 0; t < 20; t += 0.7f) {
    Matrix r = Rotation(t, 1.3f * t, 0.4f * t);
    Vec3 x = Apply(r, {1, 0, 0}), y = Apply(r, {0, 1, 0}), z = Apply(r, {0, 0, 1});
    CHECK(std::fabs(Length(x) - 1) < 1e-3f);
    CHECK(std::fabs(Dot(x, y)) < 1e-3f);
    CHECK(std::fabs(Dot(Cross(x, y), z) - 1) < 1e-3f);
  }
}

TEST_CASE("shading brightens faces turned to the light and keeps each channel in place") {
  const Vec3 towardsLight = {-0.4082483f, 0.5103104f, -0.7654655f};
  const Vec3 away = {0.4082483f, -0.5103104f, 0.7654655f};
  CHECK(Shade(0x000000FF, towardsLight) == 0x000000FF);
  CHECK(Shade(0x00FF0000, towardsLight) == 0x00FF0000);
  CHECK(Shade(0x00FFFFFF, towardsLight) == 0x00FFFFFF);
  // Faces in shadow keep some ambient light rather than going black.
  Colour dim = Shade(0x00FFFFFF, away);
  CHECK((dim & 0xFF) > 0x20);
  CHECK((dim & 0xFF) < 0x80);
  CHECK(dim == ((dim & 0xFF) * 0x010101));
}

TEST_CASE("every frame draws about half the faces, far to near, inside the window") {
  Mesh mesh;
  BuildStar(&mesh);
  const int sizes[][2] = {{152, 112}, {1024, 768}, {1920, 1080}, {100, 400}, {640, 480}};
  // Far beyond 2^24 milliseconds too, where a float time would no longer be smooth.
  const unsigned long starts[] = {0, 123456, 4000000000ul};
  for (const auto& size : sizes) {
    Viewport viewport = ViewportFor(size[0], size[1]);
    for (unsigned long start : starts) {
      for (unsigned long ms = start; ms < start + 60000; ms += 997) {
        Pose pose = PoseAt(ms);
        DrawnFace drawn[MaxFaces];
        int count = ComposeFrame(mesh, pose, viewport, drawn);
        CHECK(count > MaxFaces / 4);
        CHECK(count < MaxFaces * 3 / 4);

        // The faces turned to the eye are, on the whole, the near ones.
        float allDepth = 0, drawnDepth = 0;
        for (int f = 0; f < mesh.faceCount; ++f) {
          for (int k = 0; k < 3; ++k) {
            allDepth +=
                (Apply(pose.orientation, mesh.vertices[mesh.faces[f].corner[k]]) + pose.position).z;
          }
        }
        for (int i = 0; i < count; ++i) drawnDepth += drawn[i].depth;
        CHECK(drawnDepth / static_cast<float>(count) <
              allDepth / static_cast<float>(mesh.faceCount));

        for (int i = 0; i < count; ++i) {
          if (i > 0) CHECK(drawn[i - 1].depth >= drawn[i].depth);
          for (const Point& p : drawn[i].corner) {
            CHECK(p.x >= 0);
            CHECK(p.x < size[0]);
            CHECK(p.y >= 0);
            CHECK(p.y < size[1]);
          }
        }
      }
    }
  }
}

TEST_CASE("culling by normals agrees with the winding on the screen") {
  Mesh mesh;
  BuildStar(&mesh);
  // A huge viewport, so that rounding the corners to pixels cannot flip a winding.
  Viewport viewport = ViewportFor(40000, 30000);
  for (unsigned long ms = 0; ms < 120000; ms += 251) {
    Pose pose = PoseAt(ms);
    int frontTurn = 0, backTurn = 0; // bit 1: counter-clockwise on screen, bit 2: clockwise
    for (int f = 0; f < mesh.faceCount; ++f) {
      Point p[3];
      Vec3 corner[3];
      for (int k = 0; k < 3; ++k) {
        corner[k] = Apply(pose.orientation, mesh.vertices[mesh.faces[f].corner[k]]) + pose.position;
        p[k] = Project(viewport, corner[k]);
      }
      Vec3 normal = Apply(pose.orientation, mesh.normals[f]);
      // A face seen exactly edge-on may go either way.
      if (std::fabs(Dot(normal, corner[0])) < 0.001f * Length(corner[0])) continue;
      (FacesEye(normal, corner[0]) ? frontTurn : backTurn) |=
          TwiceArea(p[0], p[1], p[2]) > 0 ? 1 : 2;
    }
    CHECK_MESSAGE(frontTurn != 3, "at " << ms << " ms");
    CHECK_MESSAGE(backTurn != 3, "at " << ms << " ms");
    CHECK_MESSAGE((frontTurn & backTurn) == 0, "at " << ms << " ms");
  }
}

TEST_CASE("the motion is smooth: one frame later the star has moved only a little") {
  const unsigned long starts[] = {5000, 16777216ul + 12345, 4294000000ul};
  for (unsigned long start : starts) {
    for (unsigned long ms = start; ms < start + 40000; ms += 1009) {
      Pose a = PoseAt(ms), b = PoseAt(ms + 20);
      Vec3 tipA = Apply(a.orientation, {1.55f, 0, 0}) + a.position;
      Vec3 tipB = Apply(b.orientation, {1.55f, 0, 0}) + b.position;
      float step = Length(tipB - tipA);
      CHECK_MESSAGE(step < 0.06f, "at " << ms << " ms");
      CHECK_MESSAGE(step > 0.0005f, "at " << ms << " ms");
    }
  }
}
