# Helpers of the scripts that drive the real program in the X and sound servers
# of run-isolated --servers. Usage: . lib.sh path/to/levrun
set -uo pipefail
levrun=$(realpath "$1") S=${LEVRUN_TEST_SCRATCH:?run through tests/run-isolated --servers}
ini=$XDG_CONFIG_HOME/Levrun/Levrun.ini failures=0
# WHAT COMMAND...: one line, ok or FAIL
check() { if "${@:2}"; then echo "ok   $1"; else echo "FAIL $1"; failures=$((failures + 1)); fi; }
# SECONDS COMMAND...: until COMMAND succeeds, every 50 ms
poll() { local t=$((SECONDS + $1)); until "${@:2}"; do ((SECONDS < t)) || return; sleep .05; done; }
# Levrun ends within 15 s (or is killed then): its exit status
ends() { poll 15 eval '! ps -o stat= -p $app | grep -qv ^Z' || kill -9 $app; wait $app; }
start() { # [NAME=VALUE...]: Levrun with that environment; sets app and window
  env "$@" "$levrun" & app=$!
  window=$(timeout 20 xdotool search --sync --onlyvisible --pid $app --name '^Levrun$' | head -n1)
}
press() { xdotool windowfocus --sync "$window" key --window "$window" "$@"; }
value() { sed -n "s/^$1=//p" "$ini"; } # KEY: as stored
