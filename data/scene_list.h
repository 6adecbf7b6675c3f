// scene_list.h - the show's scenes in play order, one line each: the scene's number and the rest of its
// file's name (`X(5, drop_two)` is data/scene_05_drop_two.cpp, whose tables are scene5, scene5Names...).
// Everything that counts or lists the scenes comes from these lines: kSceneCount and the build's
// sources (data/scene_list.cmake reads this file), the declarations (data/scene_build.h) and the
// show's tables (data/scenes.cpp, where the compiler checks the numbers run 0, 1, 2... in order).
//
//     #define QZ_SCENE_ENTRY(n, name) scene##n,
//     const SceneTable sceneTable = {{QZ_SCENES(QZ_SCENE_ENTRY)}};
//
// A new scene is its file and one line here, at the end (docs/recipes.md#add-a-scene).
#pragma once

// clang-format off
#define QZ_SCENES(X) \
    X(0, intro) \
    X(1, lift) \
    X(2, hit) \
    X(3, build) \
    X(4, drop) \
    X(5, drop_two) \
    X(6, breakdown) \
    X(7, rise) \
    X(8, climax) \
    X(9, bridge) \
    X(10, finale) \
    /* a new scene's line goes above this one */
// clang-format on
