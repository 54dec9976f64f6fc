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
