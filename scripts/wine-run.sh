#!/usr/bin/env bash
# Runs a Windows program under Wine the way every test and demo does: a private
# prefix, the Japanese ANSI code page (932), a virtual display when none is set,
# and sound written to the WAV file $HGF_CAPTURE (default: capture.wav in a fresh
# temporary HOME). The program's exit code is returned.
set -uo pipefail
source "$(dirname "$0")/env.sh"

export WINEPREFIX=${HGF_WINEPREFIX:-$HGF_DEPS/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
# Set for Wine only: this shell has no ja_JP locale of its own (LOCPATH is read at exec).
# HGF_WINE_LOCALE=en_US.UTF-8 gives the ANSI code page of a Western Windows (1252).
wine_locale=(env LOCPATH="$HGF_LOCPATH" LC_ALL="${HGF_WINE_LOCALE:-ja_JP.UTF-8}")

home=${HGF_WINE_HOME:-}
own_home=0
if [ -z "$home" ]; then
  home=$(mktemp -d "${TMPDIR:-/tmp}/hgf-wine-home.XXXXXX")
  own_home=1
fi
export HOME=$home
export HGF_CAPTURE=${HGF_CAPTURE:-$home/capture.wav}
if [ "${HGF_NO_SOUND:-0}" != 1 ]; then
  cat >"$home/.asoundrc" <<ASOUND
pcm.!default {
  type file
  slave.pcm "null"
  file "$HGF_CAPTURE"
  format "wav"
}
ASOUND
fi

# Wine links the user's shell folders (Desktop, Documents, ...) to the HOME of the
# first start, a temporary folder that is gone by the next run. A dangling Desktop
# leaves the shell namespace without its root (the folder browser then selects
# nothing), so the prefix gets folders of its own instead.
linked_shell_folders() {
  local link
  for link in "$WINEPREFIX"/drive_c/users/*/*; do [ -L "$link" ] && echo "$link"; done
  return 0
}

# Wine has neither "ＭＳ Ｐゴシック", the face of the program's font and dialogs, nor
# "MS UI Gothic", the face of menus, tabs and buttons in Japanese, and would draw them with
# a bitmap face of wide spacing; the installed IPA P Gothic takes the place of both.
replace_fonts() {
  local face=IPAPGothic name
  if [ -z "$(fc-list "$face" family 2>/dev/null)" ]; then
    echo "wine-run: the font $face is not installed; Japanese text keeps Wine's face" >&2
    return 1
  fi
  for name in 'ＭＳ Ｐゴシック' 'MS UI Gothic'; do
    "${wine_locale[@]}" wine reg add 'HKCU\Software\Wine\Fonts\Replacements' \
      /v "$name" /t REG_SZ /d "$face" /f >/dev/null 2>&1 || return 1
  done
}

# The first start of a prefix takes a while; serialise it between parallel tests.
mkdir -p "$(dirname "$WINEPREFIX")"
if [ ! -f "$WINEPREFIX/.hgf-ready" ] || [ ! -f "$WINEPREFIX/.hgf-fonts" ] ||
  [ -n "$(linked_shell_folders)" ]; then
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.hgf-ready" ]; then
      "${wine_locale[@]}" wineboot -i >/dev/null 2>&1
      wineserver -w
    fi
    if [ ! -f "$WINEPREFIX/.hgf-fonts" ]; then
      replace_fonts && touch "$WINEPREFIX/.hgf-fonts"
    fi
    linked_shell_folders | while read -r link; do rm -f "$link" && mkdir -p "$link"; done
    touch "$WINEPREFIX/.hgf-ready"
  ) 9>"$WINEPREFIX.lock"
fi

run_wine() {
  if [ -n "${DISPLAY:-}" ]; then
    "${wine_locale[@]}" wine "$@"
  else
    xvfb-run -a -s "-screen 0 1280x1024x24" "${wine_locale[@]}" wine "$@"
  fi
}

# Processes that Wine starts on the program's behalf (the desktop's explorer.exe, which
# lives as long as any program uses the desktop) inherit its output. Into a caller's pipe
# that would keep the caller waiting for them, so output that is not a terminal goes
# through files and is passed on when the program has ended.
if [ -t 1 ] && [ -t 2 ]; then
  run_wine "$@"
  rc=$?
else
  output=$(mktemp -d "${TMPDIR:-/tmp}/hgf-wine-output.XXXXXX")
  run_wine "$@" >"$output/stdout" 2>"$output/stderr"
  rc=$?
  # A failure without a single line of output is Wine not starting the program at all (seen
  # once in a long parallel run): said, and tried once more.
  if [ $rc != 0 ] && [ ! -s "$output/stdout" ] && [ ! -s "$output/stderr" ]; then
    echo "wine-run: $1 ended with exit code $rc and no output; running it again" >&2
    run_wine "$@" >"$output/stdout" 2>"$output/stderr"
    rc=$?
  fi
  cat "$output/stdout"
  cat "$output/stderr" >&2
  rm -rf "$output"
fi
[ $own_home = 1 ] && [ "${HGF_KEEP_HOME:-0}" != 1 ] && rm -rf "$home"
exit $rc
