#!/usr/bin/env bash
# scripts/install-deps.sh against stand-ins for apt-get and dpkg-query: it
# waits while another package manager holds the lock, gives up when the wait
# is over, and fails at once on any other error.
#   install_deps_waits.sh SOURCE_DIR
set -euo pipefail
script=$1/scripts/install-deps.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
mkdir "$work/bin"
# Every package but make is missing; sudo runs its command as it is.
printf '#!/bin/sh\n[ "$3" = make ] && printf "install ok installed"\nexit 0\n' > "$work/bin/dpkg-query"
printf '#!/bin/sh\nexec "$@"\n' > "$work/bin/sudo"
# apt-get: logs its call, then fails as the file "plan" says, a line a call.
cat > "$work/bin/apt-get" <<'END'
#!/bin/sh
echo "$*" >> "$WORK/calls"
line=$(sed -n "$(wc -l < "$WORK/calls")p" "$WORK/plan")
case $line in
  lock) echo "E: Could not get lock /var/lib/dpkg/lock-frontend. It is held by process 42 (apt-get)" >&2; exit 100 ;;
  other) echo "E: Unable to locate package x" >&2; exit 100 ;;
esac
exit 0
END
chmod +x "$work/bin/"*
# Runs the script with the plan given; prints its exit code and the calls made.
run() {
  printf '%s\n' "$@" > "$work/plan"
  : > "$work/calls"
  status=0
  WORK=$work PATH="$work/bin:$PATH" ORVEL_APT_LOCK_POLL=0 ORVEL_APT_LOCK_WAIT=${wait:-60} \
    bash "$script" demo > "$work/out" 2>&1 || status=$?
  echo "$status $(wc -l < "$work/calls")"
}
[ "$(run lock lock ok ok)" = "0 4" ] || fail "a held lock: $(cat "$work/out")"
grep -q "waiting for it" "$work/out" || fail "no word of the wait: $(cat "$work/out")"
grep -q -- "-o DPkg::Lock::Timeout=60 install -y -qq cmake g++ zlib1g-dev libcli11-dev" "$work/calls" ||
  fail "install call: $(cat "$work/calls")"
[ "$(run ok lock ok)" = "0 3" ] || fail "a held lock at install: $(cat "$work/out")"
[ "$(run other)" = "100 1" ] || fail "another error is not waited for: $(cat "$work/out")"
[ "$(wait=0 run lock lock)" = "100 1" ] || fail "the wait has an end: $(cat "$work/out")"
echo "install-deps.sh waits for a held lock and only for that"
