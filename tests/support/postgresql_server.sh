#!/usr/bin/env bash
# A throw-away PostgreSQL server for one test run: `start STATEDIR` makes a cluster in STATEDIR,
# listening on 127.0.0.1 at a free port and on a unix socket in STATEDIR only, and writes its
# address and roles to STATEDIR/server; `stop STATEDIR` stops it and removes STATEDIR. Each build
# tree passes its own STATEDIR, so several trees run their servers side by side.
#
# Roles: kavrin_test, the superuser, logs in without a password (trust) and creates the tests'
# databases; kavrin_refused must give a password that was never written anywhere, so its login is
# always refused. As root the server runs as the unprivileged postgres user, which PostgreSQL
# demands.
set -euo pipefail

readonly bin=${KAVRIN_POSTGRESQL_BIN:-/usr/lib/postgresql/15/bin}
readonly superuser=kavrin_test
readonly refused=kavrin_refused
readonly start_seconds=30
# Below Linux's ephemeral range, so a port the kernel hands out for a client never collides.
readonly port_low=20000
readonly port_count=10000
readonly attempts=10

usage() {
    echo "usage: $0 start|stop STATEDIR" >&2
    exit 2
}

[[ $# -eq 2 ]] || usage
action=$1
state=$2
[[ $state == /* ]] || state=$PWD/$state
data=$state/data
log=$state/server.log

as_server_user() {
    if [[ $(id -u) -eq 0 ]]; then
        runuser -u postgres -- "$@"
    else
        "$@"
    fi
}

# Stops whatever server a previous run left in STATEDIR, crashed or not, and removes STATEDIR.
stop_server() {
    if [[ -f $data/postmaster.pid ]]; then
        if ! as_server_user "$bin/pg_ctl" stop -D "$data" -m fast -w -t "$start_seconds" \
            >/dev/null 2>&1; then
            # pg_ctl gives up on a server that does not answer; the pid file names it exactly.
            local pid
            pid=$(head -n 1 "$data/postmaster.pid" 2>/dev/null || true)
            if [[ $pid =~ ^[0-9]+$ ]] && kill -0 "$pid" 2>/dev/null &&
                [[ $(readlink "/proc/$pid/exe" 2>/dev/null) == "$bin/postgres" ]]; then
                kill -KILL "$pid" 2>/dev/null || true
            fi
        fi
    fi
    rm -rf "$state"
}

port_in_use() {
    ss -Hltn "sport = :$1" | grep -q .
}

start_server() {
    stop_server
    mkdir -p "$state"
    chmod 700 "$state"
    if [[ $(id -u) -eq 0 ]]; then
        chown postgres: "$state"
        if ! runuser -u postgres -- test -w "$state"; then
            echo "the postgres user cannot reach $state; every folder above it must be" \
                "searchable (chmod o+x)" >&2
            exit 1
        fi
    fi
    as_server_user "$bin/initdb" -D "$data" -U "$superuser" --auth=trust --encoding=UTF8 \
        --locale=C --no-sync >"$state/initdb.log" 2>&1 || {
        cat "$state/initdb.log" >&2
        exit 1
    }
    # Written as the server user: the data directory is its alone.
    as_server_user tee -a "$data/postgresql.conf" >/dev/null <<EOF
listen_addresses = '127.0.0.1'
unix_socket_directories = '$state'
# A test server: nothing it holds outlives the run, so durability buys nothing.
fsync = off
synchronous_commit = off
full_page_writes = off
shared_buffers = 16MB
max_connections = 200
EOF
    as_server_user tee "$data/pg_hba.conf" >/dev/null <<EOF
local all all trust
host all $refused 127.0.0.1/32 scram-sha-256
host all all 127.0.0.1/32 trust
EOF

    # Another tree's server may take the chosen port between the check and the start; then the
    # start fails to bind and the next attempt picks another.
    local port attempt
    for ((attempt = 1; attempt <= attempts; ++attempt)); do
        port=$((port_low + RANDOM % port_count))
        port_in_use "$port" && continue
        if as_server_user "$bin/pg_ctl" start -D "$data" -l "$log" -w -t "$start_seconds" \
            -o "-p $port" >/dev/null; then
            break
        fi
        port=
    done
    if [[ -z $port ]]; then
        echo "the server did not start on a free port in $attempts attempts:" >&2
        tail -n 20 "$log" >&2 || true
        exit 1
    fi

    local password
    password=$(head -c 24 /dev/urandom | base64)
    as_server_user "$bin/psql" -X -q -v ON_ERROR_STOP=1 -h "$state" -p "$port" -U "$superuser" \
        -d postgres -c "CREATE ROLE $refused LOGIN PASSWORD '$password'" >/dev/null

    # Fields for the tests' helper (support/test_postgresql.h), the URL for a person at a shell.
    local file=$state/server
    {
        echo "host=127.0.0.1"
        echo "port=$port"
        echo "user=$superuser"
        echo "refused_user=$refused"
        echo "url=postgresql://$superuser@127.0.0.1:$port/postgres"
    } >"$file.new"
    mv "$file.new" "$file"
    echo "PostgreSQL on 127.0.0.1:$port, state in $state"
}

case "$action" in
start) start_server ;;
stop) stop_server ;;
*) usage ;;
esac
