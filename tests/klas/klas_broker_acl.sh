#!/usr/bin/env bash
# The classroom broker as klas-broker.sh writes it, started on a free
# loopback port: what each account may publish and read is judged by what
# is delivered (MQTT 3.1.1 acknowledges a refused publish all the same).
# A broker that cannot be started fails the test; it never skips.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
work="$(mktemp -d)"
# The broker, started as root, reads its folder below this one as its own
# unprivileged user.
chmod 711 "$work"
broker_pid=""
cleanup() {
  [ -n "$broker_pid" ] && kill "$broker_pid" 2>/dev/null && wait "$broker_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

failures=0
passed=0
check() { # check NAME EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then
    passed=$((passed + 1))
  else
    failures=$((failures + 1))
    printf 'FAIL %s\n  expected: %q\n  actual:   %q\n' "$1" "$2" "$3"
  fi
}

free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }

start_broker() { # start_broker DIR
  mosquitto -c "$1/mosquitto.conf" >"$1/broker.log" 2>&1 &
  broker_pid=$!
  for _ in $(seq 50); do
    if mosquitto_pub "${H[@]}" -u docent -P "$(pw docent)" -t "$klas/ping" -m x -q 0 2>/dev/null ||
      grep -q "running" "$1/broker.log"; then
      return 0
    fi
    sleep 0.1
  done
  cat "$1/broker.log"
  echo "FAIL the private broker did not start"
  exit 1
}

pw() { sed -n 's/^wachtwoord=//p' "$dir/$1.ini"; }

