#!/usr/bin/env bash
# Runs Debian's PostgreSQL 15 server without systemd, for development and CI:
#   scripts/postgres-server.sh start|stop|status|password|url [NAME]
# The cluster lives in $ERP_PG_DIR (default /tmp/erp-postgres), is run by the postgres user, listens
# on 127.0.0.1:$ERP_PG_PORT only (default 55432, away from a system server's 5432) and takes
# passwords over TCP (scram-sha-256); its socket sits in the cluster's own folder, not in the system
# server's. The postgres user has no well-known password: each start sets a new random one and keeps
# it in $PASSWORD_FILE, a file only root can read (mode 600); ERP_PG_KEEP_PASSWORD=1 keeps the kept
# one (a restart in the middle of a test run). "password" prints it (as root), for PGPASSWORD.
# "url NAME" creates the database NAME when it is missing and prints postgres://127.0.0.1:PORT/NAME.
set -euo pipefail

PG_USER=postgres
PG_BIN=/usr/lib/postgresql/15/bin
PG_PORT=${ERP_PG_PORT:-55432}
BASE=${ERP_PG_DIR:-/tmp/erp-postgres}
DATA=$BASE/data
SOCKET_DIR=$BASE/run
LOG=$BASE/server.log
SECRET_DIR=/run/erp-postgres
PASSWORD_FILE=$SECRET_DIR/postgres.password
# Nothing of the caller's libpq set-up may point the admin connections elsewhere.
unset PGHOST PGPORT PGUSER PGPASSWORD PGDATABASE PGSERVICE PGSERVICEFILE PGPASSFILE

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

die() { echo "postgres-server: $*" >&2; exit 1; }

as_postgres() {
    if [ "$(id -un)" = "$PG_USER" ]; then
        "$@"
    elif command -v runuser >/dev/null && [ "$(id -u)" -eq 0 ]; then
        runuser -u "$PG_USER" -- "$@"
    else
        $SUDO -u "$PG_USER" "$@"
    fi
}

# psql over the cluster's own socket, where the postgres user logs in as itself (peer); the SQL comes
# on standard input, so a password in it is never on a command line.
admin_sql() {
    as_postgres "$PG_BIN/psql" -X -q -t -A -v ON_ERROR_STOP=1 -h "$SOCKET_DIR" -p "$PG_PORT" -U "$PG_USER" -d postgres "$@"
}

port_answers() { (exec 3<>/dev/tcp/127.0.0.1/"$PG_PORT") 2>/dev/null; }

running() { [ -d "$DATA" ] && as_postgres "$PG_BIN/pg_ctl" -D "$DATA" status >/dev/null 2>&1; }

random_password() {
    # 24 letters and digits: nothing to quote in SQL or the shell.
    local chars
    chars=$(head -c 64 /dev/urandom | base64 -w0 | tr -dc 'A-Za-z0-9')
    echo "${chars:0:24}"
}

kept_password() { $SUDO cat "$PASSWORD_FILE" 2>/dev/null; }

keep_password() {
    $SUDO install -d -o root -g root -m 0700 "$SECRET_DIR"
    # Created under umask 077, so that the file is never readable by others, not even for a moment.
    printf '%s\n' "$1" | $SUDO sh -c 'umask 077; cat > "$1"; chown root:root "$1"; chmod 600 "$1"' sh "$PASSWORD_FILE"
}

password_works() {
    [ -n "$1" ] || return 1
    printf 'SELECT 1;\n' | PGPASSWORD="$1" "$PG_BIN/psql" -X -q -t -A -h 127.0.0.1 -p "$PG_PORT" -U "$PG_USER" \
        -d postgres >/dev/null 2>&1
}

