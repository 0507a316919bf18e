#!/usr/bin/env bash
# Runs Debian's Firebird 3 server without systemd, for development and CI:
#   scripts/firebird-server.sh start|stop|status|password|url [NAME]
# The server runs as the firebird user (through fbguard, which restarts it if it dies), listens on
# 127.0.0.1 only and keeps our databases in $ERP_FB_DATA_DIR (default
# /var/lib/firebird/3.0/data/erp), a folder the firebird user can write.
# SYSDBA has no well-known password: each start sets a new random one through the embedded engine
# and keeps it in $PASSWORD_FILE, a file only root can read (mode 600). A server already running
# keeps the one kept there if it works, and so does a start with ERP_FB_KEEP_PASSWORD=1 (a test that
# restarts the server in the middle of a run). "password" prints it (as root), for ISC_PASSWORD.
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
SECRET_DIR=/run/erp-firebird
PASSWORD_FILE=$SECRET_DIR/sysdba.password
# The password travels on isql's standard input, never on a command line or in the environment.
export ISC_USER=SYSDBA
unset ISC_PASSWORD

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

random_password() {
    # 24 letters and digits: nothing to quote in SQL or the shell.
    local chars
    chars=$(head -c 64 /dev/urandom | base64 -w0 | tr -dc 'A-Za-z0-9')
    echo "${chars:0:24}"
}

kept_password() {
    $SUDO cat "$PASSWORD_FILE" 2>/dev/null
}

password_works() {
    # A throw-away probe database checks the credentials end to end through the server.
    local probe=$DATA_DIR/.probe.fdb
    [ -n "$1" ] || return 1
    $SUDO rm -f "$probe"
    echo "CREATE DATABASE '127.0.0.1/$FB_PORT:$probe' USER '$ISC_USER' PASSWORD '$1';" |
        isql-fb -q >/dev/null 2>&1 || return 1
    $SUDO rm -f "$probe"
}

new_password() {
    # The embedded engine opens the security database as root without a password; it can only while
    # no server holds it, so this runs before the server starts.
    local password
    password=$(random_password)
    [ ${#password} -eq 24 ] || die "could not make a random password"
    echo "firebird-server: setting a new random password for $ISC_USER (kept in $PASSWORD_FILE)"
    printf "CREATE OR ALTER USER %s PASSWORD '%s' USING PLUGIN Srp;\nCOMMIT;\n" "$ISC_USER" "$password" |
        $SUDO env -u ISC_PASSWORD ISC_USER=SYSDBA isql-fb -q "$SECDB" >/dev/null ||
        die "could not set the password in $SECDB (is another Firebird server holding it?)"
    $SUDO install -d -o root -g root -m 0700 "$SECRET_DIR"
    # Created under umask 077, so that the file is never readable by others, not even for a moment.
    printf '%s\n' "$password" | $SUDO sh -c 'umask 077; cat > "$1"; chown root:root "$1"; chmod 600 "$1"' sh "$PASSWORD_FILE"
}

start() {
    command -v fbguard >/dev/null || [ -x /usr/sbin/fbguard ] || die "firebird3.0-server is not installed (scripts/install-deps.sh)"
    if server_pid >/dev/null && port_answers; then
        if password_works "$(kept_password)"; then
            echo "firebird-server: already running on 127.0.0.1:$FB_PORT"
            return 0
        fi
        # Its password is not the kept one; a new one needs the security database, which it holds.
        stop
    fi
    port_answers && die "port $FB_PORT is taken by another process"
    ensure_bind_address
    $SUDO install -d -o "$FB_USER" -g "$FB_USER" -m 0775 "$RUN_DIR" "$DATA_DIR"
    $SUDO rm -f "$PIDFILE"
    if [ "${ERP_FB_KEEP_PASSWORD:-0}" != 1 ] || [ -z "$(kept_password)" ]; then
        new_password
    fi
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
    password_works "$(kept_password)" || die "cannot connect as $ISC_USER with the kept password"
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
password) kept_password || die "no password kept in $PASSWORD_FILE (start the server first, as root)" ;;
url) echo "firebird://127.0.0.1:$FB_PORT$DATA_DIR/${2:-erp}.fdb" ;;
*) echo "usage: $0 start|stop|status|password|url [NAME]" >&2; exit 2 ;;
esac
