#!/usr/bin/env bash
# The installer under Wine, in the fresh prefix (after the zip test):
#   1. setup.exe /S installs the zip's folder into %LOCALAPPDATA%\Programs\Harrowgladeforte
#      with the Start-menu shortcuts, the Uninstall values and the verb "Harrowgladeforte で再生"
#      on folders and list files; the install time is printed;
#   2. the installed program starts and plays a folder of Ogg files;
#   3. setup.exe /S again, while it plays: it closes the program (which saves its
#      settings) and installs over it, keeping the INI;
#   4. uninstall.exe /S while the program runs: it closes it and removes the program files,
#      the shortcuts, the registry key and the verbs, and keeps the INI.
set -euo pipefail
source "$(dirname "$0")/package_test_lib.sh"
use_fresh_prefix
dir=$(mktemp -d "${TMPDIR:-/tmp}/hgf-package-setup.XXXXXX")
trap 'rm -rf "$dir"' EXIT
unpack_zip "$dir/unpacked"
package=$dir/unpacked/Harrowgladeforte
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Harrowgladeforte'

user=$(find "$HGF_WINEPREFIX/drive_c/users" -mindepth 1 -maxdepth 1 -type d ! -name Public | head -n 1)
app=$user/AppData/Local/Programs/Harrowgladeforte
menu="$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Harrowgladeforte"
ini=$app/Harrowgladeforte.ini
windows_app='C:\users\'$(basename "$user")'\AppData\Local\Programs\Harrowgladeforte'

setup() {
  local start rc=0
  start=$(date +%s%N)
  HGF_NO_SOUND=1 wine_run "$setup_file" /S || rc=$?
  echo "setup.exe /S: exit code $rc, $((($(date +%s%N) - start) / 1000000)) ms"
  return $rc
}
# The value of NAME in the Uninstall key as reg printed it into $values ("" when missing).
uninstall_value() { sed -n "s/^ *$1 *REG_[A-Z]* *//p" <<<"$values"; }
# Starts the installed program (it resumes the folder of its INI) and waits until its
# list shows rows; the probe keeps watching until the window closes.
start_player() {
  rm -f "$dir/ready"
  HGF_CAPTURE=$dir/$1.wav wine_run "$app/Harrowgladeforte.exe" &
  player=$!
  HGF_CAPTURE=$dir/probe.wav wine_run "$HGF_BUILD_DIR/bin/PlayerProbe.exe" \
    "$(winpath "$dir/ready")" 1000 120 >/dev/null &
  probe=$!
  for _ in $(seq 300); do [ -e "$dir/ready" ] && return 0; sleep 0.1; done
  fail "the installed program shows no list"
}
# The program and its probe end within 30 s of what closes the program.
expect_player_closed() {
  wait_gone "$player" 30 || fail "the program is still running after $1"
  wait "$player" || fail "the program ended with an error"
  wait "$probe" || true  # it reports the window closed before it was told to
}

# 1. A fresh installation (after whatever an earlier run of this test left).
rm -rf "$app" "$menu"
HGF_NO_SOUND=1 wine_run reg delete "$key" /f >/dev/null 2>&1 || true
setup || fail "the installer failed"
diff -r --exclude=uninstall.exe "$package" "$app" || fail "the installed files differ from the zip's"
[ -f "$app/uninstall.exe" ] || fail "no uninstaller"
[ -f "$menu/Harrowgladeforte.lnk" ] || fail "no Start-menu shortcut of the program"
[ -f "$menu/Harrowgladeforte ヘルプ.lnk" ] || fail "no Start-menu shortcut of the help"
target=$(strings -a "$menu/Harrowgladeforte ヘルプ.lnk")
grep -qxF "$windows_app\Help\index.html" <<<"$target" ||
  fail "the help shortcut does not open Help\\index.html"