init_cluster() {
    [ -s "$DATA/PG_VERSION" ] && return 0
    $SUDO install -d -o "$PG_USER" -g "$PG_USER" -m 0700 "$BASE" "$DATA" "$SOCKET_DIR"
    # Text compares byte by byte unless a column names a collation: the schema gives the name
    # columns the ICU pt-BR one.
    as_postgres "$PG_BIN/initdb" -D "$DATA" -U "$PG_USER" -E UTF8 --locale=C.UTF-8 \
        --auth-local=peer --auth-host=scram-sha-256 >/dev/null
    # Loopback only, with a password; nothing else may connect.
    as_postgres sh -c 'printf "%s\n" "local all postgres peer" "host all all 127.0.0.1/32 scram-sha-256" > "$1/pg_hba.conf"' \
        sh "$DATA"
}

start() {
    [ -x "$PG_BIN/pg_ctl" ] || die "postgresql-15 is not installed (scripts/install-deps.sh)"
    if running && port_answers; then
        if password_works "$(kept_password)"; then
            echo "postgres-server: already running on 127.0.0.1:$PG_PORT"
            return 0
        fi
    elif port_answers; then
        die "port $PG_PORT is taken by another process"
    else
        init_cluster
        $SUDO install -d -o "$PG_USER" -g "$PG_USER" -m 0700 "$SOCKET_DIR"
        # A test server: durability traded for speed (the databases are made anew by each run).
        as_postgres "$PG_BIN/pg_ctl" -D "$DATA" -l "$LOG" -w -t 60 \
            -o "-c listen_addresses=127.0.0.1 -p $PG_PORT -k $SOCKET_DIR -c fsync=off -c synchronous_commit=off -c full_page_writes=off" \
            start >/dev/null || die "the server did not start (see $LOG)"
    fi
    local password
    password=$(kept_password || true)
    if [ "${ERP_PG_KEEP_PASSWORD:-0}" != 1 ] || [ -z "$password" ]; then
        password=$(random_password)
        [ ${#password} -eq 24 ] || die "could not make a random password"
        echo "postgres-server: setting a new random password for $PG_USER (kept in $PASSWORD_FILE)"
        keep_password "$password"
    fi
    printf "ALTER USER %s PASSWORD '%s';\n" "$PG_USER" "$password" | admin_sql >/dev/null ||
        die "could not set the password of $PG_USER"
    password_works "$password" || die "cannot connect as $PG_USER with the kept password"
    echo "postgres-server: running on 127.0.0.1:$PG_PORT, cluster in $DATA"
}

stop() {
    if running; then
        as_postgres "$PG_BIN/pg_ctl" -D "$DATA" -m fast -w stop >/dev/null || die "the server did not stop"
    fi
    port_answers && die "the server on port $PG_PORT did not stop (not started by this script?)"
    echo "postgres-server: stopped"
}

status() {
    if running && port_answers; then
        echo "postgres-server: running on 127.0.0.1:$PG_PORT (cluster $DATA)"
    elif port_answers; then
        echo "postgres-server: port $PG_PORT answers, but not this script's cluster"
    else
        echo "postgres-server: not running"
        return 3
    fi
}

url() {
    local name=${1:-erp}
    [[ $name =~ ^[A-Za-z_][A-Za-z0-9_]*$ ]] || die "database name '$name': letters, digits and _ only"
    running || die "the server is not running (scripts/postgres-server.sh start)"
    if [ -z "$(printf "SELECT 1 FROM pg_database WHERE datname = '%s';\n" "$name" | admin_sql)" ]; then
        printf 'CREATE DATABASE "%s";\n' "$name" | admin_sql >/dev/null || die "could not create the database $name"
    fi
    echo "postgres://127.0.0.1:$PG_PORT/$name"
}

case "${1:-}" in
start) start ;;
stop) stop ;;
status) status ;;
password) kept_password || die "no password kept in $PASSWORD_FILE (start the server first, as root)" ;;
url) url "${2:-}" ;;
*) echo "usage: $0 start|stop|status|password|url [NAME]" >&2; exit 2 ;;
esac