# What ACCOUNT sees on TOPICS while the publishes in the rest of the
# arguments run: "account topic payload" per publish, "-" separates.
# Rather than waiting fixed times, a probe on a topic the account may read
# shows that its subscription is in place, and a marker after the publishes
# that everything before it has arrived (each mosquitto_pub returns once the
# broker has its message); neither is in the answer.
delivered() { # delivered ACCOUNT TOPIC... -- PUBLISHER TOPIC PAYLOAD [PUBLISHER TOPIC PAYLOAD]...
  local sub="$1"; shift
  local topics=()
  while [ "$1" != "--" ]; do topics+=(-t "$1"); shift; done
  shift
  local own="$klas/$sub/storing" sender=docent
  if [ "$sub" = docent ]; then own="$klas/pc01/status" sender=pc01; fi
  local out="$work/sub.$RANDOM"
  : >"$out"
  mosquitto_sub "${H[@]}" -u "$sub" -P "$(pw "$sub")" "${topics[@]}" -t "$own" -v -q 1 -W 10 \
    >"$out" 2>/dev/null &
  local sub_pid=$!
  local tries=0
  until grep -q " __probe$" "$out"; do
    tries=$((tries + 1))
    [ $tries -le 100 ] || break
    mosquitto_pub "${H[@]}" -u "$sender" -P "$(pw "$sender")" -t "$own" -m __probe -q 1 \
      2>/dev/null || true
    sleep 0.05
  done
  while [ $# -gt 0 ]; do
    mosquitto_pub "${H[@]}" -u "$1" -P "$(pw "$1")" -t "$2" -m "$3" -q 1 2>/dev/null || true
    shift 3
  done
  mosquitto_pub "${H[@]}" -u "$sender" -P "$(pw "$sender")" -t "$own" -m __marker -q 1 \
    2>/dev/null || true
  tries=0
  until grep -q " __marker$" "$out" || [ $tries -ge 100 ]; do
    tries=$((tries + 1))
    sleep 0.05
  done
  kill "$sub_pid" 2>/dev/null || true
  wait "$sub_pid" 2>/dev/null || true
  grep -v -e " __probe$" -e " __marker$" "$out" | sort | tr '\n' ';'
}

# --- plain listener -------------------------------------------------------
klas="k$RANDOM"
dir="$work/plain"
port="$(free_port)"
"$root/scripts/klas-broker.sh" --pcs 3 --dir "$dir" --klas "$klas" --port "$port" \
  --listen 127.0.0.1 >"$work/script.out"
check "script prints the start command" "  mosquitto -c $dir/mosquitto.conf" \
  "$(grep '^  mosquitto -c' "$work/script.out")"
check "teacher lists the class" "leerlingen=pc01,pc02,pc03" "$(grep '^leerlingen=' "$dir/docent.ini")"
check "pupil ini names its account" "gebruiker=pc02" "$(grep '^gebruiker=' "$dir/pc02.ini")"
# Started as root, the broker must drop to an unprivileged user.
check "broker never runs as root" "" "$(grep -x 'user root' "$dir/mosquitto.conf")"
H=(-h 127.0.0.1 -p "$port")
start_broker "$dir"

# Rows: who subscribes to what, who publishes what, what arrives.
check "teacher reads every status; a PC cannot publish another's" \
  "$klas/pc01/status own;" \
  "$(delivered docent "$klas/+/status" -- pc01 "$klas/pc01/status" own pc01 "$klas/pc02/status" forged)"
check "a PC reads its own faults and the switch-off, set by the teacher" \
  "$klas/allesuit off;$klas/pc02/storing fault;" \
  "$(delivered pc02 "$klas/pc02/storing" "$klas/allesuit" -- docent "$klas/pc02/storing" fault docent "$klas/allesuit" off)"
check "a PC cannot set a fault on another PC or switch the class off" \
  "" \
  "$(delivered pc02 "$klas/pc02/storing" "$klas/allesuit" -- pc01 "$klas/pc02/storing" fault pc01 "$klas/allesuit" off pc02 "$klas/pc02/storing" self)"
check "a teacher's window reads the faults another one sets" \
  "$klas/pc02/storing fault;" \
  "$(delivered docent "$klas/+/storing" -- docent "$klas/pc02/storing" fault)"
check "a PC cannot read another PC's faults" \
  "" \
  "$(delivered pc01 "$klas/pc02/storing" -- docent "$klas/pc02/storing" fault)"
check "a PC cannot read the other statuses" \
  "" \
  "$(delivered pc01 "$klas/+/status" -- pc02 "$klas/pc02/status" mine)"
check "a PC reads the lesson and cannot send one" \
  "$klas/opdracht lesson;" \
  "$(delivered pc02 "$klas/opdracht" -- pc01 "$klas/opdracht" forged docent "$klas/opdracht" lesson)"
check "a PC reads the freeze and cannot write it; the teacher's window reads it" \
  "$klas/bevriezen frozen;" \
  "$(delivered pc02 "$klas/bevriezen" -- pc01 "$klas/bevriezen" forged pc02 "$klas/bevriezen" self docent "$klas/bevriezen" frozen)"
check "the teacher's window reads the freeze another one sets" \
  "$klas/bevriezen frozen;" \
  "$(delivered docent "$klas/bevriezen" -- docent "$klas/bevriezen" frozen)"
# An account the broker does not know is refused before it can publish.
printf 'wachtwoord=%s\n' "$(pw pc01)" >"$dir/onbekend.ini"
check "an unknown account cannot write the freeze" \
  "" \
  "$(delivered pc02 "$klas/bevriezen" -- onbekend "$klas/bevriezen" released)"
check "the teacher reads a PC's own result; a PC cannot write another's" \
  "$klas/pc01/resultaat mine;" \
  "$(delivered docent "$klas/+/resultaat" -- pc01 "$klas/pc01/resultaat" mine pc01 "$klas/pc02/resultaat" forged)"
check "a PC cannot read another PC's result" \
  "" \
  "$(delivered pc01 "$klas/pc02/resultaat" -- pc02 "$klas/pc02/resultaat" theirs)"
check "a PC reads back its own result, never another's" \
  "$klas/pc01/resultaat own;" \
  "$(delivered pc01 "$klas/+/resultaat" -- pc02 "$klas/pc02/resultaat" theirs pc01 "$klas/pc01/resultaat" own)"
rc=0
mosquitto_pub "${H[@]}" -u pc01 -P wrong -t "$klas/pc01/status" -m x 2>/dev/null || rc=$?
check "a wrong password is refused" "5" "$rc"
rc=0
mosquitto_pub "${H[@]}" -t "$klas/pc01/status" -m x 2>/dev/null || rc=$?
check "no anonymous access" "5" "$rc"
kill "$broker_pid"; wait "$broker_pid" 2>/dev/null || true; broker_pid=""

# --- TLS listener with the generated authority ----------------------------
dir="$work/tls"
port="$(free_port)"
"$root/scripts/klas-broker.sh" --pcs 1 --dir "$dir" --klas "$klas" --port "$port" \
  --listen 127.0.0.1 --tls --host localhost --host 127.0.0.1 >/dev/null
H=(-h localhost -p "$port" --cafile "$dir/ca.crt")
start_broker "$dir"
check "TLS with the generated authority" "$klas/allesuit off;" \
  "$(delivered pc01 "$klas/allesuit" -- docent "$klas/allesuit" off)"
rc=0
mosquitto_pub -h 127.0.0.1 -p "$port" -u docent -P "$(pw docent)" -t "$klas/allesuit" -m x \
  2>/dev/null || rc=$?
check "no plain connection to a TLS listener" "true" "$([ $rc -ne 0 ] && echo true || echo false)"

# --- bad arguments --------------------------------------------------------
for args in "--pcs 0 --dir $work/x" "--pcs 3" "--pcs 2 --dir $work/x --klas a/b" \
  "--pcs 2 --dir $work/x --port 70000" "--pcs 2 --dir $work/x --listen host"; do
  rc=0
  # shellcheck disable=SC2086 # the words are the arguments
  "$root/scripts/klas-broker.sh" $args >/dev/null 2>&1 || rc=$?
  check "refused: $args" "2" "$rc"
done

echo "$passed passed, $failures failed"
[ "$failures" -eq 0 ]
