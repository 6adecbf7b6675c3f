# debian-source.sh - sourced by web/deps.sh and windows/deps.sh: fetches Debian's source package of a
# library the desktop build uses, at the desktop's version, and builds it once with the calling
# script's recipe into a cache folder.
#
# The contract. Before sourcing it the caller defines:
#   cache          the cache folder (each library builds into $cache/NAME-VERSION/{src,prefix})
#   cc, ar         the cross compiler and archiver the shared recipes below compile with
#   jobs           parallel jobs for make, cmake and ninja
#   log MESSAGE    a function that writes one progress line to stderr
#   build_NAME     one function per library it asks for that no shared recipe here builds; it runs in
#                  the unpacked source tree and installs into $prefix
#   cross_cmake ARGS...      cmake configuring for the target (emcmake cmake; cmake with the toolchain)
#   cross_configure ARGS...  a package's ./configure for the target (--build, --host and the compilers)
#   cross_make ARGS...       make for the target (emmake make; make)
#   sdl2_options   extra CMake options for SDL2 (the browser: no threads)
# Then `library NAME PACKAGE` (PACKAGE: the desktop's -dev package, whose version is fetched) builds
# NAME unless its cache holds a build of the same recipe, sets the shell variable named NAME (with
# printf -v: $zlib, $libsdl2, ...) to its prefix, and prints the prefix on stdout.
#
#     cache=~/.cache/qz001/web; cc=emcc; ar=emar; jobs=2; log() { echo "$*" >&2; }
#     build_freetype() { ...; }
#     . tools/debian-source.sh
#     library zlib zlib1g-dev                # $zlib is now its prefix
#
# The recipes both cross builds share live here: the plain C libraries (zlib, libpng, libdeflate, kissfft) compiled
# with the caller's $cc and $ar, glm's headers, and FreeType, libopenmpt and SDL2 through the caller's
# cross_* functions.
#
# Sources come through a private sources list (deb-src lines for the archives the machine's apt sources
# name) in $cache/apt; the system's apt configuration is not touched. Nothing is downloaded from
# anywhere but the Debian archive. A library is built again only when its recipe changes.
apt_dir=$cache/apt

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

# library NAME DESKTOP_PACKAGE: fetched and built once; sets the variable NAME to its prefix.
library() {
  local name=$1 package=$2 source version dir
  source=$(dpkg-query -W -f='${source:Package}' "$package")
  version=$(desktop_version "$package")
  dir=$cache/$name-${version//:/_}
  prefix=$dir/prefix
  # The stamp holds the recipe: a changed build_NAME builds the library again.
  local recipe
  recipe=$({ declare -f "build_$name" cross_cmake cross_configure cross_make; echo "${sdl2_options:-}"; } |
    sha256sum | cut -d' ' -f1)
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


#-----------------------------------------------------------------------------
# Recipes both cross builds share
#-----------------------------------------------------------------------------

build_zlib() {
  mkdir -p "$prefix/lib" "$prefix/include"
  for c in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate inftrees \
    trees uncompr zutil; do
    $cc -O2 -DHAVE_UNISTD_H -DHAVE_STDARG_H -c "$c.c" -o "$c.o"
  done
  $ar rcs "$prefix/lib/libz.a" ./*.o
  cp zlib.h zconf.h "$prefix/include/"
}

build_libpng() {
  mkdir -p "$prefix/lib" "$prefix/include"
  cp scripts/pnglibconf.h.prebuilt pnglibconf.h
  for c in png pngerror pngget pngmem pngpread pngread pngrio pngrtran pngrutil pngset pngtrans pngwio \
    pngwrite pngwtran pngwutil; do
    $cc -O2 -I"$zlib/include" -DPNG_ARM_NEON_OPT=0 -c "$c.c" -o "$c.o"
  done
  $ar rcs "$prefix/lib/libpng.a" ./*.o
  cp png.h pngconf.h pnglibconf.h "$prefix/include/"
}

# libdeflate's library alone: its C files (the CPU feature probes of each architecture compile to nothing
# on the others), no programs.
build_libdeflate() {
  mkdir -p "$prefix/lib" "$prefix/include"
  local c
  for c in lib/*.c lib/*/*.c; do
    $cc -O2 -I. -c "$c" -o "$(echo "${c%.c}" | tr / _).o"
  done
  $ar rcs "$prefix/lib/libdeflate.a" ./*.o
  cp libdeflate.h "$prefix/include/"
}

build_kissfft() {
  mkdir -p "$prefix/lib" "$prefix/include/kissfft"
  for c in kiss_fft kiss_fftr; do $cc -O2 -Dkiss_fft_scalar=float -c "$c.c" -o "$c.o"; done
  $ar rcs "$prefix/lib/libkissfft-float.a" ./*.o
  cp kiss_fft.h kiss_fftr.h "$prefix/include/kissfft/"
}

build_glm() {
  mkdir -p "$prefix/include"
  cp -r glm "$prefix/include/"
}

build_freetype() {
  cross_cmake -S . -B build-cross -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DBUILD_SHARED_LIBS=OFF -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON -DFT_DISABLE_BZIP2=ON \
    -DFT_DISABLE_PNG=ON -DFT_REQUIRE_ZLIB=ON -DZLIB_LIBRARY="$zlib/lib/libz.a" \
    -DZLIB_INCLUDE_DIR="$zlib/include" >&2
  cmake --build build-cross -j"$jobs" >&2
  cmake --install build-cross >&2
}

# The module library alone, without debug information: no external decoders (the show plays an XM
# module), no player, no tests.
build_libopenmpt() {
  cross_configure CFLAGS=-O2 CXXFLAGS=-O2 --prefix="$prefix" --disable-shared --enable-static \
    --disable-openmpt123 --disable-examples --disable-tests --disable-doxygen-doc --without-zlib \
    --without-mpg123 --without-ogg --without-vorbis --without-vorbisfile --without-portaudio \
    --without-portaudiocpp --without-pulseaudio --without-sndfile --without-flac --without-sdl2 >&2
  cross_make -j"$jobs" >&2
  cross_make install >&2
}

build_libsdl2() {
  # shellcheck disable=SC2086 # sdl2_options is a list of options
  cross_cmake -S . -B build-cross -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF ${sdl2_options:-} >&2
  cmake --build build-cross -j"$jobs" >&2
  cmake --install build-cross >&2
}
