#!/bin/sh
# make demo's last step: arx-sim with its viewer on free ports, pick_and_place
# against it, then its Python twin when given (run by Debian's python3), then
# (from a terminal) the simulator left running for a look at the page until
# Enter. Exits 0 when every example succeeded.
#   demo.sh <arx-sim> <pick_and_place> [pick_and_place.py]
set -u
sim=$1
example=$2
python_example=${3:-}
out=$(mktemp)
"$sim" --port 0 --web 0 >"$out" &
sim_pid=$!
trap 'kill $sim_pid 2>/dev/null; wait $sim_pid 2>/dev/null; rm -f "$out"' EXIT INT TERM
# The simulator's first two lines: "listening on 127.0.0.1:<port>" and
# "viewer on http://127.0.0.1:<port>/".
port=""
viewer=""
for _ in $(seq 50); do
  port=$(sed -n '1s/^listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$out")
  viewer=$(sed -n '2s/^viewer on \(http:.*\)$/\1/p' "$out")
  [ -n "$port" ] && [ -n "$viewer" ] && break
  sleep 0.1
done
if [ -z "$port" ] || [ -z "$viewer" ]; then
  echo "arx-sim did not start" >&2
  exit 1
fi
echo "arx-sim listens on 127.0.0.1:$port; watch it at $viewer"
"$example" --port "$port"
status=$?
if [ -n "$python_example" ]; then
  /usr/bin/python3 "$python_example" --port "$port" || status=$?
fi
if [ -t 0 ]; then
  printf 'arx-sim keeps running: the viewer is at %s (press Enter to stop it) ' "$viewer"
  read -r _
fi
exit $status
