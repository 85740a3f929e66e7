// The screen saver's picture, free of Windows: a spiky star that turns and drifts, lit by one
// light, with hidden faces culled and the rest sorted back to front for a painter's drawing.
#pragma once

namespace scene {

struct Vec3 {
  float x, y, z;
};

inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(float s, Vec3 v) { return {s * v.x, s * v.y, s * v.z}; }
inline float Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 Cross(Vec3 a, Vec3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// Own approximations (error below 1e-5) so that the program needs no maths library.
float Sine(float radians);
float Cosine(float radians);

// An icosahedron with a three-sided spike raised on each of its 20 faces.
constexpr int MaxVertices = 12 + 20;
constexpr int MaxFaces = 20 * 3;

struct Face {
  unsigned char corner[3]; // wound so that (b - a) x (c - a) points out of the solid
  unsigned char colour;    // index into the palette
};

struct Mesh {
  int vertexCount;
  int faceCount;
  Vec3 vertices[MaxVertices];
  Face faces[MaxFaces];
  Vec3 normals[MaxFaces]; // unit length, pointing out
};

void BuildStar(Mesh* mesh);

// Colours are 0x00BBGGRR, the layout of a GDI COLORREF.
using Colour = unsigned long;
constexpr int PaletteSize = 5;
extern const Colour Palette[PaletteSize];

struct Matrix {
  float m[3][3];
};

// Turns about x, then y, then z.
Matrix Rotation(float aroundX, float aroundY, float aroundZ);
Vec3 Apply(const Matrix& rotation, Vec3 v);

// View space: the eye at the origin, x to the right, y up, z into the screen.
struct Pose {
  Matrix orientation;
  Vec3 position;
};

// Where the star is after `milliseconds` of running. Angles come from the time modulo each
// motion's period, so the motion stays smooth however large the tick count grows.
Pose PoseAt(unsigned long milliseconds);

struct Point {
  int x, y;
};

struct Viewport {
  int width, height;
  float focal; // pixels per unit at distance 1
};

// A viewport whose perspective keeps the star on screen wherever it drifts.
Viewport ViewportFor(int width, int height);
Point Project(const Viewport& viewport, Vec3 inView);

// A face is seen when the eye lies on its outer side.
inline bool FacesEye(Vec3 normal, Vec3 pointOnFace) { return Dot(normal, pointOnFace) < 0; }

// Ambient light plus one light from the upper left, in front of the star.
Colour Shade(Colour base, Vec3 normal);

struct DrawnFace {
  Point corner[3];
  Colour colour;
  float depth;
};

// The visible faces of the posed mesh, farthest first. Returns how many were written to `out`.
int ComposeFrame(const Mesh& mesh, const Pose& pose, const Viewport& viewport,
                 DrawnFace out[MaxFaces]);

} // namespace scene
