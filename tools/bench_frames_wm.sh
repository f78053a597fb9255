#!/usr/bin/env bash
# Frame rate of the viewer's default view on a bare Xvfb and on one that runs a window manager
# (openbox), which frames the window: same viewer, same picture, frames counted from outside by the
# preloaded shim; and the window manager's CPU time per frame, which shows whether the
# viewer keeps sending it requests. Rounds alternate bare and managed; each prints its two rates,
# then the medians and the managed/bare ratio.
#   tools/bench_frames_wm.sh [rounds] [seconds-per-sample] [viewer-binary]
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-5}
seconds=${2:-4}
source tools/frame_setup.sh; frame_setup orvex
viewer=${3:-$PWD/$build/orvex}

# Two private X servers, the second under openbox.
orvex_start_x bare
orvex_start_x managed openbox
wm=${orvex_x_servers[-1]}  # openbox's process

# CPU time of a process so far, in clock ticks.
ticks_of() { awk '{print $14 + $15}' "/proc/$1/stat"; }

# sample DISPLAY: frames per second of the viewer's default view after a second of warm-up; on the
# managed server also openbox's CPU milliseconds per 1000 frames, in wm_cost.
sample() {
  local record="$work/swaps.$RANDOM"
  : > "$record"
  (cd "$work" && DISPLAY="$1" ORVEX_PRELOAD_RECORD="$record" LD_PRELOAD="$shim" \
     exec "$viewer" >/dev/null 2>&1 </dev/null) &
  local pid=$!
  for _ in $(seq 200); do [ "$(swaps_of "$record" 2>/dev/null || echo 0)" -gt 0 ] 2>/dev/null && break; sleep 0.05; done
  DISPLAY="$1" xdotool mousemove 512 420
  sleep 1
  local a b wa wb
  wa=$(ticks_of "$wm"); a=$(swaps_of "$record"); sleep "$seconds"; b=$(swaps_of "$record"); wb=$(ticks_of "$wm")
  kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null || true
  rm -f "$record"
  echo "scale=3; ($b - $a) / $seconds" | bc
  echo "scale=2; ($wb - $wa) * 1000 / $(getconf CLK_TCK) * 1000 / ($b - $a)" | bc > "$work/wm_cost"
}

median() { sort -g | awk '{v[NR]=$1} END {print (NR%2 ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2)}'; }
bare_rates=(); managed_rates=(); ratios=(); costs=()
for round in $(seq "$rounds"); do
  if [ $((round % 2)) = 1 ]; then b=$(sample "$bare"); m=$(sample "$managed"); c=$(cat "$work/wm_cost")
  else m=$(sample "$managed"); c=$(cat "$work/wm_cost"); b=$(sample "$bare"); fi
  costs+=("$c")
  bare_rates+=("$b"); managed_rates+=("$m"); ratios+=("$(echo "scale=4; $m / $b" | bc)")
  echo "round $round: bare $b fps, under openbox $m fps (openbox $c ms CPU per 1000 frames)"
done
bm=$(printf '%s\n' "${bare_rates[@]}" | median)
mm=$(printf '%s\n' "${managed_rates[@]}" | median)
rm_=$(printf '%s\n' "${ratios[@]}" | median)
lo=$(printf '%s\n' "${ratios[@]}" | sort -g | head -1); hi=$(printf '%s\n' "${ratios[@]}" | sort -g | tail -1)
cm=$(printf '%s\n' "${costs[@]}" | median)
printf 'bare %.1f fps, under openbox %.1f fps, rate ratio %.3f (%.3f-%.3f), openbox %.1f ms CPU per 1000 frames\n' \
  "$bm" "$mm" "$rm_" "$lo" "$hi" "$cm"
echo "RESULT frames-under-wm-vs-bare $rm_ $lo $hi"
