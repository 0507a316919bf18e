#!/usr/bin/env bash
# Runs Debian's Firebird 3 server without systemd, for development and CI:
#   scripts/firebird-server.sh start|stop|status|url [NAME]
# The server runs as the firebird user (through fbguard, which restarts it if it dies), listens on
# 127.0.0.1 only and keeps our databases in $ERP_FB_DATA_DIR (default
# /var/lib/firebird/3.0/data/erp), a folder the firebird user can write. SYSDBA's password is
# ISC_PASSWORD (default "masterkey", what the install script answers to debconf); start checks it
# with isql-fb and sets it through the embedded engine when it does not match.
# "url NAME" prints the URL a test or the host opens (firebird://127.0.0.1:PORT/<data dir>/NAME.fdb).
set -euo pipefail
# A caller that opened an embedded database has its own lock folder set; the server keeps Debian's.
unset FIREBIRD_LOCK

FB_USER=firebird
FB_PORT=${ERP_FB_PORT:-3050}
DATA_DIR=${ERP_FB_DATA_DIR:-/var/lib/firebird/3.0/data/erp}
RUN_DIR=/run/firebird3.0
PIDFILE=$RUN_DIR/fbguard-erp.pid
CONF=/etc/firebird/3.0/firebird.conf
SECDB=/var/lib/firebird/3.0/system/security3.fdb
export ISC_USER=${ISC_USER:-SYSDBA}
export ISC_PASSWORD=${ISC_PASSWORD:-masterkey}

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

die() { echo "firebird-server: $*" >&2; exit 1; }

port_answers() { (exec 3<>/dev/tcp/127.0.0.1/"$FB_PORT") 2>/dev/null; }

server_pid() {
    # fbguard writes the pid of the server it watches.
    [ -s "$PIDFILE" ] || return 1
    local pid
    pid=$(cat "$PIDFILE")
    kill -0 "$pid" 2>/dev/null && echo "$pid"
}

guard_pid() {
    local pid ppid
    pid=$(server_pid) || return 1
    ppid=$(ps -o ppid= -p "$pid" | tr -d ' ')
    [ -n "$ppid" ] && [ "$(ps -o comm= -p "$ppid")" = fbguard ] && echo "$ppid"
}

ensure_bind_address() {
    # Loopback only: the Debian default says "localhost"; anything else is set back to 127.0.0.1.
    local current
    current=$(grep -E '^\s*RemoteBindAddress\s*=' "$CONF" | tail -1 | sed 's/.*=\s*//; s/\s*$//' || true)
    if [ "$current" != "127.0.0.1" ]; then
        $SUDO sed -i -E '/^\s*RemoteBindAddress\s*=/d' "$CONF"
        echo "RemoteBindAddress = 127.0.0.1" | $SUDO tee -a "$CONF" >/dev/null
    fi
    if grep -qE '^\s*RemoteServicePort\s*=' "$CONF" || [ "$FB_PORT" != 3050 ]; then
        $SUDO sed -i -E '/^\s*RemoteServicePort\s*=/d' "$CONF"
        echo "RemoteServicePort = $FB_PORT" | $SUDO tee -a "$CONF" >/dev/null
    fi
}

password_works() {
    # A throw-away probe database checks the credentials end to end through the server.
    local probe=$DATA_DIR/.probe.fdb
    $SUDO rm -f "$probe"
    echo "CREATE DATABASE '127.0.0.1/$FB_PORT:$probe' USER '$ISC_USER' PASSWORD '$ISC_PASSWORD';" |
        isql-fb -q >/dev/null 2>&1 || return 1
    $SUDO rm -f "$probe"
}

set_password() {
    # The embedded engine opens the security database as root without a password.
    echo "firebird-server: setting the password of $ISC_USER"
    printf "CREATE OR ALTER USER %s PASSWORD '%s' USING PLUGIN Srp;\nCOMMIT;\n" "$ISC_USER" "$ISC_PASSWORD" |
        $SUDO env -u ISC_PASSWORD ISC_USER=SYSDBA isql-fb -q "$SECDB" >/dev/null
}

start() {
    command -v fbguard >/dev/null || [ -x /usr/sbin/fbguard ] || die "firebird3.0-server is not installed (scripts/install-deps.sh)"
    if server_pid >/dev/null && port_answers; then
        echo "firebird-server: already running on 127.0.0.1:$FB_PORT"
        return 0
    fi
    port_answers && die "port $FB_PORT is taken by another process"
    ensure_bind_address
    $SUDO install -d -o "$FB_USER" -g "$FB_USER" -m 0775 "$RUN_DIR" "$DATA_DIR"
    $SUDO rm -f "$PIDFILE"
    # fbguard daemonises itself; run it as the firebird user so databases it creates are its own.
    if [ "$(id -un)" = "$FB_USER" ]; then
        /usr/sbin/fbguard -daemon -forever -pidfile "$PIDFILE"
    elif command -v runuser >/dev/null && [ "$(id -u)" -eq 0 ]; then
        runuser -u "$FB_USER" -- /usr/sbin/fbguard -daemon -forever -pidfile "$PIDFILE"
    else
        $SUDO -u "$FB_USER" /usr/sbin/fbguard -daemon -forever -pidfile "$PIDFILE"
    fi
    for _ in $(seq 1 100); do
        port_answers && break
        sleep 0.1
    done
    port_answers || die "the server did not answer on 127.0.0.1:$FB_PORT within 10 s"
    if ! password_works; then
        set_password
        password_works || die "cannot connect as $ISC_USER with the given password"
    fi
    echo "firebird-server: running on 127.0.0.1:$FB_PORT, databases in $DATA_DIR"
}

stop() {
    local pid guard
    if pid=$(server_pid); then
        # Ending the guard first keeps it from restarting the server it watches.
        if guard=$(guard_pid); then
            $SUDO kill "$guard" || true
        fi
        for _ in $(seq 1 50); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -0 "$pid" 2>/dev/null && $SUDO kill "$pid"
        for _ in $(seq 1 100); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
    fi
    $SUDO rm -f "$PIDFILE"
    for _ in $(seq 1 100); do
        port_answers || break
        sleep 0.1
    done
    port_answers && die "the server on port $FB_PORT did not stop (not started by this script?)"
    echo "firebird-server: stopped"
}

status() {
    if server_pid >/dev/null && port_answers; then
        echo "firebird-server: running on 127.0.0.1:$FB_PORT (server pid $(server_pid))"
    elif port_answers; then
        echo "firebird-server: port $FB_PORT answers, but not through this script's guard"
    else
        echo "firebird-server: not running"
        return 3
    fi
}

case "${1:-}" in
start) start ;;
stop) stop ;;
status) status ;;
url) echo "firebird://127.0.0.1:$FB_PORT$DATA_DIR/${2:-erp}.fdb" ;;
*) echo "usage: $0 start|stop|status|url [NAME]" >&2; exit 2 ;;
esac
