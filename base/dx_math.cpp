// dx_math.cpp - the row-vector helpers on top of glm.
#include "base/dx_math.h"

#include <cmath>

#define GLM_ENABLE_EXPERIMENTAL
#include <glm/ext/matrix_clip_space.hpp>
#include <glm/ext/matrix_transform.hpp>
#include <glm/gtx/euler_angles.hpp>

glm::mat4* D3DXMatrixRotationYawPitchRoll(glm::mat4* out, float yaw, float pitch, float roll) {
    // Column-vector Ry * Rx * Rz turns a point by roll first; its storage is the row-vector matrix.
    *out = glm::eulerAngleYXZ(yaw, pitch, roll);
    return out;
}

glm::quat* D3DXQuaternionRotationYawPitchRoll(glm::quat* out, float yaw, float pitch, float roll) {
    float sy = std::sin(yaw * 0.5f), cy = std::cos(yaw * 0.5f);
    float sp = std::sin(pitch * 0.5f), cp = std::cos(pitch * 0.5f);
    float sr = std::sin(roll * 0.5f), cr = std::cos(roll * 0.5f);
    // q(yaw) * q(pitch) * q(roll), written out.
    out->x = cy * sp * cr + sy * cp * sr;
    out->y = sy * cp * cr - cy * sp * sr;
    out->z = cy * cp * sr - sy * sp * cr;
    out->w = cy * cp * cr + sy * sp * sr;
    return out;
}

glm::mat4* D3DXMatrixMultiply(glm::mat4* out, const glm::mat4* first, const glm::mat4* second) {
    *out = (*second) * (*first); // row vectors: first applies first
    return out;
}

glm::mat4* D3DXMatrixScaling(glm::mat4* out, float sx, float sy, float sz) {
    *out = glm::scale(glm::mat4(1.0f), glm::vec3(sx, sy, sz));
    return out;
}

glm::mat4* D3DXMatrixTranslation(glm::mat4* out, float x, float y, float z) {
    *out = glm::translate(glm::mat4(1.0f), glm::vec3(x, y, z));
    return out;
}

glm::mat4* D3DXMatrixLookAtRH(glm::mat4* out, const glm::vec3* eye, const glm::vec3* at,
                              const glm::vec3* up) {
    *out = glm::lookAtRH(*eye, *at, *up);
    return out;
}

// Written out rather than through glm::perspectiveRH_ZO, which asserts on a zero aspect: a camera
// still all zeros (an empty scene) must give a matrix, not abort a debug build.
glm::mat4* D3DXMatrixPerspectiveFovRH(glm::mat4* out, float fovy, float aspect, float zn, float zf) {
    float yScale = 1.0f / std::tan(fovy * 0.5f);
    *out = glm::mat4(0.0f);
    (*out)[0][0] = yScale / aspect;
    (*out)[1][1] = yScale;
    (*out)[2][2] = zf / (zn - zf);
    (*out)[2][3] = -1.0f;
    (*out)[3][2] = zn * zf / (zn - zf);
    return out;
}

glm::vec3* D3DXVec3CatmullRom(glm::vec3* out, const glm::vec3* p0, const glm::vec3* p1, const glm::vec3* p2,
                              const glm::vec3* p3, float s) {
    float s2 = s * s, s3 = s2 * s;
    *out = 0.5f * (2.0f * *p1 + (*p2 - *p0) * s + (2.0f * *p0 - 5.0f * *p1 + 4.0f * *p2 - *p3) * s2 +
                   (3.0f * *p1 - *p0 - 3.0f * *p2 + *p3) * s3);
    return out;
}
