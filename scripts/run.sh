#!/usr/bin/env bash
# Installs what is missing, builds, starts the demo service in the background
# and runs the program against it: the desktop program when the build has it,
# otherwise an example query with the command-line front end. The demo service
# stops when this script ends.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" -DBUILD_TESTING=OFF -DTRADEMARK_BUILD_BENCH=OFF
build=${BUILD_DIR:-$root/build}

# The port of the service host the program is built for (127.0.0.1:18080).
port=18080
log=$(mktemp)
"$build/demo/trademark-demo-service" --port "$port" >"$log" 2>&1 &
demo_pid=$!
stop_demo() {
    kill "$demo_pid" 2>/dev/null || true
    wait "$demo_pid" 2>/dev/null || true
    rm -f "$log"
}
trap stop_demo EXIT

for _ in $(seq 100); do
    grep -q '^listening on ' "$log" && break
    kill -0 "$demo_pid" 2>/dev/null || break
    sleep 0.1
done
if ! grep -q '^listening on ' "$log"; then
    cat "$log" >&2
    echo "The demo service did not start (is port $port in use?)." >&2
    exit 1
fi
cat "$log"

if [ -x "$build/app/trademark-search" ]; then
    "$build/app/trademark-search"
else
    echo "\$ trademark-query 3 vorn"
    "$build/cli/trademark-query" --host "127.0.0.1:$port" 3 vorn
fi
