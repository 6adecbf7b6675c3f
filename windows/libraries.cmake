# The Windows build's libraries: the imported targets the folders link, made from the MinGW-w64
# builds of windows/deps.sh, whose prefixes QZ_PREFIXES lists, and Windows' own system
# libraries. Included by the top-level CMakeLists.txt when cross-building for Windows
# (windows/build.sh). Everything links statically: qz001.exe needs no DLL beside it.
include(${PROJECT_SOURCE_DIR}/tools/prefix_libraries.cmake)

# windows.h without its min and max macros; M_PI as the C library has it on Linux; printf with %zu and
# %lld; the work arena's regions are committed when reserved.
add_compile_definitions(NOMINMAX WIN32_LEAN_AND_MEAN _USE_MATH_DEFINES __USE_MINGW_ANSI_STDIO=1
                        QZ_ARENA_REGION_MIB=64)
add_link_options(-static -static-libgcc -static-libstdc++)

qz_prefix_library(qz_windows_zlib libz.a)
qz_prefix_library(PkgConfig::PNG libpng.a qz_windows_zlib)
qz_prefix_library(PkgConfig::DEFLATE libdeflate.a)
qz_prefix_library(Freetype::Freetype libfreetype.a qz_windows_zlib)
qz_interface_library(PkgConfig::QZ_GLU glu32 opengl32)
qz_prefix_library(kissfft::kissfft-float libkissfft-float.a)
qz_prefix_library(PkgConfig::OPENMPT libopenmpt.a ole32 rpcrt4)
qz_prefix_library(SDL2::SDL2 libSDL2.a kernel32 user32 gdi32 winmm imm32 ole32 oleaut32 version uuid advapi32
                  setupapi shell32 dinput8)
qz_prefix_library(PkgConfig::EPOXY libepoxy.a)
qz_prefix_library(PkgConfig::IMGUI libimgui.a SDL2::SDL2)
qz_interface_library(glm::glm)
qz_interface_library(CLI11::CLI11)
add_library(Threads::Threads INTERFACE IMPORTED GLOBAL)
