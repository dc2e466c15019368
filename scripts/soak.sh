#!/usr/bin/env bash
# Runs the built program for MINUTES (default 30) of pupil activity under a
# virtual X server with a window manager and samples its resident memory.
#
#   scripts/soak.sh [minutes]
#
# The program drives a Modbus TCP stand-in module (scripts/soak-peer.py)
# through a relay that the soak cuts and restores now and then. xdotool plays
# the pupil: output buttons and keys, station buttons, Verbreek and "Zoek en
# verbind", the example step plans from "Voorbeelden…" in the Stappenplan
# window, and the box after every lost link. VmRSS is written every 10 s to
# <build>/soak/memory.csv. At the end the program gets SIGTERM and must leave
# with every coil of the module off.
#
# PASS: RSS grew less than 1 MiB from the end of the warm-up (the first five
# minutes, or a third of a shorter run) to the end, the program lived to the
# end, the pupil's activity reached the module (coil writes, step plans that
# ran, link-lost boxes) and the outputs ended off. Exits 1 otherwise.
# SOAK_BUILD: build folder (default build); SOAK_DISPLAY: X display number;
# SOAK_SHOTS=1: screen pictures of a plan run in <build>/soak, to check where
# the clicks land.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
minutes="${1:-30}"
if ! [[ $minutes =~ ^[0-9]+$ ]] || [ "$minutes" -lt 1 ]; then
  echo "Usage: scripts/soak.sh [minutes]" >&2
  exit 2
fi
build="${SOAK_BUILD:-$root/build}"
program="$build/bin/Automatiseren"
[ -x "$program" ] || { echo "soak: $program is not built (run scripts/setup.sh)" >&2; exit 2; }
python=/usr/bin/python3 # Debian's, where python3-pymodbus lives

packages=(xvfb twm xdotool python3-pymodbus xfonts-base)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "==> Installing ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

out="$build/soak"
rm -rf "$out"
mkdir -p "$out/home" "$out/runtime"
chmod 700 "$out/runtime"
csv="$out/memory.csv"
state="$out/peer.json"
log() { printf '[%4ds] %s\n' "$SECONDS" "$*" | tee -a "$out/soak.log"; }

pids=()
# shellcheck disable=SC2317 # called by the trap
cleanup() {
  local p
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
}
trap cleanup EXIT

# A detached process: its own session, no terminal, its output in a log.
start() {
  local name=$1
  shift
  setsid "$@" </dev/null >"$out/$name.log" 2>&1 &
  pids+=($!)
}

display="${SOAK_DISPLAY:-}"
if [ -z "$display" ]; then
  for n in $(seq 140 199); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { display=$n; break; }
  done
fi
export DISPLAY=":$display"
start xvfb Xvfb "$DISPLAY" -screen 0 2560x1440x24 -nolisten tcp
for _ in $(seq 50); do
  timeout 2 xdotool getdisplaygeometry >/dev/null 2>&1 && break
  sleep 0.2
done
# RandomPlacement and UsePPosition: twm would otherwise let the user place
# every new window and grab the server meanwhile.
printf 'RandomPlacement\nUsePPosition "on"\nNoGrabServer\n' >"$out/twmrc"
start twm twm -f "$out/twmrc"

