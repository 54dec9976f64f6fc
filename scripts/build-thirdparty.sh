#!/usr/bin/env bash
# Builds libogg, libvorbis (with vorbisfile), libmpg123 and GoogleTest as static
# MinGW-w64 libraries into $HGF_MINGW_PREFIX from Debian's pinned source packages.
# Each library is built once; a stamp file records the version that was built.
set -euo pipefail
source "$(dirname "$0")/env.sh"

# Upstream versions, and the Debian source-package versions that carry them.
declare -A versions=([libogg]=1.3.5 [libvorbis]=1.3.7 [mpg123]=1.31.2)
declare -A debian_versions=([libogg]=1.3.5-3 [libvorbis]=1.3.7-1 [mpg123]=1.31.2-1+deb12u1)
src=$HGF_DEPS/src
build=$HGF_DEPS/build
mkdir -p "$src" "$build" "$HGF_MINGW_PREFIX"
toolchain=$HGF_ROOT/cmake/mingw-w64-x86_64.cmake
jobs=$(nproc)

cmake_mingw() { # source-dir build-dir extra-args...
  local s=$1 b=$2; shift 2
  cmake -S "$s" -B "$b" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$HGF_MINGW_PREFIX" \
    -DCMAKE_PREFIX_PATH="$HGF_MINGW_PREFIX" -DBUILD_SHARED_LIBS=OFF \
    -DCMAKE_POLICY_DEFAULT_CMP0074=NEW --no-warn-unused-cli "$@" >/dev/null
  cmake --build "$b" -j "$jobs" >/dev/null
  cmake --install "$b" >/dev/null
}

unpack() { # package version -> prints the unpacked directory
  local pkg=$1 ver=$2 dir=$src/$1-$2 tarball
  if [ ! -d "$dir" ]; then
    if ! ls "$src/${pkg}_${ver}".orig.tar.* >/dev/null 2>&1; then
      # The pinned Debian version first; a newer Debian revision of the same
      # upstream release is accepted when the archive has replaced it.
      (cd "$src" && { apt-get source --download-only -qq "$pkg=${debian_versions[$pkg]}" ||
        apt-get source --download-only -qq "$pkg"; }) >&2 || true
    fi
    tarball=$(ls "$src/${pkg}_${ver}".orig.tar.* 2>/dev/null | grep -v '\.asc$' | head -1)
    if [ -z "$tarball" ]; then
      echo "third-party: no source of $pkg $ver could be fetched" >&2
      exit 1
    fi
    mkdir -p "$dir.tmp"
    tar -xf "$tarball" -C "$dir.tmp" --strip-components=1
    mv "$dir.tmp" "$dir"
  fi
  echo "$dir"
}

built() { [ -f "$HGF_MINGW_PREFIX/.$1-$2" ]; }
stamp() { touch "$HGF_MINGW_PREFIX/.$1-$2"; }

if ! built libogg "${versions[libogg]}"; then
  echo "third-party: libogg ${versions[libogg]}"
  d=$(unpack libogg "${versions[libogg]}")
  cmake_mingw "$d" "$build/libogg" -DINSTALL_DOCS=OFF -DBUILD_TESTING=OFF
  stamp libogg "${versions[libogg]}"
fi
if ! built libvorbis "${versions[libvorbis]}"; then
  echo "third-party: libvorbis ${versions[libvorbis]}"
  d=$(unpack libvorbis "${versions[libvorbis]}")
  cmake_mingw "$d" "$build/libvorbis" -DOgg_ROOT="$HGF_MINGW_PREFIX" -DBUILD_TESTING=OFF
  stamp libvorbis "${versions[libvorbis]}"
fi
if ! built mpg123 "${versions[mpg123]}"; then
  echo "third-party: mpg123 ${versions[mpg123]}"
  d=$(unpack mpg123 "${versions[mpg123]}")
  cmake_mingw "$d/ports/cmake" "$build/mpg123" -DBUILD_PROGRAMS=OFF -DBUILD_LIBOUT123=OFF
  stamp mpg123 "${versions[mpg123]}"
fi
if ! built googletest system; then
  echo "third-party: googletest for MinGW"
  cmake_mingw /usr/src/googletest "$build/googletest" -Dgtest_disable_pthreads=OFF
  stamp googletest system
fi
