#!/usr/bin/env bash
# Runs a command with a private PostgreSQL server for the tests: a fresh cluster in a temporary
# folder, on a private port and socket folder, password authentication on 127.0.0.1. The server
# is stopped and removed when the command ends. The command sees ZU_TEST_PG=host:port:user:password.
#
# The tests create and drop a database for nearly every case, thousands of files in all: on a disk
# file system the kernel's bookkeeping of created and deleted files costs more than the tests
# themselves. So the cluster, and the command's temporary files (TMPDIR, unless the caller set it),
# live in memory (/dev/shm) when it has 2 GiB free. ZU_TEST_PG_ON_DISK=1 keeps them in /tmp, as a
# benchmark of a disk wants.
set -euo pipefail

pgbin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
if [ -z "$pgbin" ] || [ ! -x "$pgbin/initdb" ]; then
  echo "PostgreSQL server binaries not found (package postgresql)" >&2
  exit 1
fi

port=${ZU_TEST_PG_PORT:-54329}
# Another run may hold the port: take the next free one.
while (echo >"/dev/tcp/127.0.0.1/$port") 2>/dev/null; do port=$((port + 1)); done
user=zu_test
password="zu-test-密码'1"
parent=/tmp
if [ "${ZU_TEST_PG_ON_DISK:-}" != 1 ] && [ -d /dev/shm ] && [ -w /dev/shm ] &&
  [ "$(df -Pk /dev/shm | awk 'NR == 2 { print $4 }')" -ge $((2 * 1024 * 1024)) ]; then
  parent=/dev/shm
fi
root=$(mktemp -d "$parent/zu-pg.XXXXXX")
chmod 755 "$root"
run_as=()
if [ "$(id -u)" -eq 0 ]; then
  id postgres >/dev/null 2>&1 || { echo "user postgres missing" >&2; exit 1; }
  chown postgres "$root"
  run_as=(runuser -u postgres --)
fi

cleanup() {
  "${run_as[@]}" "$pgbin/pg_ctl" -D "$root/data" -m immediate stop >/dev/null 2>&1 || true
  rm -rf "$root"
}
trap cleanup EXIT

printf '%s\n' "$password" > "$root/pwfile"
[ "$(id -u)" -eq 0 ] && chown postgres "$root/pwfile"
"${run_as[@]}" "$pgbin/initdb" -D "$root/data" -U "$user" --pwfile="$root/pwfile" \
  --auth-host=scram-sha-256 --auth-local=trust -E UTF8 --locale=C.UTF-8 >"$root/initdb.log" 2>&1 \
  || { cat "$root/initdb.log" >&2; exit 1; }
mkdir -p "$root/socket"
[ "$(id -u)" -eq 0 ] && chown postgres "$root/socket"
# Another run may take the port between the check and the start: try the next ones.
started=0
for attempt in 1 2 3 4 5; do
  if "${run_as[@]}" "$pgbin/pg_ctl" -D "$root/data" -l "$root/server.log" -w -t 30 \
    -o "-p $port -k $root/socket -c listen_addresses=127.0.0.1 -c fsync=off -c synchronous_commit=off -c full_page_writes=off" \
    start >/dev/null; then
    started=1
    break
  fi
  port=$((port + 1 + RANDOM % 50))
  while (echo >"/dev/tcp/127.0.0.1/$port") 2>/dev/null; do port=$((port + 1)); done
done
[ "$started" -eq 1 ] || { cat "$root/server.log" >&2; exit 1; }

export TMPDIR=${TMPDIR:-$parent}
export ZU_TEST_PG="127.0.0.1:$port:$user:$password"
export ZU_TEST_PG_BIN="$pgbin"
"$@"
