# start_xvfb / stop_xvfb: one virtual display for a whole test run (sourced).
hgf_xvfb_pid=
start_xvfb() {
  [ -n "${DISPLAY:-}" ] && return 0
  local n=90
  while [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  hgf_xvfb_pid=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
  trap stop_xvfb EXIT
}
stop_xvfb() {
  if [ -n "$hgf_xvfb_pid" ]; then
    command -v wineserver >/dev/null && WINEPREFIX=${HGF_WINEPREFIX:-$HGF_DEPS/wineprefix} wineserver -k 2>/dev/null || true
    kill "$hgf_xvfb_pid" 2>/dev/null || true
    wait "$hgf_xvfb_pid" 2>/dev/null || true
    hgf_xvfb_pid=
    unset DISPLAY
  fi
}
