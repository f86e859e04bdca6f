#!/usr/bin/env bash
# A PostgreSQL server far away: the program reaches a throwaway server through a relay that
# holds every chunk for a set time each way (bench/delay_relay.py), beside psql over the same
# relay. Prints the import of 10,000 lines, SELECT-and-save of 100,000 rows and the fill.
#   scripts/bench-far-server.sh [round trip in ms, default 50]
# VARKEL_FAR_BENCHES="import save" chooses the benches (both by default).
set -euo pipefail
cd "$(dirname "$0")/.."
rtt=${1:-50}

cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARKEL_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench -j2 --target select_save_bench import_bench >/dev/null

far() {
  local rtt=$1 port
  port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
  python3 bench/delay_relay.py "$port" "$VARKEL_PG_HOST" "$VARKEL_PG_PORT" $((rtt / 2)) &
  local relay=$!
  trap "kill $relay 2>/dev/null" EXIT
  for _ in $(seq 50); do (echo >/dev/tcp/127.0.0.1/"$port") 2>/dev/null && break; sleep 0.1; done
  export PGPASSWORD=$VARKEL_PG_PASSWORD
  local ping
  ping=$( { /usr/bin/time -f %e psql -qAt -h 127.0.0.1 -p "$port" -U "$VARKEL_PG_USER" \
    -d postgres -c 'SELECT 1' >/dev/null; } 2>&1)
  echo "psql connect + SELECT 1 through the relay: $ping s"
  local shown=(xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb
    VARKEL_PG_PORT="$port" VARKEL_PG_HOST=127.0.0.1)
  # Each bench's own lines, then its goal at this distance (seconds, not ratios).
  case " ${VARKEL_FAR_BENCHES:-import save} " in *" import "*)
    "${shown[@]}" build-bench/bench/import_bench --rows 10000 --runs 1 --engines postgresql \
      --reference batched | awk -v rtt="$rtt" '
        { print }
        /import window/ { printf "  goal 7  PostgreSQL at %d ms: import of 10000 lines %.2f s (goal < 3)\n", rtt, $(NF-3) }' ;;
  esac
  case " ${VARKEL_FAR_BENCHES:-import save} " in *" save "*)
    "${shown[@]}" build-bench/bench/select_save_bench --rows 100000 --runs 1 \
      --engines postgresql | awk -v rtt="$rtt" '
        { print }
        /SELECT-and-save \(window/ { printf "  goal 7  PostgreSQL at %d ms: SELECT-and-save of 100000 rows %.2f s (goal < 2), %s MB\n", rtt, $(NF-5), $(NF-3) }
        /goal 3 .*fill of "SELECT \* FROM big"/ { for (i = 1; i < NF; i++) if ($(i+1) == "s") t = $i; printf "  goal 7  PostgreSQL at %d ms: first 10000 rows of a fill %.2f s (goal < 0.6)\n", rtt, t }' ;;
  esac
}
export -f far
bash scripts/with-servers.sh bash -c "far $rtt"
