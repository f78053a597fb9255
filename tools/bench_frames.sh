#!/usr/bin/env bash
# Frame-rate benchmark: the real viewer under Xvfb with Mesa's software renderer, frames counted
# from outside by the preloaded shim. Every view mode of the viewer is measured against two
# references: the default view drawn the straightforward documented way, and the textured sphere
# alone (the floor). Each round samples both references, every mode, then both references again;
# ratios are taken within a round and reported as the median with the spread over the rounds.
#   tools/bench_frames.sh [rounds] [seconds-per-sample] [data-file]
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-5}
seconds=${2:-4}
data=${3:-}
source tools/frame_setup.sh; frame_setup orvex sphere_floor straight_reference
orvex_start_x

# sample PROGRAM KEYS: frames per second of PROGRAM after warm-up, with KEYS typed first. A
# sample that read no count (the program had not started in time) is taken again.
sample() {
  local rate tries
  for tries in 1 2 3; do
    rate=$(sample_once "$@")
    [ -n "$rate" ] && [ "$(echo "$rate > 0" | bc 2>/dev/null)" = 1 ] && { echo "$rate"; return; }
  done
  echo "sample of $1 failed three times" >&2; exit 1
}

sample_once() {
  local program=$1 keys=$2 record="$work/swaps.$RANDOM"
  : > "$record"
  (cd "$work" && ORVEX_PRELOAD_RECORD="$record" LD_PRELOAD="$shim" \
     exec "$program" >/dev/null 2>&1 </dev/null) &
  local pid=$!
  for _ in $(seq 200); do [ "$(swaps_of "$record" 2>/dev/null || echo 0)" -gt 0 ] 2>/dev/null && break; sleep 0.05; done
  xdotool mousemove 510 402
  for k in $keys; do xdotool key "$k"; sleep 0.3; done
  sleep 1
  local a b
  a=$(swaps_of "$record"); sleep "$seconds"; b=$(swaps_of "$record")
  kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null || true
  rm -f "$record"
  [ -n "$a" ] && [ -n "$b" ] && echo "scale=3; ($b - $a) / $seconds" | bc
}

median() { sort -g | awk '{v[NR]=$1} END {print (NR%2 ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2)}'; }
lowest() { sort -g | head -1; }
highest() { sort -g | tail -1; }
ms() { echo "scale=3; 1000 / $1" | bc; }
ratio() { echo "scale=4; $1 / $2" | bc; }  # frame-time ratio from two rates: rate2 / rate1 inverted

viewer="$PWD/$build/orvex"
floor="$PWD/$build/bench/frames/sphere_floor"
straight="$PWD/$build/bench/frames/straight_reference"
modes=(default places help stereo-LR stereo-RL image-off)
declare -A keys=([default]="" [places]="p" [help]="h" [stereo-LR]="e" [stereo-RL]="e e" [image-off]="i")
declare -A rate vs_straight vs_floor vs_default
rate_straight=(); rate_floor=()

for round in $(seq "$rounds"); do
  s1=$(sample "$straight" ""); f1=$(sample "$floor" "")
  declare -A this=()
  for mode in "${modes[@]}"; do this[$mode]=$(sample "$viewer" "${keys[$mode]}"); done
  s2=$(sample "$straight" ""); f2=$(sample "$floor" "")
  s=$(echo "scale=3; ($s1 + $s2) / 2" | bc); f=$(echo "scale=3; ($f1 + $f2) / 2" | bc)
  rate_straight+=("$s"); rate_floor+=("$f")
  for mode in "${modes[@]}"; do
    v=${this[$mode]}
    rate[$mode]+="$v "
    # frame time of the viewer / frame time of the reference = reference rate / viewer rate
    vs_straight[$mode]+="$(ratio "$s" "$v") "
    vs_floor[$mode]+="$(ratio "$f" "$v") "
    vs_default[$mode]+="$(ratio "${this[default]}" "$v") "
  done
  echo "round $round of $rounds done" >&2
done

stats() { local m lo hi; m=$(tr ' ' '\n' <<<"$1" | grep . | median); lo=$(tr ' ' '\n' <<<"$1" | grep . | lowest)
          hi=$(tr ' ' '\n' <<<"$1" | grep . | highest); echo "$m $lo $hi"; }
sm=$(printf '%s\n' "${rate_straight[@]}" | median); fm=$(printf '%s\n' "${rate_floor[@]}" | median)
printf 'references: straightforward %.1f fps (%.2f ms), floor %.1f fps (%.2f ms)\n' \
  "$sm" "$(ms "$sm")" "$fm" "$(ms "$fm")"
printf '%-10s %8s %9s  %-22s %-22s %-22s\n' mode fps frame_ms "vs straight (spread)" "vs floor (spread)" "vs default (spread)"
[ -n "$data" ] && echo "# mode viewer_ms straight_ms floor_ms vs_straight lo hi vs_floor lo hi" > "$data"
for mode in "${modes[@]}"; do
  vm=$(tr ' ' '\n' <<<"${rate[$mode]}" | grep . | median)
  read -r a alo ahi <<<"$(stats "${vs_straight[$mode]}")"
  read -r b blo bhi <<<"$(stats "${vs_floor[$mode]}")"
  read -r c clo chi <<<"$(stats "${vs_default[$mode]}")"
  printf '%-10s %8.1f %9.2f  %5.2f (%4.2f-%4.2f)      %5.2f (%4.2f-%4.2f)      %5.2f (%4.2f-%4.2f)\n' \
    "$mode" "$vm" "$(ms "$vm")" "$a" "$alo" "$ahi" "$b" "$blo" "$bhi" "$c" "$clo" "$chi"
  echo "RESULT frames-$mode-vs-straight $a $alo $ahi"
  echo "RESULT frames-$mode-vs-floor $b $blo $bhi"
  echo "RESULT frames-$mode-vs-default $c $clo $chi"
  [ -n "$data" ] && echo "$mode $(ms "$vm") $(ms "$sm") $(ms "$fm") $a $alo $ahi $b $blo $bhi" >> "$data"
done
echo "(ratios are frame-time ratios, median of $rounds interleaved rounds, spread = lowest-highest)"
