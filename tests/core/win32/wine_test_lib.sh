# Helpers for the script tests that run the core under Wine (sourced).
# Needs HGF_BUILD_DIR and HGF_SOURCE_DIR (set by hgf_add_script_test).

# A fresh folder holding the test host and the core library side by side, so that the
# host's INI file (its name with "ini" for "exe") lives in that folder only.
make_run_dir() {
  local dir
  dir=$(mktemp -d "${TMPDIR:-/tmp}/hgf-core-test.XXXXXX")
  cp "$HGF_BUILD_DIR/bin/CoreTestHost.exe" "$HGF_BUILD_DIR/bin/Harrowgladeforte Core.dll" "$dir/"
  echo "$dir"
}

# The Windows name of a Linux path (Wine maps / to drive Z:).
winpath() {
  local path=$1
  echo "Z:${path//\//\\}"
}

# Runs a Windows program under Wine with the project's settings; returns its exit code.
wine_run() {
  "$HGF_SOURCE_DIR/scripts/wine-run.sh" "$@"
}

# Writes an INI file with CRLF line ends from the lines given on standard input.
write_ini() {
  sed 's/$/\r/' >"$1"
}

# The value of `key` in an INI file (first match, line end stripped).
ini_value() {
  tr -d '\r' <"$1" | sed -n "s/^$2=//p" | head -n 1
}

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Two Ogg Vorbis files in "$1": "01 first.ogg" (440 Hz) and "02 second.ogg" (660 Hz), 4 s
# each, made with libvorbisenc. (Long enough that a player closed a few seconds after the
# second one started still holds it, whichever engine plays it.)
make_two_tones() {
  mkdir -p "$1"
  wine_run "$HGF_BUILD_DIR/bin/MakeToneOgg.exe" "$(winpath "$1/01 first.ogg")" 440 4 &&
    wine_run "$HGF_BUILD_DIR/bin/MakeToneOgg.exe" "$(winpath "$1/02 second.ogg")" 660 4
}

# An INI file "$1" whose newest load-history entry is the Windows folder "$2", resuming
# at its first file, in list order.
write_resume_ini() {
  write_ini "$1" <<INI
[Harrowgladeforte Core]
Histry0=$2
LastPlayFile=$2\\01 first.ogg
PlayListMode=0
INI
}

source "$HGF_SOURCE_DIR/tests/support/capture_lib.sh"

# The strongest frequency (whole Hz) of the sound captured in the WAV file "$1".
captured_frequency() {
  local sound="${1%.wav}-sound.wav"
  capture_sound "$1" "$sound" && capture_peak_frequency "$sound"
}

# Succeeds when the picture "$1" is not a single colour.
picture_not_blank() {
  local deviation
  deviation=$(convert "$1" -format '%[fx:standard_deviation]' info:)
  echo "screenshot: $1, standard deviation $deviation"
  awk -v d="$deviation" 'BEGIN { exit !(d > 0) }'
}
