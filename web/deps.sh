#!/usr/bin/env bash
# Builds the libraries the show links, for the browser: Debian's source packages of the versions the
# desktop build uses (SDL2, libopenmpt, FreeType, libpng, zlib, the GLU tessellator, kissfft, glm),
# fetched by tools/debian-source.sh and compiled with Debian's emscripten into a cache outside the
# repository:
#
#     ~/.cache/qz001/web/NAME-VERSION/{src,prefix}      (QZ_WEB_CACHE overrides ~/.cache/qz001/web)
#
# A library already built is skipped. Prints the prefix folders, one per line, on stdout when done.
set -euo pipefail
cache=${QZ_WEB_CACHE:-$HOME/.cache/qz001/web}
export NODE_PATH=/usr/share/nodejs # emscripten's optimizer needs the machine's node modules
cc=emcc
ar=emar
jobs=$(nproc)
log() { echo "web/deps.sh: $*" >&2; }

# Each build_NAME runs in its source tree and installs into $prefix; zlib, libpng, kissfft and glm
# are built by the recipes tools/debian-source.sh shares, with $cc and $ar.
build_freetype() {
  emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
    -DFT_REQUIRE_ZLIB=ON -DZLIB_LIBRARY="$zlib/lib/libz.a" -DZLIB_INCLUDE_DIR="$zlib/include" >&2
  cmake --build build-web -j"$jobs" >&2
  cmake --install build-web >&2
}

# Only the tessellator of GLU is used (the text meshes' caps), with its error strings.
build_libglu() {
  mkdir -p "$prefix/lib" "$prefix/include/GL"
  for c in src/libtess/*.c src/libutil/error.c src/libutil/glue.c; do # and gluErrorString
    [ "$c" = src/libtess/priorityq-heap.c ] && continue # included by priorityq.c
    $cc -O2 -Iinclude -Isrc/include -DNDEBUG -c "$c" -o "$(basename "$c" .c).o"
  done
  $ar rcs "$prefix/lib/libGLU.a" ./*.o
  cp include/GL/glu.h "$prefix/include/GL/"
}

# The module library alone, without debug information: no external decoders (the show plays an XM
# module), no player, no tests.
build_libopenmpt() {
  emconfigure ./configure --build=x86_64-pc-linux-gnu --host=i686-pc-linux-gnu CFLAGS=-O2 CXXFLAGS=-O2 --prefix="$prefix" --disable-shared --enable-static --disable-openmpt123 \
    --disable-examples --disable-tests --disable-doxygen-doc --without-zlib --without-mpg123 \
    --without-ogg --without-vorbis --without-vorbisfile --without-portaudio --without-portaudiocpp \
    --without-pulseaudio --without-sndfile --without-flac --without-sdl2 >&2
  emmake make -j"$jobs" >&2
  emmake make install >&2
}

build_libsdl2() {
  emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_THREADS=OFF -DSDL_PTHREADS=OFF >&2
  cmake --build build-web -j"$jobs" >&2
  cmake --install build-web >&2
}

. "$(dirname "$0")/../tools/debian-source.sh"

mkdir -p "$cache"
library zlib zlib1g-dev
library libpng libpng-dev
library freetype libfreetype-dev
library libglu libglu1-mesa-dev
library kissfft libkissfft-dev
library glm libglm-dev
library libopenmpt libopenmpt-dev
library libsdl2 libsdl2-dev