read -r module_port relay_port < <("$python" -c '
import socket
s = [socket.socket() for _ in range(2)]
for x in s: x.bind(("127.0.0.1", 0))
print(*(x.getsockname()[1] for x in s))')
start peer "$python" "$root/scripts/soak-peer.py" "$module_port" "$relay_port" "$state"
peer_pid=${pids[-1]}
cat >"$out/Automatiseren.ini" <<EOF
[interface]
type=modbus

[modbus]
transport=tcp
host=127.0.0.1
port=$relay_port
EOF

peer() { "$python" -c "import json,sys; print(json.load(open(sys.argv[1]))[sys.argv[2]])" "$state" "$1"; }
for _ in $(seq 50); do [ -s "$state" ] && break; sleep 0.2; done
[ -s "$state" ] || { echo "soak: the Modbus stand-in did not start (see $out/peer.log)" >&2; exit 1; }

HOME="$out/home" XDG_RUNTIME_DIR="$out/runtime" XDG_CONFIG_HOME="$out/home/.config" \
  start program "$program" --settings "$out/Automatiseren.ini"
app=${pids[-1]}

x() { timeout 10 xdotool "$@"; }
# SOAK_SHOTS=1: a picture of the screen at each step of a plan run, to check where the clicks land.
shot() {
  if [ -n "${SOAK_SHOTS:-}" ]; then xwd -root -silent >"$out/$1.xwd" || true; fi
}
main=$(x search --all --sync --onlyvisible --pid "$app" --name '^Automatiseren voor het VMBO$' | head -n1 || true)
[ -n "$main" ] || { echo "soak: the main window did not appear" >&2; exit 1; }
sleep 1

# Memory: one sample every 10 s while the program lives.
echo "seconds,vmrss_kib" >"$csv"
(
  t0=$SECONDS
  while rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$app/status" 2>/dev/null) && [ -n "$rss" ]; do
    echo "$((SECONDS - t0)),$rss" >>"$csv"
    sleep 10
  done
) &
pids+=($!)

alive() { kill -0 "$app" 2>/dev/null; }

# Where a control of the main window is, from its place in the design's
# twips (the window scales its 15975 x 11025 twips to the client area).
at() {
  local win=$1 tx=$2 ty=$3 X Y WIDTH=15975 HEIGHT=11025 SCREEN WINDOW
  eval "$(x getwindowgeometry --shell "$win" || true)"
  echo "$((tx * WIDTH / 15975)) $((ty * HEIGHT / 11025))"
}
click_main() {
  local pos
  pos=$(at "$main" "$1" "$2")
  # shellcheck disable=SC2086 # two numbers
  x mousemove --window "$main" $pos click 1
  sleep 0.3
}
# twm gives the focus to the window under the pointer.
focus() {
  local X Y WIDTH=0 HEIGHT=0 SCREEN WINDOW
  eval "$(x getwindowgeometry --shell "$1" || true)"
  [ "$WIDTH" -gt 0 ] || return 0 # gone meanwhile
  x mousemove --window "$1" "$((WIDTH / 2))" "$((HEIGHT - 10))"
  x windowfocus --sync "$1" 2>/dev/null || true
  sleep 0.2
}

output_x=13477
output_y() { echo $((690 + 480 * $1)); }
station_y=(5415 6090 6765 7605 8482) # Frame_Dravik_Buttons + button centre
station_x=9315
connect_x=6472
connect_y=9690
noodstop_x=11662
noodstop_y=10012

clicks=0 keys=0 stations=0 connects=0 disconnects=0 plans=0 plans_ran=0 cuts=0 lost_boxes=0
refusals=0 other_boxes=0
connected=0

press_outputs() {
  local n i
  for n in $(seq 6); do
    i=$((RANDOM % 8))
    click_main "$output_x" "$(output_y "$i")"
    clicks=$((clicks + 1))
    dismiss_boxes # an interlock may refuse the click with a box
  done
  for n in $(seq 3); do
    focus "$main"
    x key $((RANDOM % 8 + 1))
    keys=$((keys + 1))
    sleep 0.3
    dismiss_boxes
  done
  if [ $((RANDOM % 3)) -eq 0 ]; then
    click_main "$noodstop_x" "$noodstop_y"
    clicks=$((clicks + 1))
  fi
}

choose_station() {
  local i=${1:-$((RANDOM % 5))}
  click_main "$station_x" "${station_y[$i]}"
  stations=$((stations + 1))
}

# The boxes the program shows; a link-lost box is counted as such.
dismiss_boxes() {
  local w name
  for w in $(x search --all --onlyvisible --pid "$app" --name '.' 2>/dev/null); do
    [ "$w" = "$main" ] && continue
    name=$(x getwindowname "$w" 2>/dev/null || true)
    case $name in
      "" | "Stappenplan" | "Stappenplan — "*) continue ;;
      "Verbinding verbroken"*) lost_boxes=$((lost_boxes + 1)) ;;
      "Beweging iet toegestaan!"*) refusals=$((refusals + 1)) ;;
      *) other_boxes=$((other_boxes + 1)); log "box: $name" ;;
    esac
    # Escape: the box's only button, or "Annuleren" where it has more.
    focus "$w"
    x key Escape
    sleep 0.3
  done
}

