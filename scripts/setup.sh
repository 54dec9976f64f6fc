#!/usr/bin/env bash
# Prepares a Debian 12 machine (as root) for building and testing: packages,
# the Japanese locale for Wine, and the third-party libraries built for MinGW.
# Idempotent: a second run only checks and returns.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
source "$here/scripts/env.sh"

packages=(
  build-essential cmake ninja-build pkg-config git ca-certificates dpkg-dev
  g++-mingw-w64-x86-64-posix libz-mingw-w64-dev
  wine wine64 xvfb xauth
  libogg-dev libvorbis-dev libmpg123-dev libflac-dev libopus-dev libopusfile-dev
  zlib1g-dev libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-format valgrind
  sox vorbis-tools lame xdotool imagemagick x11-utils locales
  # A Japanese font: without one Wine realises the UI font with a Western character set
  # and draws Shift_JIS text as code page 1252 (fontconfig's fc-list finds its face).
  fonts-ipafont-gothic fontconfig
  # The package: the installer, the zip, and a check of the help page's markup.
  nsis zip unzip libxml2-utils
  # Wine's DirectShow parses and decodes media files through GStreamer: without these
  # plugins its filter graph renders not even a wave file.
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Source packages of the libraries that Debian does not ship for MinGW.
if [ ! -f /etc/apt/sources.list.d/debsrc.sources ]; then
  mirror=$(awk '/^URIs:/{print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
  cat >/etc/apt/sources.list.d/debsrc.sources <<SRC
Types: deb-src
URIs: ${mirror:-http://deb.debian.org/debian}
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  apt-get update -qq
fi

# Private UTF-8 locales so that file names reach Wine intact: ja_JP (ANSI code page 932)
# and en_US (code page 1252, as on a Western Windows).
for locale in ja_JP en_US; do
  if [ ! -d "$HGF_LOCPATH/$locale.UTF-8" ]; then
    mkdir -p "$HGF_LOCPATH"
    localedef -i "$locale" -f UTF-8 "$HGF_LOCPATH/$locale.UTF-8" || true
  fi
done

"$here/scripts/build-thirdparty.sh"
