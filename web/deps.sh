#!/usr/bin/env bash
# Builds the libraries the show links, for the browser: Debian's source packages of the versions the
# desktop build uses (SDL2, libopenmpt, FreeType, libpng, libdeflate, zlib, the GLU tessellator, kissfft, glm),
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

# How the shared recipes (tools/debian-source.sh) build for the browser.
cross_cmake() { emcmake cmake "$@"; }
cross_configure() { emconfigure ./configure --build=x86_64-pc-linux-gnu --host=i686-pc-linux-gnu "$@"; }
cross_make() { emmake make "$@"; }
sdl2_options="-DSDL_THREADS=OFF -DSDL_PTHREADS=OFF"

# Each build_NAME runs in its source tree and installs into $prefix; the other libraries are built by
# the recipes tools/debian-source.sh shares.

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

. "$(dirname "$0")/../tools/debian-source.sh"

mkdir -p "$cache"
library zlib zlib1g-dev
library libpng libpng-dev
library libdeflate libdeflate-dev
library freetype libfreetype-dev
library libglu libglu1-mesa-dev
library kissfft libkissfft-dev
library glm libglm-dev
library libopenmpt libopenmpt-dev
library libsdl2 libsdl2-dev
