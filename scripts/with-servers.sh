#!/usr/bin/env bash
# Runs a command beside a throwaway PostgreSQL 15 and MariaDB, both on loopback with their data in
# a temporary folder, and exits with the command's code. The servers' addresses and a fresh
# password reach the command as VARKEL_PG_* and VARKEL_MARIADB_* variables.
set -euo pipefail

if (($# == 0)); then
  echo "usage: $0 command [args...]" >&2
  exit 2
fi

work=$(mktemp -d /tmp/varkel-servers.XXXXXX)
chmod 755 "$work"
password=$(head -c 24 /dev/urandom | base64 | tr -dc 'A-Za-z0-9' | head -c 20)
pg_bin=/usr/lib/postgresql/15/bin
maria_pid=""

as_user() {  # as_user USER command...: the servers refuse to run as root
  local user=$1
  shift
  if [ "$(id -u)" = 0 ]; then runuser -u "$user" -- "$@"; else "$@"; fi
}

port_free() {
  local hex
  hex=$(printf ':%04X ' "$1")
  ! grep -qi "$hex" /proc/net/tcp /proc/net/tcp6 2>/dev/null
}

pick_port() {
  local port
  for _ in $(seq 1 50); do
    port=$((20000 + RANDOM % 30000))
    if port_free "$port"; then echo "$port"; return; fi
  done
  echo "no free port found" >&2
  exit 1
}

stop_pid() {  # stop_pid PID: asks the process to end, waits for it, and kills it after 30 s
  local pid=$1
  kill -TERM "$pid" 2>/dev/null || return 0
  for _ in $(seq 1 300); do
    kill -0 "$pid" 2>/dev/null || return 0
    sleep 0.1
  done
  kill -KILL "$pid" 2>/dev/null || true
  for _ in $(seq 1 50); do
    kill -0 "$pid" 2>/dev/null || return 0
    sleep 0.1
  done
}

# The processes of this run's servers: every one started with a path in its folder.
run_pids() {
  pgrep -f -- "$work/" || true
}

stop_servers() {
  local status=$?
  if [ -f "$work/pg/data/postmaster.pid" ]; then
    as_user postgres "$pg_bin/pg_ctl" -D "$work/pg/data" -m fast -w stop >/dev/null 2>&1 || true
  fi
  # MariaDB runs below runuser, which does not pass a signal on: the server is stopped by its
  # own pid, and waited for before its folder goes.
  if [ -s "$work/maria/mysqld.pid" ]; then
    stop_pid "$(cat "$work/maria/mysqld.pid")"
  fi
  if [ -n "$maria_pid" ]; then
    stop_pid "$maria_pid"
    wait "$maria_pid" 2>/dev/null || true
  fi
  local pid
  for pid in $(run_pids); do
    stop_pid "$pid"
  done
  if [ -n "$(run_pids)" ]; then
    echo "with-servers: server processes of this run are still running:" >&2
    ps -o pid,args -p "$(run_pids | paste -sd,)" >&2 || true
    status=1
  fi
  rm -rf "$work"
  exit $status
}
trap stop_servers EXIT

# PostgreSQL
pg_port=$(pick_port)
mkdir -p "$work/pg/sock"
printf '%s\n' "$password" >"$work/pg/pw"
[ "$(id -u)" = 0 ] && chown -R postgres: "$work/pg"
as_user postgres "$pg_bin/initdb" -D "$work/pg/data" -U varkel --pwfile="$work/pg/pw" \
  --auth-local=trust --auth-host=scram-sha-256 -E UTF8 --locale=C.UTF-8 >"$work/pg/initdb.log" 2>&1 ||
  { cat "$work/pg/initdb.log" >&2; exit 1; }
as_user postgres "$pg_bin/pg_ctl" -D "$work/pg/data" -l "$work/pg/server.log" -w \
  -o "-p $pg_port -k $work/pg/sock -c listen_addresses=127.0.0.1 -c fsync=off -c max_connections=200" \
  start >/dev/null || { cat "$work/pg/server.log" >&2; exit 1; }

# MariaDB
maria_port=$(pick_port)
mkdir -p "$work/maria/data"
cat >"$work/maria/my.cnf" <<CNF
[mysqld]
datadir=$work/maria/data
socket=$work/maria/mysqld.sock
port=$maria_port
bind-address=127.0.0.1
pid-file=$work/maria/mysqld.pid
log-error=$work/maria/error.log
skip-name-resolve
innodb_flush_log_at_trx_commit=2
CNF
[ "$(id -u)" = 0 ] && chown -R mysql: "$work/maria"
mariadb-install-db --defaults-file="$work/maria/my.cnf" --user=mysql \
  --auth-root-authentication-method=socket --skip-test-db >"$work/maria/install.log" 2>&1 ||
  { cat "$work/maria/install.log" >&2; exit 1; }
as_user mysql /usr/sbin/mariadbd --defaults-file="$work/maria/my.cnf" >"$work/maria/stdout.log" 2>&1 &
maria_pid=$!
for _ in $(seq 1 100); do
  mariadb -S "$work/maria/mysqld.sock" -u root -e 'SELECT 1' >/dev/null 2>&1 && break
  sleep 0.2
done
mariadb -S "$work/maria/mysqld.sock" -u root -e \
  "CREATE USER 'varkel'@'127.0.0.1' IDENTIFIED BY '$password';
   GRANT ALL PRIVILEGES ON *.* TO 'varkel'@'127.0.0.1' WITH GRANT OPTION;" ||
  { cat "$work/maria/error.log" >&2; exit 1; }

# Stops and starts a server of this run again ("server-ctl pg|maria restart"), for commands that
# test how a client lives through a server that goes away.
cat >"$work/server-ctl" <<CTL
#!/usr/bin/env bash
set -euo pipefail
as_user() { if [ "\$(id -u)" = 0 ]; then runuser -u "\$1" -- "\${@:2}"; else "\${@:2}"; fi; }
case "\$1" in
  pg)
    as_user postgres "$pg_bin/pg_ctl" -D "$work/pg/data" -m immediate -w stop >/dev/null
    as_user postgres "$pg_bin/pg_ctl" -D "$work/pg/data" -l "$work/pg/server.log" -w \\
      -o "-p $pg_port -k $work/pg/sock -c listen_addresses=127.0.0.1 -c fsync=off -c max_connections=200" \\
      start >/dev/null ;;
  maria)
    pid=\$(cat "$work/maria/mysqld.pid" 2>/dev/null || true)
    if [ -n "\$pid" ] && kill -KILL "\$pid" 2>/dev/null; then
      while kill -0 "\$pid" 2>/dev/null; do sleep 0.1; done
    else  # it ended by itself: started again all the same, and its log kept for a look
      { date; tail -n 40 "$work/maria/error.log"; } >>"${TMPDIR:-/tmp}/varkel-mariadb-ended-by-itself.log" 2>&1
    fi
    as_user mysql /usr/sbin/mariadbd --defaults-file="$work/maria/my.cnf" \\
      >>"$work/maria/stdout.log" 2>&1 </dev/null &
    for _ in \$(seq 1 300); do
      mariadb -S "$work/maria/mysqld.sock" -u root -e 'SELECT 1' >/dev/null 2>&1 && exit 0
      sleep 0.1
    done
    exit 1 ;;
  *) echo "usage: server-ctl pg|maria restart" >&2; exit 2 ;;
esac
CTL
chmod 755 "$work/server-ctl"

export VARKEL_SERVER_CTL=$work/server-ctl
export VARKEL_PG_HOST=127.0.0.1 VARKEL_PG_PORT=$pg_port VARKEL_PG_USER=varkel
export VARKEL_PG_PASSWORD=$password
export VARKEL_MARIADB_HOST=127.0.0.1 VARKEL_MARIADB_PORT=$maria_port VARKEL_MARIADB_USER=varkel
export VARKEL_MARIADB_PASSWORD=$password
export VARKEL_REQUIRE_ENGINES=1

echo "PostgreSQL on 127.0.0.1:$pg_port, MariaDB on 127.0.0.1:$maria_port"
set +e
"$@"
status=$?
set -e
exit $status
