#!/usr/bin/env bash
# Installs everything Tembric needs to build and test on Debian, from Debian's
# own archive only, and cross-builds libjpeg-turbo for MinGW from Debian's
# source package. Safe to run again: each step checks whether it is done.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
deps=${TEMBRIC_DEPS:-$repo/.deps}
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

packages=(
  build-essential cmake ninja-build pkg-config dpkg-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  mingw-w64 wine wine64
  xvfb openbox xdotool x11-utils imagemagick xclip
  libjpeg-dev
  clang-format shellcheck
  fp-utils
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  log=$(mktemp)
  if ! { $sudo apt-get update -qq && DEBIAN_FRONTEND=noninteractive \
        $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"; } >"$log" 2>&1; then
    cat "$log"
    exit 1
  fi
  rm -f "$log"
fi

# A deb-src entry for the same archive the machine already uses.
src_list=/etc/apt/sources.list.d/tembric-src.sources
if ! grep -rqs '^Types:.*deb-src\|^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  echo "setup: adding deb-src entries"
  tmp=$(mktemp)
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    sed -n '/^Types:/s/^Types:.*/Types: deb-src/;p' "$f" >>"$tmp"
    echo >>"$tmp"
  done
  if [ -f /etc/apt/sources.list ]; then
    grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' >"$tmp.list" || true
    [ -s "$tmp.list" ] && $sudo cp "$tmp.list" /etc/apt/sources.list.d/tembric-src.list
  fi
  [ -s "$tmp" ] && $sudo cp "$tmp" "$src_list"
  rm -f "$tmp" "$tmp.list"
  $sudo apt-get update -qq
fi

# libjpeg-turbo for the Windows build, static, into $deps/mingw.
prefix=$deps/mingw
if [ ! -f "$prefix/lib/libjpeg.a" ]; then
  echo "setup: building libjpeg-turbo for MinGW"
  mkdir -p "$deps/src"
  (cd "$deps/src" && { ls -d libjpeg-turbo-*/ >/dev/null 2>&1 || apt-get source -qq libjpeg-turbo >/dev/null 2>&1; })
  srcdirs=("$deps"/src/libjpeg-turbo-*/)
  srcdir=${srcdirs[0]}
  cmake -S "$srcdir" -B "$deps/build-libjpeg" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
    -DWITH_SIMD=0 -DWITH_TURBOJPEG=OFF -DCMAKE_INSTALL_PREFIX="$prefix" -Wno-dev >/dev/null
  cmake --build "$deps/build-libjpeg" -j"$(nproc)" >/dev/null
  cmake --install "$deps/build-libjpeg" >/dev/null
fi

echo "setup: done"
