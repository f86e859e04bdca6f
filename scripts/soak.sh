#!/usr/bin/env bash
# Runs the soak run beside throwaway PostgreSQL and MariaDB servers: random use of the real main
# window, from a seed it prints, with invariants checked after every step and faults injected
# (sessions killed, servers restarted, tables locked by another connection or by pgbench, a full
# disk, an import file cut short).
# usage: scripts/soak.sh [--minutes N | --actions N] [--seed S] [--engines sqlite,postgresql,mariadb]
#                        [--no-faults] [--trace]
# The same seed and count of actions replay a run; the sanitizer build (build-test) is used.
set -euo pipefail
cd "$(dirname "$0")/.."

soak=${VARKEL_BUILD_DIR:-build-test}/tests/soak/varkel_soak
if [ ! -x "$soak" ]; then
  echo "soak: $soak is not built (cmake --build build-test --target varkel_soak)" >&2
  exit 2
fi
args=("$@")
case " $* " in *" --engines "*) ;; *) args+=(--engines sqlite,postgresql,mariadb) ;; esac
case " $* " in *" --minutes "* | *" --actions "*) ;; *) args+=(--minutes 2) ;; esac
export QT_QPA_PLATFORM=offscreen
exec bash scripts/with-servers.sh "$soak" "${args[@]}"