connect() {
  [ "$connected" -eq 1 ] && return
  click_main "$connect_x" "$connect_y"
  connects=$((connects + 1))
  local _
  for _ in $(seq 20); do
    [ "$(peer connections)" -ge 1 ] && { connected=1; sleep 0.5; return; }
    sleep 0.2
  done
  log "no connection after Zoek en verbind"
  dismiss_boxes
}

disconnect() {
  [ "$connected" -eq 1 ] || return 0
  click_main "$connect_x" "$connect_y"
  disconnects=$((disconnects + 1))
  connected=0
  sleep 0.5
}

lose_link() {
  kill -USR1 "$peer_pid"
  cuts=$((cuts + 1))
  local before=$lost_boxes _
  # The program notices within two seconds; the box follows.
  for _ in $(seq 16); do
    sleep 0.5
    dismiss_boxes
    [ "$lost_boxes" -gt "$before" ] && break
  done
  [ "$lost_boxes" -gt "$before" ] || log "no box after link cut $cuts"
  kill -USR2 "$peer_pid"
  connected=0
  sleep 1.5 # the peer's state file catches up
}

plan_window() {
  x search --all --onlyvisible --pid "$app" --name '^Stappenplan( — |$)' 2>/dev/null | head -n1 || true
}

# Loads an example plan of the stack magazine through "Voorbeelden…" and starts it.
# shellcheck disable=SC2034 # getwindowgeometry --shell sets all six
run_plan() {
  local file=$1 w X Y WIDTH=0 HEIGHT=0 SCREEN WINDOW dialog before try
  choose_station 0
  focus "$main"
  x key ctrl+shift+s
  for _ in $(seq 20); do w=$(plan_window); [ -n "$w" ] && break; sleep 0.25; done
  [ -n "$w" ] || { log "no Stappenplan window"; return; }
  sleep 0.5
  eval "$(x getwindowgeometry --shell "$w" || true)"
  [ "$WIDTH" -gt 0 ] || return 0
  shot plan-window
  x mousemove --window "$w" "$((WIDTH - plan_examples_from_right))" "$plan_examples_y" click 1
  dialog=$(x search --all --sync --onlyvisible --pid "$app" --name '^Stappenplan openen( — |$)' | head -n1 || true)
  [ -n "$dialog" ] || { log "no file dialog"; return; }
  # Keys typed before the dialog has filled in are lost: type again while it stays.
  for try in 1 2 3; do
    sleep 1
    focus "$dialog"
    x key ctrl+a
    x type --delay 20 "$file"
    shot plan-dialog
    sleep 0.5
    x key Return
    sleep 1
    x search --all --onlyvisible --pid "$app" --name '^Stappenplan openen( — |$)' >/dev/null 2>&1 || break
  done
  if x search --all --onlyvisible --pid "$app" --name '^Stappenplan openen( — |$)' >/dev/null 2>&1; then
    log "the file dialog did not take $file after $try tries"
    focus "$dialog"
    x key Escape
    sleep 0.5
    return 0
  fi
  shot plan-loaded
  before=$(peer coils_switched_on)
  x mousemove --window "$w" "$plan_start_x" "$((HEIGHT - plan_start_from_bottom))" click 1
  plans=$((plans + 1))
  sleep 2
  shot plan-running
  sleep 2.5
  # The plan switches outputs 1, 2 and 3 on in turn.
  [ "$(peer coils_switched_on)" -ge $((before + 3)) ] && plans_ran=$((plans_ran + 1))
  focus "$main"
}
plan_examples_from_right=200
plan_examples_y=50
plan_start_x=70
plan_start_from_bottom=95

end=$((SECONDS + minutes * 60))
episode=0
log "soak for $minutes min: program $app on $DISPLAY, module at port $module_port, relay $relay_port"
while [ "$SECONDS" -lt "$end" ] && alive; do
  connect
  case $((episode % 10)) in
    0 | 7) press_outputs ;;
    1) run_plan "Stapel magazijn - deksel aandrukken.json" ;;
    2 | 5 | 8) choose_station; press_outputs ;;
    3) disconnect; press_outputs; connect; press_outputs ;;
    4 | 9) press_outputs; lose_link ;;
    6) run_plan "Stapel magazijn - blijven aandrukken.json"; lose_link ;;
  esac
  dismiss_boxes
  episode=$((episode + 1))
