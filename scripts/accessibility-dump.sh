#!/usr/bin/env bash
# Starts the program on a private X display with its own session bus and
# accessibility bus, and writes what a screen reader finds there: every
# window's tree of roles, names, states and descriptions, in reading order.
# Through the accessibility bus it presses "Zoek en verbind" (the simulated
# interface opens "Virtuele opstelling"), chooses "Transportband", forces the
# optical sensor, switches the stopper on and opens "Stappenplan", so all
# three windows are dumped with lamps on and off.
#
#   scripts/accessibility-dump.sh [PROGRAM] [OUTPUT] [DISPLAY]
#
# PROGRAM defaults to build/bin/Automatiseren, OUTPUT to
# build/accessibility-dump.txt, DISPLAY to :14. Needs Xvfb, dbus,
# at-spi2-core and python3-pyatspi (scripts/setup.sh installs them).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
program="$(realpath "${1:-$root/build/bin/Automatiseren}")"
output="$(realpath -m "${2:-$root/build/accessibility-dump.txt}")"
display="${3:-:14}"

if [[ "${DRAVIK_DUMP_INSIDE:-}" != 1 ]]; then
  scratch="$(mktemp -d)"
  trap 'rm -rf "$scratch"' EXIT
  # The simulated interface, whatever is installed on this machine.
  printf '[interface]\ntype=simulated\n' >"$scratch/Automatiseren.ini"
  Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  trap 'kill $xvfb 2>/dev/null || true; rm -rf "$scratch"' EXIT
  for _ in $(seq 50); do [[ -e "/tmp/.X11-unix/X${display#:}" ]] && break; sleep 0.1; done
  export DISPLAY="$display" XDG_RUNTIME_DIR="$scratch" DRAVIK_DUMP_INSIDE=1
  export DRAVIK_DUMP_SETTINGS="$scratch/Automatiseren.ini"
  dbus-run-session -- "$0" "$program" "$output" "$display"
  exit $?
fi

# Inside the private session bus: the accessibility bus, then the program.
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
launcher=$!
sleep 1
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1
"$program" --settings "$DRAVIK_DUMP_SETTINGS" >"$output.log" 2>&1 &
app=$!
trap 'kill $app $launcher 2>/dev/null || true' EXIT
/usr/bin/python3 - "$output" <<'PY'
import sys, time
import pyatspi

out_path = sys.argv[1]

def find_app():
    for _ in range(100):
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name.startswith("Automatiseren"):
                if app.childCount:
                    return app
        time.sleep(0.2)
    sys.exit("the program did not appear on the accessibility bus")

def states(node):
    names = []
    for s in node.getState().getStates():
        name = pyatspi.stateToString(s) if hasattr(pyatspi, "stateToString") else str(s)
        names.append(str(name).lower())
    return names

# States every control has, or that say nothing here.
NOISE = {"enabled", "visible", "opaque", "resizable", "multi line", "single line",
         "selectable text", "horizontal", "vertical"}

def line(node, depth):
    role = node.getRoleName()
    name = node.name or ""
    desc = node.description or ""
    st = [s for s in states(node) if s not in NOISE]
    if "sensitive" in st:
        st.remove("sensitive")
    elif node.getRole() not in (pyatspi.ROLE_FRAME, pyatspi.ROLE_PANEL, pyatspi.ROLE_FILLER,
                                pyatspi.ROLE_LABEL):
        st.append("DISABLED")
    text = "  " * depth + f"[{role}] \"{name}\""
    if desc:
        text += f" — {desc}"
    try:
        value = node.queryValue().currentValue
        text += f" value={value:g}"
    except NotImplementedError:
        pass
    # A drop-down's choice is its text.
    if node.getRole() == pyatspi.ROLE_COMBO_BOX:
        try:
            shown = node.queryText()
            text += f" text=\"{shown.getText(0, shown.characterCount)}\""
        except NotImplementedError:
            pass
    if st:
        text += "  {" + ", ".join(sorted(st)) + "}"
    return text

def dump(node, depth, lines, limit=400):
    if len(lines) > limit:
        return
    lines.append(line(node, depth))
    for child in node:
        if child is not None and child.getRole() not in (pyatspi.ROLE_LIST, pyatspi.ROLE_MENU):
            dump(child, depth + 1, lines, limit)

def find(node, role, name):
    if node.getRole() == role and node.name == name:
        return node
    for child in node:
        if child is None:
            continue
        hit = find(child, role, name)
        if hit is not None:
            return hit
    return None

def press(app, name):
    for window in app:
        button = find(window, pyatspi.ROLE_PUSH_BUTTON, name)
        if button is not None:
            action = button.queryAction()
            for i in range(action.nActions):
                if action.getName(i) in ("Press", "press", "click"):
                    action.doAction(i)
                    return True
    return False

app = find_app()
time.sleep(1)
if not press(app, "Zoek en verbind"):
    sys.exit('no button "Zoek en verbind"')
for _ in range(50):
    if app.childCount >= 2:
        break
    time.sleep(0.2)
time.sleep(1)
# The conveyor, so that the virtual station shows its sensors and its parts.
if not press(app, "Transportband"):
    sys.exit('no button "Transportband"')
time.sleep(1)
# One sensor forced and one output on: lamps checked and unchecked.
press(app, "Optische sensor")
press(app, "Magneetspoel stopper")
time.sleep(0.5)
press(app, "Stappenplan")
for _ in range(50):
    if app.childCount >= 3:
        break
    time.sleep(0.2)
time.sleep(1)

lines = [f"[application] \"{app.name}\""]
for window in app:
    if window is not None:
        dump(window, 1, lines)
with open(out_path, "w", encoding="utf-8") as f:
    f.write("\n".join(lines) + "\n")
print(f"wrote {out_path}: {app.childCount} windows, {len(lines)} lines")
PY
