#!/usr/bin/env bash
# Throwaway PostgreSQL and MariaDB servers behind a link that a test can cut: a network
# namespace of their own, joined to this one by a veth pair. Needs root.
#   dead_link_servers.sh start DIR   servers up; DIR/env holds VARKEL_PG_* and VARKEL_MARIADB_*
#   dead_link_servers.sh cut DIR     the link goes down: packets vanish, nothing is refused
#   dead_link_servers.sh mend DIR    the link comes back
#   dead_link_servers.sh stop DIR    servers, namespace and link gone
set -euo pipefail
trap 'echo "dead_link_servers.sh: line $LINENO failed: $BASH_COMMAND" >&2' ERR
cmd=$1
dir=$2
pg_bin=/usr/lib/postgresql/15/bin

if [ "$cmd" != start ]; then
  # shellcheck disable=SC1091
  . "$dir/net"
fi

case "$cmd" in
  start)
    mkdir -p "$dir"
    chmod 755 "$dir"
    for _ in $(seq 1 50); do  # a subnet no other run uses
      n=$(( (RANDOM % 200) + 20 ))
      ip -4 addr show | grep -q "10\.231\.$n\." || break
    done
    ns=varkel-dl-$$-$n
    host_if=vkdh$n$$
    host_if=${host_if:0:15}
    ns_if=vkdn$n$$
    ns_if=${ns_if:0:15}
    host_ip=10.231.$n.1
    ns_ip=10.231.$n.2
    printf 'ns=%s\nhost_if=%s\nns_if=%s\nns_ip=%s\n' "$ns" "$host_if" "$ns_if" "$ns_ip" >"$dir/net"
    ip netns add "$ns"
    ip link add "$host_if" type veth peer name "$ns_if"
    ip link set "$ns_if" netns "$ns"
    ip addr add "$host_ip/24" dev "$host_if"
    ip link set "$host_if" up
    ip netns exec "$ns" ip addr add "$ns_ip/24" dev "$ns_if"
    ip netns exec "$ns" ip link set "$ns_if" up
    ip netns exec "$ns" ip link set lo up
    # A permanent neighbour entry: with the link cut, what is sent vanishes as behind a router,
    # instead of failing at once for want of an address.
    mac=$(ip netns exec "$ns" cat "/sys/class/net/$ns_if/address")
    ip neigh replace "$ns_ip" lladdr "$mac" dev "$host_if" nud permanent
    password=$(head -c 24 /dev/urandom | base64 | tr -dc 'A-Za-z0-9' | head -c 20)

    mkdir -p "$dir/pg/sock"
    printf '%s\n' "$password" >"$dir/pg/pw"
    chown -R postgres: "$dir/pg"
    runuser -u postgres -- "$pg_bin/initdb" -D "$dir/pg/data" -U varkel --pwfile="$dir/pg/pw" \
      --auth-local=trust --auth-host=scram-sha-256 -E UTF8 --locale=C.UTF-8 >"$dir/pg/initdb.log" 2>&1 ||
      { tail -n 5 "$dir/pg/initdb.log"; exit 1; }
    echo "host all all 10.231.0.0/16 scram-sha-256" >>"$dir/pg/data/pg_hba.conf"
    ip netns exec "$ns" runuser -u postgres -- "$pg_bin/pg_ctl" -D "$dir/pg/data" \
      -l "$dir/pg/server.log" -w -o "-p 5432 -k $dir/pg/sock -c listen_addresses=$ns_ip -c fsync=off" \
      start >/dev/null || { tail -n 5 "$dir/pg/server.log"; exit 1; }

    mkdir -p "$dir/maria/data"
    cat >"$dir/maria/my.cnf" <<CNF
[mysqld]
datadir=$dir/maria/data
socket=$dir/maria/mysqld.sock
port=3306
bind-address=$ns_ip
pid-file=$dir/maria/mysqld.pid
log-error=$dir/maria/error.log
skip-name-resolve
innodb_flush_log_at_trx_commit=2
CNF
    chown -R mysql: "$dir/maria"
    mariadb-install-db --defaults-file="$dir/maria/my.cnf" --user=mysql \
      --auth-root-authentication-method=socket --skip-test-db >"$dir/maria/install.log" 2>&1 ||
      { tail -n 5 "$dir/maria/install.log"; exit 1; }
    ip netns exec "$ns" runuser -u mysql -- /usr/sbin/mariadbd --defaults-file="$dir/maria/my.cnf" \
      >"$dir/maria/stdout.log" 2>&1 </dev/null &
    for _ in $(seq 1 100); do
      mariadb -S "$dir/maria/mysqld.sock" -u root -e 'SELECT 1' >/dev/null 2>&1 && break
      sleep 0.2
    done
    mariadb -S "$dir/maria/mysqld.sock" -u root -e \
      "CREATE USER 'varkel'@'%' IDENTIFIED BY '$password';
       GRANT ALL PRIVILEGES ON *.* TO 'varkel'@'%' WITH GRANT OPTION;" ||
      { tail -n 5 "$dir/maria/error.log"; exit 1; }
    cat >"$dir/env" <<ENV
VARKEL_PG_HOST=$ns_ip
VARKEL_PG_PORT=5432
VARKEL_PG_USER=varkel
VARKEL_PG_PASSWORD=$password
VARKEL_MARIADB_HOST=$ns_ip
VARKEL_MARIADB_PORT=3306
VARKEL_MARIADB_USER=varkel
VARKEL_MARIADB_PASSWORD=$password
ENV
    ;;
  # The far end goes down: this side keeps its route, so what is sent vanishes unanswered.
  cut) ip netns exec "$ns" ip link set "$ns_if" down ;;
  mend)
    ip netns exec "$ns" ip link set "$ns_if" up
    # The servers answer before this returns.
    for _ in $(seq 1 100); do
      timeout 1 bash -c "exec 3<>/dev/tcp/$ns_ip/5432" 2>/dev/null && exit 0
      sleep 0.1
    done
    exit 1 ;;
  stop)
    runuser -u postgres -- "$pg_bin/pg_ctl" -D "$dir/pg/data" -m immediate -w stop >/dev/null 2>&1 || true
    if [ -s "$dir/maria/mysqld.pid" ]; then
      pid=$(cat "$dir/maria/mysqld.pid")
      kill -KILL "$pid" 2>/dev/null || true
      while kill -0 "$pid" 2>/dev/null; do sleep 0.1; done
    fi
    ip link del "$host_if" 2>/dev/null || true
    ip netns del "$ns" 2>/dev/null || true
    rm -rf "$dir"
    ;;
  *) echo "usage: $0 start|cut|mend|stop DIR" >&2; exit 2 ;;
esac
