#!/usr/bin/env bash
# Builds libogg, libvorbis (with vorbisfile) and GoogleTest as static MinGW-w64 libraries,
# and libmpg123 as a DLL of its own (libmpg123-0.dll, LGPL: the user may replace it), into
# $HGF_MINGW_PREFIX from Debian's pinned source packages. Each library is built once; a
# stamp file records the version (and, after a change of how it is built, the recipe)
# that was built.
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

# Applies the Debian patch series of an unpacked source once (security fixes among them).
debian_patches() { # package dir
  local pkg=$1 dir=$2 tarball patches patch
  [ -f "$dir/.debian-patches" ] && return 0
  tarball=$src/${pkg}_${debian_versions[$pkg]}.debian.tar.xz
  [ -f "$tarball" ] || tarball=$(ls -v "$src/${pkg}_"*.debian.tar.* 2>/dev/null | tail -1)
  [ -n "$tarball" ] || { echo "third-party: no Debian patches of $pkg" >&2; exit 1; }
  patches=$(mktemp -d)
  tar -xf "$tarball" -C "$patches"
  if [ -f "$patches/debian/patches/series" ]; then
    grep -v '^[[:space:]]*\(#\|$\)' "$patches/debian/patches/series" | while read -r patch _; do
      patch -d "$dir" -p1 -s -N <"$patches/debian/patches/$patch" >&2
    done
  fi
  rm -rf "$patches"
  touch "$dir/.debian-patches"
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
# libmpg123 as libmpg123-0.dll (the name of the library's own Windows builds), importing
# system DLLs only; its licence goes beside it for the build to ship with the DLL.
if ! built mpg123 "${versions[mpg123]}-dll"; then
  echo "third-party: mpg123 ${versions[mpg123]} (DLL)"
  d=$(unpack mpg123 "${versions[mpg123]}")
  debian_patches mpg123 "$d"
  rm -f "$HGF_MINGW_PREFIX"/lib/lib{mpg123,syn123}.a  # the static build of older recipes
  cmake_mingw "$d/ports/cmake" "$build/mpg123-dll" -DBUILD_SHARED_LIBS=ON \
    -DBUILD_PROGRAMS=OFF -DBUILD_LIBOUT123=OFF \
    -DCMAKE_PROJECT_INCLUDE="$HGF_ROOT/cmake/Mpg123DllName.cmake" \
    -DCMAKE_SHARED_LINKER_FLAGS="-static -static-libgcc -s"
  install -D -m 644 "$d/COPYING" "$HGF_MINGW_PREFIX/share/licenses/mpg123/COPYING"
  stamp mpg123 "${versions[mpg123]}-dll"
fi
if ! built googletest system; then
  echo "third-party: googletest for MinGW"
  cmake_mingw /usr/src/googletest "$build/googletest" -Dgtest_disable_pthreads=OFF
  stamp googletest system
fi
