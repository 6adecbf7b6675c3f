// dx_math_test.cpp - the row-vector matrix, quaternion and spline helpers.
#include <gtest/gtest.h>

#include <cmath>

#include <glm/gtc/type_ptr.hpp>

#include "base/dx_math.h"

#define EXPECT_VEC3(v, X, Y, Z)                                                                              \
    do {                                                                                                     \
        glm::vec3 v_ = (v);                                                                                  \
        EXPECT_NEAR(v_.x, (X), 1e-5f);                                                                       \
        EXPECT_NEAR(v_.y, (Y), 1e-5f);                                                                       \
        EXPECT_NEAR(v_.z, (Z), 1e-5f);                                                                       \
    } while (0)

static const float kHalfPi = 1.5707964f;

TEST(DxMath, YawPitchRollTurnsRollThenPitchThenYaw) {
    glm::mat4 m;
    D3DXMatrixRotationYawPitchRoll(&m, kHalfPi, 0, 0);
    EXPECT_VEC3(transformPoint(glm::vec3(1, 0, 0), m), 0, 0, -1); // yaw about Y
    D3DXMatrixRotationYawPitchRoll(&m, 0, kHalfPi, 0);
    EXPECT_VEC3(transformPoint(glm::vec3(0, 1, 0), m), 0, 0, 1); // pitch about X
    D3DXMatrixRotationYawPitchRoll(&m, 0, 0, kHalfPi);
    EXPECT_VEC3(transformPoint(glm::vec3(1, 0, 0), m), 0, 1, 0); // roll about Z
    // Roll first: x -> y, then pitch: y -> z, then yaw: z -> x.
    D3DXMatrixRotationYawPitchRoll(&m, kHalfPi, kHalfPi, kHalfPi);
    EXPECT_VEC3(transformPoint(glm::vec3(1, 0, 0), m), 1, 0, 0);
    // Row-vector storage: row 0 of the yaw matrix is (cos, 0, -sin, 0).
    D3DXMatrixRotationYawPitchRoll(&m, 0.5f, 0, 0);
    EXPECT_NEAR(rowVectorElement(m, 0, 0), std::cos(0.5f), 1e-6f);
    EXPECT_NEAR(rowVectorElement(m, 0, 2), -std::sin(0.5f), 1e-6f);
    EXPECT_NEAR(glm::value_ptr(m)[2], -std::sin(0.5f), 1e-6f);
}

TEST(DxMath, QuaternionMatchesTheMatrix) {
    glm::quat q;
    glm::mat4 m;
    D3DXQuaternionRotationYawPitchRoll(&q, 0.3f, -0.8f, 1.9f);
    D3DXMatrixRotationYawPitchRoll(&m, 0.3f, -0.8f, 1.9f);
    EXPECT_NEAR(glm::dot(q, q), 1.0f, 1e-6f);
    glm::vec3 v(0.2f, -1.5f, 3.0f);
    glm::vec3 byQuat = q * v;
    EXPECT_VEC3(byQuat, transformPoint(v, m).x, transformPoint(v, m).y, transformPoint(v, m).z);
    D3DXQuaternionRotationYawPitchRoll(&q, kHalfPi, 0, 0);
    EXPECT_NEAR(q.y, std::sin(kHalfPi / 2), 1e-6f);
    EXPECT_NEAR(q.w, std::cos(kHalfPi / 2), 1e-6f);
}

TEST(DxMath, MultiplyScaleTranslate) {
    glm::mat4 s, r, t, world;
    D3DXMatrixScaling(&s, 2, 3, 4);
    D3DXMatrixRotationYawPitchRoll(&r, kHalfPi, 0, 0);
    D3DXMatrixTranslation(&t, 10, 20, 30);
    EXPECT_FLOAT_EQ(rowVectorElement(t, 3, 0), 10); // translation in the last row
    EXPECT_FLOAT_EQ(rowVectorElement(t, 3, 2), 30);
    D3DXMatrixMultiply(&world, &s, &r);     // scale first
    D3DXMatrixMultiply(&world, &world, &t); // then translate
    EXPECT_VEC3(transformPoint(glm::vec3(1, 0, 0), world), 10, 20, 28);
    EXPECT_VEC3(transformPoint(glm::vec3(0, 0, 1), world), 14, 20, 30);
}

TEST(DxMath, LookAtAndPerspective) {
    glm::mat4 view, proj;
    glm::vec3 eye(0, 10, 0), at(0.000999f, 1, 0), up(0, 1, 0);
    D3DXMatrixLookAtRH(&view, &eye, &at, &up);
    EXPECT_VEC3(transformPoint(eye, view), 0, 0, 0);
    glm::vec3 ahead = transformPoint(glm::vec3(0, 5, 0), view);
    EXPECT_NEAR(ahead.z, -5.0f, 1e-3f); // right-handed: the camera looks down -z

    D3DXMatrixPerspectiveFovRH(&proj, kHalfPi, 16.0f / 9.0f, 0.05f, 1000.0f);
    glm::vec4 n = proj * glm::vec4(0, 0, -0.05f, 1), f = proj * glm::vec4(0, 0, -1000.0f, 1);
    EXPECT_NEAR(n.z / n.w, 0.0f, 1e-5f);
    EXPECT_NEAR(f.z / f.w, 1.0f, 1e-5f);
    EXPECT_NEAR(rowVectorElement(proj, 2, 3), -1.0f, 1e-6f);
    EXPECT_NEAR(rowVectorElement(proj, 1, 1), 1.0f, 1e-6f); // cot(pi/4)
    EXPECT_NEAR(rowVectorElement(proj, 0, 0), 9.0f / 16.0f, 1e-6f);

    // An all-zero camera (an empty scene) gives a matrix instead of aborting on the zero aspect.
    D3DXMatrixPerspectiveFovRH(&proj, 0, 0, 0, 0);
    EXPECT_TRUE(std::isinf(rowVectorElement(proj, 1, 1)));
}

TEST(DxMath, CatmullRomEndsOnTheMiddleKeys) {
    glm::vec3 p0(0, 0, 0), p1(1, 2, 3), p2(4, 4, 4), p3(9, 0, 1), out;
    D3DXVec3CatmullRom(&out, &p0, &p1, &p2, &p3, 0);
    EXPECT_VEC3(out, 1, 2, 3);
    D3DXVec3CatmullRom(&out, &p0, &p1, &p2, &p3, 1);
    EXPECT_VEC3(out, 4, 4, 4);
}