done

status=0
if ! alive; then
  log "FAIL: the program died during the soak (see $out/program.log)"
  status=1
fi

# Outputs on, then SIGTERM: the program must switch them off on its way out.
coils_before=""
if alive; then
  connect
  choose_station 3
  click_main "$output_x" "$(output_y 1)"
  click_main "$output_x" "$(output_y 2)"
  sleep 1
  coils_before=$(peer coils)
  kill -TERM "$app"
  for _ in $(seq 50); do alive || break; sleep 0.1; done
  if alive; then
    log "FAIL: the program did not leave within 5 s of SIGTERM"
    kill -KILL "$app"
    status=1
  fi
fi
sleep 1.5
coils_after=$(peer coils)

wait_rows=$(($(wc -l <"$csv") - 1))
# RSS swings by a few MiB as Qt's caches fill and malloc returns memory, so
# each end is the median of a stretch of samples (two minutes, less in a
# short run) rather than one sample; the slope is there to read a trend.
summary=$("$python" - "$csv" "$minutes" <<'EOF'
import csv, statistics, sys
rows = [(int(r["seconds"]), int(r["vmrss_kib"])) for r in csv.DictReader(open(sys.argv[1]))]
total = int(sys.argv[2]) * 60
warm = min(300, total // 3)
span = max(30, min(120, (total - warm) // 3))
last = rows[-1][0]
after = [v for t, v in rows if warm <= t < warm + span] or [rows[-1][1]]
end = [v for t, v in rows if t > last - span] or [rows[-1][1]]
tail = [(t, v) for t, v in rows if t >= warm]
slope = 0.0
if len(tail) > 2:
    mt = statistics.mean(t for t, _ in tail)
    mv = statistics.mean(v for _, v in tail)
    den = sum((t - mt) ** 2 for t, _ in tail)
    slope = sum((t - mt) * (v - mv) for t, v in tail) / den * 60 if den else 0.0
a, e = statistics.median(after), statistics.median(end)
print(f"{rows[0][1]} {a:.0f} {e:.0f} {e - a:.0f} {max(v for _, v in rows)} {warm} {span} {slope:.0f}")
EOF
)
read -r rss_start rss_warm rss_end growth rss_peak warm_s span_s slope <<<"$summary"

echo
echo "Soak of $minutes min ($wait_rows samples in $csv)"
printf '  RSS at start:           %6d KiB\n' "$rss_start"
printf '  RSS after warm-up:      %6d KiB (median from %d s for %d s)\n' "$rss_warm" "$warm_s" "$span_s"
printf '  RSS at the end:         %6d KiB (median of the last %d s)\n' "$rss_end" "$span_s"
printf '  RSS peak:               %6d KiB\n' "$rss_peak"
printf '  growth after warm-up:   %6d KiB (trend %d KiB/min)\n' "$growth" "$slope"
echo "  pupil: $clicks clicks, $keys output keys, $stations station choices,"
echo "         $connects connects, $disconnects disconnects, $plans plans started ($plans_ran ran)"
echo "  module: $(peer coil_writes) coil writes, $(peer coils_switched_on) coils switched on," \
  "$(peer accepted) connections"
echo "  boxes: $lost_boxes link lost ($cuts cuts), $refusals interlock refusals, $other_boxes others"
echo "  coils before SIGTERM: $coils_before, after: $coils_after"

if [ "$growth" -ge 1024 ]; then
  echo "FAIL: RSS grew $growth KiB after the warm-up"
  status=1
fi
if [ "$(peer coil_writes)" -eq 0 ] || [ "$plans_ran" -eq 0 ] || [ "$lost_boxes" -eq 0 ]; then
  echo "FAIL: the pupil's activity did not reach the module (see $out/soak.log)"
  status=1
fi
if [ "$coils_after" != "[0, 0, 0, 0, 0, 0, 0, 0]" ]; then
  echo "FAIL: outputs left on after SIGTERM: $coils_after"
  status=1
fi
[ "$status" -eq 0 ] && echo "PASS"
exit "$status"
