# Analysis of the WAV files that Wine's file sound device writes (sourced by script tests).
# Such a file holds 16-bit samples (waveOut) or, behind DirectSound, 32-bit floating-point
# samples under an integer PCM header. The device runs faster than real time, so a player
# that keeps to the clock (the filter graph) leaves silent gaps between bursts of sound.

# capture_sound CAPTURE OUT: the first channel of CAPTURE with every silence removed.
capture_sound() {
  local trim=(remix 1 silence 1 0.002 0.05% -1 0.002 0.05%)
  if [ "$(soxi -b "$1")" = 32 ]; then
    tail -c +45 "$1" | sox -t raw -e floating-point -b 32 -c "$(soxi -c "$1")" \
      -r "$(soxi -r "$1")" - "$2" "${trim[@]}"
  else
    sox "$1" "$2" "${trim[@]}"
  fi
}

# capture_figure WAV FIELD: one figure of sox's stat of WAV ("Length", "Maximum amplitude").
capture_figure() {
  sox "$1" -n stat 2>&1 | awk -F: -v f="$2" '$1 ~ f { gsub(/ /, "", $2); print $2 }'
}

# capture_peak_frequency WAV: the strongest line of the spectrum of WAV, in whole Hz. The
# lines lie rate / 4096 apart: 5.4 Hz at 22050 Hz, 11.7 Hz at 48000 Hz.
capture_peak_frequency() {
  sox "$1" -n stat -freq 2>&1 |
    awk 'NF == 2 && $1 + 0 > 0 && $2 + 0 > best { best = $2 + 0; f = $1 }
         END { printf "%.0f\n", f }'
}
