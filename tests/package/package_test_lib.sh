# Helpers for the package tests (sourced): where package_assemble leaves the package, and
# the fresh Wine prefix that package_fresh_prefix makes for the zip and installer tests.
source "$HGF_SOURCE_DIR/tests/core/win32/wine_test_lib.sh"

product_info() { sed -n "s/^#define $1 \"\(.*\)\"$/\1/p" "$HGF_SOURCE_DIR/resources/ProductInfo.h"; }
version=$(product_info HGF_PRODUCT_VERSION_TEXT)
package_dir=$HGF_BUILD_DIR/package-test
zip_file=$package_dir/Harrowgladeforte-$version-win64.zip
setup_file=$package_dir/Harrowgladeforte-$version-setup.exe
fresh_prefix=$HGF_BUILD_DIR/package-test-prefix

# unpack_zip DIR: the zip unpacked into DIR (which then holds the folder Harrowgladeforte).
unpack_zip() {
  mkdir -p "$1"
  unzip -q "$zip_file" -d "$1"
}

# Uses the fresh prefix for every Wine run of this test, with no link to the desktop of
# the machine (no menu entries written for the shortcuts).
use_fresh_prefix() {
  [ -f "$fresh_prefix/.hgf-ready" ] || fail "no fresh prefix (package_fresh_prefix)"
  export HGF_WINEPREFIX=$fresh_prefix
  export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
}

# wait_gone PID SECONDS: succeeds when the process has ended within that time.
wait_gone() {
  local i
  for ((i = 0; i < $2 * 10; i++)); do
    kill -0 "$1" 2>/dev/null || return 0
    sleep 0.1
  done
  return 1
}

# expect_last_played_sound INI CAPTURE MUSIC: the sound captured is the tone of the file
# that the INI names as played last, one of the two of make_two_tones in MUSIC.
expect_last_played_sound() {
  local last expected frequency
  last=$(ini_value "$1" LastPlayFile)
  case $last in
    "$(winpath "$3")\\01 first.ogg") expected=440 ;;
    "$(winpath "$3")\\02 second.ogg") expected=660 ;;
    *) fail "LastPlayFile is $last" ;;
  esac
  frequency=$(captured_frequency "$2")
  echo "last played $last, captured $frequency Hz"
  ((frequency >= expected - 20 && frequency <= expected + 20)) ||
    fail "captured $frequency Hz, not $expected Hz"
}
