#!/usr/bin/env bash
# Builds the libraries the show links, for the browser: Debian's source packages of the versions the
# desktop build uses (SDL2, libopenmpt, FreeType, libpng, zlib, the GLU tessellator, kissfft, glm),
# fetched with `apt-get source` through a private sources list (deb-src lines for the archives the
# machine's apt sources name; the system's apt configuration is not touched), compiled with
# Debian's emscripten into a cache outside the repository:
#
#     ~/.cache/qz001/web/NAME-VERSION/{src,prefix}      (QZ_WEB_CACHE overrides ~/.cache/qz001/web)
#
# A library already built is skipped. Nothing is downloaded from anywhere but the Debian archive.
# Prints the prefix folders, one per line, on stdout when done.
set -euo pipefail
cache=${QZ_WEB_CACHE:-$HOME/.cache/qz001/web}
apt_dir=$cache/apt
export NODE_PATH=/usr/share/nodejs # emscripten's optimizer needs the machine's node modules
jobs=$(nproc)
log() { echo "web-deps: $*" >&2; }

# The source version of the package the desktop build uses (installed by tools/install-deps.sh).
desktop_version() {
  dpkg-query -W -f='${source:Version}' "$1"
}

private_apt() {
  apt-get -o Dir::Etc::SourceList="$apt_dir/sources.list" -o Dir::Etc::SourceParts="$apt_dir/parts" \
    -o Dir::State::Lists="$apt_dir/lists" -o Dir::Cache="$apt_dir/cache" -o APT::Sandbox::User=root \
    -o Debug::NoLocking=1 "$@"
}

# deb-src twins of the machine's apt sources, both formats.
write_sources() {
  mkdir -p "$apt_dir/parts" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
  : >"$apt_dir/sources.list"
  if [ -f /etc/apt/sources.list ]; then
    sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' /etc/apt/sources.list >>"$apt_dir/sources.list"
  fi
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && sed 's/^Types:.*/Types: deb-src/' "$f" >"$apt_dir/parts/$(basename "$f")"
  done
  for f in /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] && sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$f" >>"$apt_dir/sources.list"
  done
  return 0
}

update_index() {
  [ -f "$apt_dir/updated" ] && return 0
  log "reading the Debian archive's source index"
  write_sources
  private_apt update -qq >&2
  touch "$apt_dir/updated"
}

# The archive's source versions for a desktop version, best first: the same one, then, when the
# archive has moved on (a security update), the others with the same upstream version, newest first.
archive_versions() {
  local package=$1 version=$2 listed
  update_index
  listed=$(apt-cache -o Dir::Etc::SourceList="$apt_dir/sources.list" -o Dir::Etc::SourceParts="$apt_dir/parts" \
    -o Dir::State::Lists="$apt_dir/lists" -o Dir::Cache="$apt_dir/cache" showsrc "$package" |
    sed -n 's/^Version: //p' | sort -u)
  grep -qxF "$version" <<<"$listed" && echo "$version"
  grep -F "${version%-*}-" <<<"$listed" | grep -vxF "$version" | sort -rV || true
}

# When apt got the .dsc and the upstream tarball but not the Debian changes (the archive answers 404 for
# some old .diff.gz files): the tarball, checked against the .dsc's SHA-256, unpacked into DIR/src.
unpack_upstream() {
  local dir=$1 dsc orig sum
  dsc=$(find "$dir/fetch" -maxdepth 1 -name '*.dsc' | head -n 1)
  orig=$(find "$dir/fetch" -maxdepth 1 -name '*.orig.tar.*' | head -n 1)
  [ -n "$dsc" ] && [ -n "$orig" ] || return 1
  sum=$(awk -v f="$(basename "$orig")" '/^Checksums-Sha256:/ {on = 1; next} /^[^ ]/ {on = 0} on && $3 == f {print $1}' "$dsc")
  [ -n "$sum" ] && echo "$sum  $orig" | sha256sum -c --quiet - >&2 || return 1
  mkdir -p "$dir/fetch/tree"
  tar -xf "$orig" -C "$dir/fetch/tree"
  mv "$(find "$dir/fetch/tree" -mindepth 1 -maxdepth 1 -type d | head -n 1)" "$dir/src"
  rm -rf "$dir/fetch"
}

