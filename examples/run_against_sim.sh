#!/bin/sh
# Runs an example against a fresh arx-sim: starts the simulator on a free
# port, passes the port to the example, stops the simulator, and exits with
# the example's status. RUNNER, when set, is the interpreter of a script
# example (RUNNER=/usr/bin/python3 for the Python ones).
#   run_against_sim.sh <arx-sim> <example> [simulator options...]
set -u
sim=$1
example=$2
shift 2
out=$(mktemp)
"$sim" --port 0 "$@" >"$out" &
sim_pid=$!
trap 'kill $sim_pid 2>/dev/null; wait $sim_pid 2>/dev/null; rm -f "$out"' EXIT INT TERM
# The simulator's first line: "listening on 127.0.0.1:<port>".
port=""
for _ in $(seq 50); do
  port=$(sed -n '1s/^listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$out")
  [ -n "$port" ] && break
  sleep 0.1
done
if [ -z "$port" ]; then
  echo "arx-sim did not start" >&2
  exit 1
fi
${RUNNER:+"$RUNNER"} "$example" --port "$port"
