#!/usr/bin/env bash
# brenvik-cli get through ser2net over RFC 2217 on the loopback against get
# straight on the simulator's pseudo-terminal, both at bus timing: median of
# RUNS (20) each and their ratio; and the connection set-up time of the
# network interface (connect, negotiate 16457 8N1, arm). ser2net runs on
# 127.0.0.1 with a configuration of its own and is stopped at the end.
set -euo pipefail

build=${BUILD_DIR:-build}
runs=${RUNS:-20}
cli=$build/brenvik-cli
sim=$build/brenvik-sim
setup=$build/bench/network-setup-time
for program in "$cli" "$sim" "$setup"; do
  if [[ ! -x $program ]]; then
    echo "network.sh: $program is missing; build it first (make bench)" >&2
    exit 1
  fi
done
command -v ser2net >/dev/null || { echo "network.sh: ser2net is missing (scripts/install-deps test)" >&2; exit 1; }

dir=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$dir"
}
trap cleanup EXIT

# The simulator at bus timing, answering only at 16457 baud.
"$sim" --baud 16457 >"$dir/sim.out" &
pids+=($!)
until [[ -s $dir/sim.out ]]; do sleep 0.01; done
pty=$(head -1 "$dir/sim.out")

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cat >"$dir/ser2net.yaml" <<YAML
connection: &bench
  accepter: telnet(rfc2217),tcp,127.0.0.1,$port
  connector: serialdev,$pty,9600n81,local
YAML
ser2net -n -c "$dir/ser2net.yaml" -P "$dir/ser2net.pid" 2>/dev/null &
pids+=($!)
hexport=$(printf '%04X' "$port")
until grep -q "0100007F:$hexport 00000000:0000 0A" /proc/net/tcp; do sleep 0.01; done
url=rfc2217://127.0.0.1:$port

# median_ms PORT: the median wall time of RUNS gets, in milliseconds.
median_ms() {
  local times=() start end
  for ((i = 0; i < runs; i++)); do
    start=$(date +%s%N)
    "$cli" get --port "$1" >/dev/null
    end=$(date +%s%N)
    times+=($(( (end - start) / 1000 )))
  done
  printf '%s\n' "${times[@]}" | sort -n | awk '{ v[NR] = $1 } END { printf "%.1f\n", (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) / 1000 }'
}

pty_ms=$(median_ms "$pty")
net_ms=$(median_ms "$url")
read -r setup_median setup_min setup_max < <("$setup" "$url" "$runs")
echo "get on the pseudo-terminal:      median $pty_ms ms of $runs"
echo "get over rfc2217 via ser2net:    median $net_ms ms of $runs"
awk -v a="$net_ms" -v b="$pty_ms" 'BEGIN { printf "ratio rfc2217 / pseudo-terminal: %.2f\n", a / b }'
echo "connection set-up (connect, 16457 8N1, arm): median $setup_median ms (min $setup_min, max $setup_max) of $runs"
