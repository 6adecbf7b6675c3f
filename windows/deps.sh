#!/usr/bin/env bash
# Builds the libraries the show links, for 64-bit Windows: Debian's source packages of the versions
# the desktop build uses (SDL2, libopenmpt, FreeType, libpng, libdeflate, zlib, libepoxy, Dear ImGui, CLI11,
# kissfft, glm), fetched by tools/debian-source.sh and compiled as static
# libraries with Debian's MinGW-w64 into a cache outside the repository:
#
#     ~/.cache/qz001/windows/NAME-VERSION/{src,prefix}  (QZ_WINDOWS_CACHE overrides the folder)
#
# GLU is Windows' own glu32. A library already built is skipped. Prints the prefix folders, one per
# line, on stdout when done.
set -euo pipefail
cache=${QZ_WINDOWS_CACHE:-$HOME/.cache/qz001/windows}
toolchain=$(cd "$(dirname "$0")/.." && pwd)/windows/toolchain.cmake
host=x86_64-w64-mingw32
cc=$host-gcc-posix
cxx=$host-g++-posix
ar=$host-ar
jobs=$(nproc)
log() { echo "windows/deps.sh: $*" >&2; }

# How the shared recipes (tools/debian-source.sh) build for Windows.
cross_cmake() { cmake -DCMAKE_TOOLCHAIN_FILE="$toolchain" "$@"; }
cross_configure() { ./configure --build=x86_64-pc-linux-gnu --host=$host CC=$cc CXX=$cxx "$@"; }
cross_make() { make "$@"; }
sdl2_options=""

# Each build_NAME runs in its source tree and installs into $prefix; the other libraries are built by
# the recipes tools/debian-source.sh shares.

# The OpenGL loader, with WGL only.
build_libepoxy() {
  cat >cross-windows.txt <<CROSS
[binaries]
c = '$cc'
cpp = '$cxx'
ar = '$ar'
strip = '$host-strip'
windres = '$host-windres'
[host_machine]
system = 'windows'
cpu_family = 'x86_64'
cpu = 'x86_64'
endian = 'little'
CROSS
  meson setup build-windows --cross-file cross-windows.txt --prefix="$prefix" --libdir=lib \
    --buildtype=release -Ddefault_library=static -Ddocs=false -Dtests=false -Dglx=no -Degl=no -Dx11=false >&2
  ninja -C build-windows -j"$jobs" >&2
  ninja -C build-windows install >&2
}

# The core, and the SDL2 and OpenGL 3 back ends the launcher draws with.
build_imgui() {
  mkdir -p "$prefix/lib" "$prefix/include/imgui/backends"
  for c in imgui imgui_draw imgui_tables imgui_widgets backends/imgui_impl_sdl backends/imgui_impl_opengl3; do
    $cxx -O2 -I. -I"$libsdl2/include/SDL2" -c "$c.cpp" -o "$(basename "$c").o"
  done
  $ar rcs "$prefix/lib/libimgui.a" ./*.o
  cp ./*.h "$prefix/include/imgui/"
  cp backends/imgui_impl_sdl.h backends/imgui_impl_opengl3.h backends/imgui_impl_opengl3_loader.h \
    "$prefix/include/imgui/backends/"
}

# The command line parser: headers only.
build_cli11() {
  mkdir -p "$prefix/include"
  cp -r include/CLI "$prefix/include/"
}

. "$(dirname "$0")/../tools/debian-source.sh"

mkdir -p "$cache"
library zlib zlib1g-dev
library libpng libpng-dev
library libdeflate libdeflate-dev
library freetype libfreetype-dev
library kissfft libkissfft-dev
library glm libglm-dev
library libopenmpt libopenmpt-dev
library libsdl2 libsdl2-dev
library libepoxy libepoxy-dev
library imgui libimgui-dev
library cli11 libcli11-dev
