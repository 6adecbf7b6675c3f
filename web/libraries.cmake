# The browser build's libraries: the imported targets the folders link, made from the emscripten
# builds of web/deps.sh, whose prefixes QZ_PREFIXES lists. Included by the top-level
# CMakeLists.txt when building with emscripten.
set(QZ_WEB ON)
include(${PROJECT_SOURCE_DIR}/tools/prefix_libraries.cmake)

qz_prefix_library(qz_web_zlib libz.a)
qz_prefix_library(PkgConfig::PNG libpng.a qz_web_zlib)
qz_prefix_library(PkgConfig::DEFLATE libdeflate.a)
qz_prefix_library(Freetype::Freetype libfreetype.a qz_web_zlib)
qz_prefix_library(PkgConfig::QZ_GLU libGLU.a)
qz_prefix_library(kissfft::kissfft-float libkissfft-float.a)
qz_prefix_library(PkgConfig::OPENMPT libopenmpt.a)
qz_prefix_library(SDL2::SDL2 libSDL2.a)
qz_interface_library(glm::glm)
# The renderer's OpenGL loader: the ES 3.0 headers of WebGL2 (web/include/epoxy/gl.h).
add_library(PkgConfig::EPOXY INTERFACE IMPORTED GLOBAL)
target_include_directories(PkgConfig::EPOXY INTERFACE ${CMAKE_CURRENT_LIST_DIR}/include)
add_library(Threads::Threads INTERFACE IMPORTED GLOBAL)
