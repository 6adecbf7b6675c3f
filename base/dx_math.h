// dx_math.h - the matrix, quaternion and spline helpers shared by the director and the renderer.
//
// Matrices are for row vectors: a point p is transformed as p x M, and M1 x M2 applies M1 first.
// They are held in glm::mat4, whose column-major storage of the column-vector matrix has exactly the
// same 16 floats as the row-vector matrix stored row by row, so they upload unchanged. Angles are
// radians; yaw turns about Y, pitch about X, roll about Z.
//
//     glm::mat4 world, r;
//     D3DXMatrixScaling(&world, 2, 2, 2);
//     D3DXMatrixRotationYawPitchRoll(&r, yaw, pitch, roll);
//     D3DXMatrixMultiply(&world, &world, &r);       // scale first, then rotate
//     glm::vec3 p = transformPoint(glm::vec3(1, 0, 0), world);
#pragma once

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

// Rotation that applies roll, then pitch, then yaw.
glm::mat4* D3DXMatrixRotationYawPitchRoll(glm::mat4* out, float yaw, float pitch, float roll);

// The same rotation as a unit quaternion (x, y, z, w).
glm::quat* D3DXQuaternionRotationYawPitchRoll(glm::quat* out, float yaw, float pitch, float roll);

// out = first x second; out may be either argument.
glm::mat4* D3DXMatrixMultiply(glm::mat4* out, const glm::mat4* first, const glm::mat4* second);

glm::mat4* D3DXMatrixScaling(glm::mat4* out, float sx, float sy, float sz);

// Translation in the last row.
glm::mat4* D3DXMatrixTranslation(glm::mat4* out, float x, float y, float z);

// Right-handed view: the camera at eye looks toward at, with up as the up direction.
glm::mat4* D3DXMatrixLookAtRH(glm::mat4* out, const glm::vec3* eye, const glm::vec3* at, const glm::vec3* up);

// Right-handed perspective projection, vertical field of view fovy, depth 0 at near and 1 at far.
glm::mat4* D3DXMatrixPerspectiveFovRH(glm::mat4* out, float fovy, float aspect, float zn, float zf);

// Uniform Catmull-Rom point between p1 (s = 0) and p2 (s = 1).
glm::vec3* D3DXVec3CatmullRom(glm::vec3* out, const glm::vec3* p0, const glm::vec3* p1, const glm::vec3* p2,
                              const glm::vec3* p3, float s);

// p x M for a point (w = 1), the homogeneous result divided by nothing.
inline glm::vec4 transformPoint(glm::vec4 p, const glm::mat4& m) {
    return m * p;
}
inline glm::vec3 transformPoint(glm::vec3 p, const glm::mat4& m) {
    return glm::vec3(m * glm::vec4(p, 1.0f));
}

// Row r, column c of the row-vector matrix (r, c in 0..3).
inline float rowVectorElement(const glm::mat4& m, int r, int c) {
    return m[r][c];
}