# fetch SOURCE_PACKAGE VERSION DIR: the unpacked source tree in DIR/src.
fetch() {
  local package=$1 version=$2 dir=$3 candidate
  [ -d "$dir/src" ] && return 0
  for candidate in $(archive_versions "$package" "$version"); do
    [ "$candidate" = "$version" ] || log "$package $version: trying $candidate (same upstream version)"
    log "fetching $package $candidate"
    rm -rf "$dir/fetch" && mkdir -p "$dir/fetch"
    if (cd "$dir/fetch" && private_apt source -qq "$package=$candidate" >&2); then
      local tree
      tree=$(find "$dir/fetch" -mindepth 1 -maxdepth 1 -type d | head -n 1)
      mv "$tree" "$dir/src"
      echo "$candidate" >"$dir/source-version"
      rm -rf "$dir/fetch"
      return 0
    fi
    if unpack_upstream "$dir"; then
      log "$package $candidate: the archive lacks its Debian changes; built from its upstream tarball alone"
      echo "$candidate (upstream tarball)" >"$dir/source-version"
      return 0
    fi
  done
  log "cannot fetch the source of $package $version (or of its upstream version) from the Debian archive"
  exit 1
}

# Each build_NAME runs in its source tree and installs into $prefix.
build_zlib() {
  mkdir -p "$prefix/lib" "$prefix/include"
  for c in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate inftrees \
    trees uncompr zutil; do
    emcc -O2 -DHAVE_UNISTD_H -DHAVE_STDARG_H -c "$c.c" -o "$c.o"
  done
  emar rcs "$prefix/lib/libz.a" ./*.o
  cp zlib.h zconf.h "$prefix/include/"
}

build_libpng() {
  mkdir -p "$prefix/lib" "$prefix/include"
  cp scripts/pnglibconf.h.prebuilt pnglibconf.h
  for c in png pngerror pngget pngmem pngpread pngread pngrio pngrtran pngrutil pngset pngtrans pngwio \
    pngwrite pngwtran pngwutil; do
    emcc -O2 -I"$zlib/include" -DPNG_ARM_NEON_OPT=0 -c "$c.c" -o "$c.o"
  done
  emar rcs "$prefix/lib/libpng.a" ./*.o
  cp png.h pngconf.h pnglibconf.h "$prefix/include/"
}

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
    emcc -O2 -Iinclude -Isrc/include -DNDEBUG -c "$c" -o "$(basename "$c" .c).o"
  done
  emar rcs "$prefix/lib/libGLU.a" ./*.o
  cp include/GL/glu.h "$prefix/include/GL/"
}

build_kissfft() {
  mkdir -p "$prefix/lib" "$prefix/include/kissfft"
  for c in kiss_fft kiss_fftr; do emcc -O2 -Dkiss_fft_scalar=float -c "$c.c" -o "$c.o"; done
  emar rcs "$prefix/lib/libkissfft-float.a" ./*.o
  cp kiss_fft.h kiss_fftr.h "$prefix/include/kissfft/"
}

build_glm() {
  mkdir -p "$prefix/include"
  cp -r glm "$prefix/include/"
}

# The module library alone: no external decoders (the show plays an XM module), no player, no tests.
build_libopenmpt() {
  emconfigure ./configure --build=x86_64-pc-linux-gnu --host=i686-pc-linux-gnu --prefix="$prefix" --disable-shared --enable-static --disable-openmpt123 \
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

# library NAME DESKTOP_PACKAGE: fetched and built once; sets the variable NAME to its prefix.
library() {
  local name=$1 package=$2 source version dir
  source=$(dpkg-query -W -f='${source:Package}' "$package")
  version=$(desktop_version "$package")
  dir=$cache/$name-${version//:/_}
  prefix=$dir/prefix
  # The stamp holds the recipe: a changed build_NAME builds the library again.
  local recipe
  recipe=$(declare -f "build_$name" | sha256sum | cut -d' ' -f1)
  if [ "$(cat "$dir/built" 2>/dev/null)" != "$recipe" ]; then
    fetch "$source" "$version" "$dir"
    log "building $name $version"
    rm -rf "$prefix"
    (cd "$dir/src" && "build_$name")
    echo "$recipe" >"$dir/built"
  fi
  printf -v "$name" '%s' "$prefix"
  echo "$prefix"
}

mkdir -p "$cache"
library zlib zlib1g-dev
library libpng libpng-dev
library freetype libfreetype-dev
library libglu libglu1-mesa-dev
library kissfft libkissfft-dev
library glm libglm-dev
library libopenmpt libopenmpt-dev
library libsdl2 libsdl2-dev
