#!/usr/bin/env bash
# Cross-builds the show for 64-bit Windows with Debian's MinGW-w64 and packs it:
#
#     windows/build.sh      # then: build-windows/qz001-windows.zip
#
# The zip holds qz001.exe (statically linked: no DLL, nothing to install), music/ZB_PALEWIRE.xm and
# README.txt. Installs the cross compiler when missing (tools/install-deps.sh --windows) and builds the
# libraries once (windows/deps.sh, cached in ~/.cache/qz001/windows).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh --windows
prefixes=$(windows/deps.sh | paste -sd ';')
cmake -S . -B build-windows/cmake -DCMAKE_TOOLCHAIN_FILE="$PWD/windows/toolchain.cmake" -DCMAKE_BUILD_TYPE=Release \
  "-DQZ_PREFIXES=$prefixes" >/dev/null
cmake --build build-windows/cmake -j"$(nproc)" --target qz001
x86_64-w64-mingw32-strip -o build-windows/cmake/qz001-stripped.exe build-windows/cmake/app/qz001.exe

pack=build-windows/pack
rm -rf "$pack" && mkdir -p "$pack/qz001/music"
cp build-windows/cmake/qz001-stripped.exe "$pack/qz001/qz001.exe"
cp music/ZB_PALEWIRE.xm "$pack/qz001/music/"
sed 's/$/\r/' windows/README.txt >"$pack/qz001/README.txt" # Notepad's line ends
zip=build-windows/qz001-windows.zip
(cd "$pack" && cmake -E tar cf ../qz001-windows.zip.partial --format=zip qz001)
mv "$zip.partial" "$zip"
echo "windows/build.sh: $zip ($(du -h "$zip" | cut -f1))"
