#!/usr/bin/env bash
# Start-up of brenvik against a bare Qt window built the same way: time from
# process start to the main window's first paint, and peak RSS, over 10 runs
# each. Both programs report the moment of their first paint themselves
# (BRENVIK_FIRST_PAINT_REPORT) and end there. Headless unless
# QT_QPA_PLATFORM says otherwise; settings go to a throw-away folder whose
# port map sends COM1, which brenvik opens at start, to a missing path, so no
# serial device on this machine changes the figure.
set -euo pipefail

build=${BUILD_DIR:-build}
runs=${RUNS:-10}
app=$build/brenvik
bare=$build/bench/brenvik-bare-window
for program in "$app" "$bare"; do
  if [[ ! -x $program ]]; then
    echo "startup.sh: $program is missing; build it first (make build)" >&2
    exit 1
  fi
done

export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
export BRENVIK_FIRST_PAINT_REPORT=1
export XDG_CONFIG_HOME=$(mktemp -d)
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$XDG_CONFIG_HOME}
trap 'rm -rf "$XDG_CONFIG_HOME"' EXIT
mkdir -p "$XDG_CONFIG_HOME/Olvarn"
printf '[Ports]\nCOM1=/nonexistent/brenvik-bench-COM1\n' >"$XDG_CONFIG_HOME/Olvarn/Brenvik.conf"

# run_once PROGRAM -> "<ms> <kb>"
run_once() {
  local start report
  start=$(date +%s%N)
  report=$("$1" 2>&1 >/dev/null | grep -E '^(first-paint-ns|peak-rss-kb) ')
  awk -v start="$start" '
    $1 == "first-paint-ns" { ms = ($2 - start) / 1e6 }
    $1 == "peak-rss-kb" { kb = $2 }
    END { printf "%.2f %d\n", ms, kb }' <<<"$report"
}

# median COLUMN -> the median of that column of the lines read
median() {
  awk -v c="$1" '{ print $c }' | sort -n | awk '
    { v[NR] = $1 }
    END { mid = int((NR + 1) / 2); printf "%.2f\n", (NR % 2) ? v[mid] : (v[mid] + v[mid + 1]) / 2 }'
}

# summary LINES -> "median_ms mean_ms min_ms max_ms median_kb"
summary() {
  local lines
  lines=$(cat)
  printf '%s %s %s\n' "$(median 1 <<<"$lines")" \
    "$(awk '{ s += $1; if (NR == 1 || $1 < lo) lo = $1; if ($1 > hi) hi = $1 }
            END { printf "%.2f %.2f %.2f", s / NR, lo, hi }' <<<"$lines")" \
    "$(median 2 <<<"$lines")"
}

# One warm-up run each, so both start from a warm file cache.
"$app" >/dev/null 2>&1 || true
"$bare" >/dev/null 2>&1 || true

# The runs alternate, so a busy moment of the machine hits both alike.
app_runs=""
bare_runs=""
for ((i = 0; i < runs; i++)); do
  app_runs+="$(run_once "$app")"$'\n'
  bare_runs+="$(run_once "$bare")"$'\n'
done
read -r app_med app_mean app_min app_max app_kb < <(printf '%s' "$app_runs" | summary)
read -r bare_med bare_mean bare_min bare_max bare_kb < <(printf '%s' "$bare_runs" | summary)

printf '%-22s %10s %10s %10s %10s %14s\n' "($runs runs, $QT_QPA_PLATFORM)" "median ms" "mean ms" "min ms" "max ms" "peak RSS MB"
printf '%-22s %10s %10s %10s %10s %14.1f\n' brenvik "$app_med" "$app_mean" "$app_min" "$app_max" "$(awk -v k="$app_kb" 'BEGIN{print k/1024}')"
printf '%-22s %10s %10s %10s %10s %14.1f\n' "bare Qt window" "$bare_med" "$bare_mean" "$bare_min" "$bare_max" "$(awk -v k="$bare_kb" 'BEGIN{print k/1024}')"
awk -v a="$app_med" -v b="$bare_med" -v am="$app_min" -v bm="$bare_min" -v ak="$app_kb" -v bk="$bare_kb" 'BEGIN {
  printf "ratio brenvik/bare: start-up %.2f median, %.2f fastest (target <= 1.5); peak RSS %.2f (target <= 1.3)\n",
         a / b, am / bm, ak / bk }'
