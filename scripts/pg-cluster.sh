#!/usr/bin/env bash
# A throwaway PostgreSQL cluster for the tests: its data and its socket in one
# temporary folder, nothing listening on the network, run as an unprivileged
# user because the server refuses to run as root.
#   pg-cluster.sh start FOLDER [PORT]
#                                creates and starts it; prints the connection
#                                string (key=value) on standard output; with
#                                a port it also listens on the loopback
#                                interface, for measuring over TCP
#   pg-cluster.sh stop FOLDER    stops it and removes the folder
set -euo pipefail

action=${1:?start or stop}
folder=${2:?folder}
bin=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n 1)

as_owner=()
if [ "$(id -u)" -eq 0 ]; then
  # The folder's owner runs the server; nobody has no home and no shell,
  # which the server needs neither.
  as_owner=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
fi

case "$action" in
start)
  mkdir -p "$folder"
  [ "$(id -u)" -eq 0 ] && chown nobody:nogroup "$folder"
  "${as_owner[@]}" "$bin/initdb" -D "$folder/data" -U quilmo -E UTF8 --locale=C.UTF-8 \
    -A trust >"$folder/initdb.log" 2>&1
  port=${3:-}
  listen="''"
  [ -n "$port" ] && listen="127.0.0.1 -p $port"
  if ! "${as_owner[@]}" "$bin/pg_ctl" -D "$folder/data" -l "$folder/server.log" -w \
    -o "-k $folder -c fsync=off -c listen_addresses=$listen" start >/dev/null; then
    cat "$folder/server.log" >&2
    exit 1
  fi
  if [ -n "$port" ]; then
    echo "host=127.0.0.1 port=$port dbname=postgres user=quilmo"
  else
    echo "host=$folder dbname=postgres user=quilmo"
  fi
  ;;
stop)
  if [ -f "$folder/data/postmaster.pid" ]; then
    "${as_owner[@]}" "$bin/pg_ctl" -D "$folder/data" -m immediate -w stop >/dev/null || true
  fi
  rm -rf "$folder"
  ;;
*)
  echo "usage: $0 start|stop FOLDER" >&2
  exit 2
  ;;
esac
