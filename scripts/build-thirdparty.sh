#!/usr/bin/env bash
# Builds libogg, libvorbis (with vorbisfile), libFLAC, libopus, libopusfile and GoogleTest
# as static MinGW-w64 libraries, and libmpg123 as a DLL of its own (libmpg123-0.dll, LGPL:
# the user may replace it), into $HGF_MINGW_PREFIX from Debian's pinned source packages, and
# keeps the licence texts of those that ship in $HGF_MINGW_PREFIX/share/licenses. Each
# library is built once; a stamp file records the version (and, after a change of how it is
# built, the recipe) that was built.
set -euo pipefail
source "$(dirname "$0")/env.sh"

# Upstream versions, and the Debian source-package versions that carry them.
declare -A versions=([libogg]=1.3.5 [libvorbis]=1.3.7 [mpg123]=1.31.2 [flac]=1.4.2+ds
  [opus]=1.3.1 [opusfile]=0.12)
declare -A debian_versions=([libogg]=1.3.5-3 [libvorbis]=1.3.7-1 [mpg123]=1.31.2-1+deb12u1
  [flac]=1.4.2+ds-2 [opus]=1.3.1-3 [opusfile]=0.12-4)
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

configure_mingw() { # name source-dir configure-args...
  local name=$1 s=$2; shift 2
  rm -rf "$build/$name" && mkdir -p "$build/$name"
  (cd "$build/$name" &&
    "$s/configure" --host=x86_64-w64-mingw32 --prefix="$HGF_MINGW_PREFIX" --enable-static \
      --disable-shared "$@" >"$build/$name.log" 2>&1 &&
    make -j "$jobs" >>"$build/$name.log" 2>&1 && make install >>"$build/$name.log" 2>&1) ||
    { tail -30 "$build/$name.log" >&2; exit 1; }
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

# keep_licence package dir files...: the licence texts beside the built library.
keep_licence() {
  local pkg=$1 dir=$2; shift 2
  mkdir -p "$HGF_MINGW_PREFIX/share/licenses/$pkg"
  for f in "$@"; do cp "$dir/$f" "$HGF_MINGW_PREFIX/share/licenses/$pkg/"; done
}

if ! built libogg "${versions[libogg]}"; then
  echo "third-party: libogg ${versions[libogg]}"
  d=$(unpack libogg "${versions[libogg]}")
  cmake_mingw "$d" "$build/libogg" -DINSTALL_DOCS=OFF -DBUILD_TESTING=OFF
  keep_licence libogg "$d" COPYING
  stamp libogg "${versions[libogg]}"
fi
if ! built libvorbis "${versions[libvorbis]}"; then
  echo "third-party: libvorbis ${versions[libvorbis]}"
  d=$(unpack libvorbis "${versions[libvorbis]}")
  cmake_mingw "$d" "$build/libvorbis" -DOgg_ROOT="$HGF_MINGW_PREFIX" -DBUILD_TESTING=OFF
  keep_licence libvorbis "$d" COPYING
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
# Builds from before the licence texts were kept: add them from the unpacked sources.
for pkg in libogg libvorbis; do
  if [ ! -f "$HGF_MINGW_PREFIX/share/licenses/$pkg/COPYING" ]; then
    keep_licence "$pkg" "$(unpack "$pkg" "${versions[$pkg]}")" COPYING
  fi
done
# libFLAC with Ogg FLAC; no programs, no C++ library, no stack protector (MinGW would need
# libssp beside the core for it).
if ! built flac "${versions[flac]}"; then
  echo "third-party: flac ${versions[flac]}"
  d=$(unpack flac "${versions[flac]}")
  cmake_mingw "$d" "$build/flac" -DWITH_OGG=ON -DBUILD_CXXLIBS=OFF -DBUILD_PROGRAMS=OFF \
    -DBUILD_EXAMPLES=OFF -DBUILD_TESTING=OFF -DBUILD_DOCS=OFF -DINSTALL_MANPAGES=OFF \
    -DWITH_STACK_PROTECTOR=OFF -DWITH_FORTIFY_SOURCE=OFF
  keep_licence flac "$d" COPYING.Xiph
  stamp flac "${versions[flac]}"
fi
# The CMake build of this opus release lacks one of its files: autotools, as for opusfile.
if ! built opus "${versions[opus]}"; then
  echo "third-party: opus ${versions[opus]}"
  d=$(unpack opus "${versions[opus]}")
  # Without _FORTIFY_SOURCE, whose checked functions would need libssp beside the core.
  configure_mingw opus "$d" --disable-doc --disable-extra-programs --disable-stack-protector \
    CFLAGS="-O2 -D_FORTIFY_SOURCE=0"
  keep_licence opus "$d" COPYING
  stamp opus "${versions[opus]}"
fi
# Files only: no HTTP, hence no SSL.
if ! built opusfile "${versions[opusfile]}"; then
  echo "third-party: opusfile ${versions[opusfile]}"
  d=$(unpack opusfile "${versions[opusfile]}")
  configure_mingw opusfile "$d" --disable-http --disable-examples --disable-doc \
    DEPS_CFLAGS="-I$HGF_MINGW_PREFIX/include -I$HGF_MINGW_PREFIX/include/opus" \
    DEPS_LIBS="-L$HGF_MINGW_PREFIX/lib -lopus -logg"
  keep_licence opusfile "$d" COPYING
  stamp opusfile "${versions[opusfile]}"
fi
if ! built googletest system; then
  echo "third-party: googletest for MinGW"
  cmake_mingw /usr/src/googletest "$build/googletest" -Dgtest_disable_pthreads=OFF
  stamp googletest system
fi