values=$(HGF_NO_SOUND=1 wine_run reg query "$key" 2>/dev/null | tr -d '\r')
[ "$(uninstall_value DisplayName)" = Harrowgladeforte ] || fail "DisplayName is $(uninstall_value DisplayName)"
[ "$(uninstall_value DisplayVersion)" = "$version" ] || fail "DisplayVersion is $(uninstall_value DisplayVersion)"
[ "$(uninstall_value Publisher)" = "$(product_info HGF_PUBLISHER)" ] || fail "Publisher is $(uninstall_value Publisher)"
[ "$(uninstall_value DisplayIcon)" = "$windows_app\\Harrowgladeforte.exe,0" ] ||
  fail "DisplayIcon is $(uninstall_value DisplayIcon)"
[ "$(uninstall_value UninstallString)" = "\"$windows_app\\uninstall.exe\"" ] ||
  fail "UninstallString is $(uninstall_value UninstallString)"
# The default value of the key HKCU\Software\Classes\$1 in $classes, as reg printed the
# user's classes (in the ANSI code page, 932 here, where the default value is "(既定)").
class_value() {
  key="HKEY_CURRENT_USER\\Software\\Classes\\$1" LC_ALL=C awk '
    /^HKEY/ { found = ($0 == ENVIRON["key"]); next }
    found && sub(/^ *\([^)]*\) *REG_SZ */, "") { print; exit }' <<<"$classes"
}
read_classes() {
  classes=$(HGF_NO_SOUND=1 wine_run reg query 'HKCU\Software\Classes' /s 2>/dev/null | tr -d '\r')
  [ -n "$classes" ] || fail "reg printed no classes"
}
verb_classes=(Directory SystemFileAssociations\\.{spl,spf,spt,m3u,m3u8,asx,pls})
read_classes
for class in "${verb_classes[@]}"; do
  verb=$(class_value "$class\\shell\\Harrowgladeforte\\command")
  [ "$verb" = "\"$windows_app\\Harrowgladeforte.exe\" \"%1\"" ] || fail "the verb on $class runs: $verb"
done
text=$(class_value 'Directory\shell\Harrowgladeforte' | iconv -f CP932 -t UTF-8)
[ "$text" = "Harrowgladeforte で再生" ] || fail "the verb on folders reads: $text"
size=$(($(uninstall_value EstimatedSize)))
installed=$(du -sk --apparent-size "$app" | cut -f1)
echo "EstimatedSize $size KiB, installed $installed KiB"
((size > installed * 9 / 10 && size < installed * 11 / 10 + 8)) || fail "EstimatedSize is $size KiB"

# 2. The installed program plays a folder of Ogg files.
# 3. Installing over it while it plays: its INI lacks the window width, which the program
#    writes when it closes, and one installed file is damaged.
make_two_tones "$dir/music" || fail "could not make the Ogg files"
write_resume_ini "$ini" "$(winpath "$dir/music")"
start_player update
sleep 2
: >"$app/Readme.txt"
setup || fail "the installer failed over the running program"
expect_player_closed "setup.exe /S"
expect_last_played_sound "$ini" "$dir/update.wav" "$dir/music"
[ "$(ini_value "$ini" Histry0)" = "$(winpath "$dir/music")" ] || fail "the INI lost its history"
[ "$(ini_value "$ini" Width)" = 320 ] ||
  fail "the program did not save its settings when the installer closed it"
cmp -s "$package/Readme.txt" "$app/Readme.txt" || fail "the installed files were not replaced"

# 4. Uninstalling while the program runs; the INI stays.
start_player uninstall
HGF_NO_SOUND=1 wine_run "$app/uninstall.exe" /S || fail "the uninstaller failed"
expect_player_closed "uninstall.exe /S"
# The uninstaller works on from a copy of itself; wait until that copy has finished.
for _ in $(seq 300); do [ -e "$app/uninstall.exe" ] || break; sleep 0.1; done
WINEPREFIX=$HGF_WINEPREFIX wineserver -w
left=$(cd "$app" && find . -mindepth 1 | sort | tr '\n' ' ')
[ "$left" = "./Harrowgladeforte.ini " ] || fail "left in the program folder: $left"
[ ! -e "$menu" ] || fail "the Start-menu folder is still there"
! HGF_NO_SOUND=1 wine_run reg query "$key" >/dev/null 2>&1 || fail "the Uninstall key is still there"
read_classes
! grep -q 'shell\\Harrowgladeforte$' <<<"$classes" || fail "a verb is still there"
echo "package installer under Wine: ok"
