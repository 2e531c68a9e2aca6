#!/usr/bin/env bash
# Makes sure a Firebird server listens on 127.0.0.1:3050 and accepts SYSDBA/pinecrest.
#
# The server is installed and its SYSDBA password changed only when this script installed it
# (it leaves a marker for that); a server that was here before is never reconfigured: if it
# does not accept the tool's profile the script stops and says so.
set -euo pipefail

marker=/var/lib/vorel-newdatabase/firebird-installed-by-us
password=pinecrest
init=/etc/init.d/firebird3.0

listening() { (exec 3<>/dev/tcp/127.0.0.1/3050) 2>/dev/null; }

profile_works() {
    local probe
    probe=$(mktemp -d /tmp/vorel-probe.XXXXXX)
    chmod 777 "$probe"
    local ok=1
    if echo "create database '127.0.0.1:$probe/probe.fdb' user 'SYSDBA' password '$password';" \
        | isql-fb -q >/dev/null 2>&1; then
        ok=0
    fi
    rm -rf "$probe"
    return $ok
}

if ! dpkg-query -W -f='${Status}' firebird3.0-server 2>/dev/null | grep -q "install ok installed"; then
    echo "Installing the Firebird 3.0 server"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq firebird3.0-server firebird3.0-utils >/dev/null
    mkdir -p "$(dirname "$marker")"
    touch "$marker"
fi

if ! listening; then
    echo "Starting the Firebird server"
    "$init" start >/dev/null
    for _ in $(seq 1 50); do listening && break; sleep 0.2; done
    listening || { echo "The Firebird server did not start" >&2; exit 1; }
fi

if profile_works; then
    exit 0
fi

if [[ ! -f $marker ]]; then
    echo "The Firebird server on 127.0.0.1 was not installed by this project and does not" >&2
    echo "accept SYSDBA with the password '$password'; it is left as it is." >&2
    exit 1
fi

echo "Setting the SYSDBA password of our Firebird server"
old=$(sed -n 's/^ISC_PASSWORD="\{0,1\}\([^"]*\)"\{0,1\}$/\1/p' /etc/firebird/3.0/SYSDBA.password)
gsec -user sysdba -password "$old" -modify sysdba -pw "$password"
sed -i "s/^ISC_PASSWORD=.*/ISC_PASSWORD=\"$password\"/" /etc/firebird/3.0/SYSDBA.password
profile_works || { echo "SYSDBA/$password still refused by the server" >&2; exit 1; }
