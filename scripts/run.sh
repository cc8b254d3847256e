#!/usr/bin/env bash
# Runs the program against the range simulator, from a fresh clone:
#   bash scripts/run.sh
# Says first when there is no display to show the program on. Installs the
# Debian packages that are missing (scripts/setup.sh), builds the program and
# the simulator in build-run/ (scripts/test.sh keeps build/), lays out the run folder (run/, or
# $RANGE_RUN_DIR) from data/ without touching what it already holds (its
# databases stay), starts the simulator with one converter, lanes 1-10 and a
# simulated shooter on every lane, then the program in the run folder. Closing
# the program stops the simulator. RANGE_CLOCK_SPEED=<n> runs the exercise
# clocks n times faster, and the simulated shooters fire n times as often
# (no faster than the bus reads a lane), a pistol series' or rapid-fire
# window's shots within its time on that clock. The simulator's log is
# run/simulator.log; it takes its commands (see README) from the named pipe
# run/simulator.cmd:  echo "target 4 deaf" > run/simulator.cmd
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
# Not build/: scripts/test.sh builds there with other flags, and each would
# rebuild everything after the other, or break it when both run at once.
build=$root/build-run
run=${RANGE_RUN_DIR:-$root/run}

# Before the minutes of installing and building.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "No display to show the program on; run it as: xvfb-run -a -s '-screen 0 1366x768x24' bash scripts/run.sh" >&2
    exit 2
fi

# Installs only what is missing; on a ready machine it needs no rights.
bash scripts/setup.sh

if [ ! -f "$build/build.ninja" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" --target range range_simulator_cli

# A shot every 6 s of exercise time, as at real speed; the bus polls each of
# the 10 lanes in turn, 200 ms apart, so a lane is read every 2 s at most.
# A timed series (a pistol series or a rapid-fire window) gets its shots
# within its time on the exercise clock, whatever the pace.
pace=6000
speed=${RANGE_CLOCK_SPEED:-}
clock=1
if [[ $speed =~ ^[0-9]+$ ]] && [ $((10#$speed)) -gt 1 ]; then
    clock=$((10#$speed))
    pace=$((6000 / clock))
    [ "$pace" -ge 2000 ] || pace=2000
fi

mkdir -p "$run"
cp -rn data/. "$run"/
com=$run/com
rm -rf "$com"

# The simulator's commands come through a named pipe in the run folder. This
# script holds it open for reading and writing, so an `echo` into it neither
# waits for a reader nor ends the simulator's input when it closes.
commands=$run/simulator.cmd
rm -f "$commands"
mkfifo "$commands"
exec 3<>"$commands"

"$build/tools/simulator/range_simulator_cli" --com-dir "$com" --serial 1-10 \
    --shooters 40,$pace --clock-speed $clock --quiet <&3 3>&- > "$run/simulator.log" 2>&1 &
simulator=$!
trap 'kill "$simulator" 2>/dev/null; wait "$simulator" 2>/dev/null || true; rm -f "$commands"' EXIT

for _ in $(seq 100); do
    [ -e "$com/COM1" ] && break
    kill -0 "$simulator" 2>/dev/null || { cat "$run/simulator.log"; exit 1; }
    sleep 0.1
done
[ -e "$com/COM1" ] || { echo "The simulator made no serial port; see $run/simulator.log"; exit 1; }

echo "Range simulator on $com (lanes 1-10, a shot every $pace ms)${RANGE_CLOCK_SPEED:+, exercise clock x$RANGE_CLOCK_SPEED}; program in $run"
echo "Simulator commands: echo \"target 4 deaf\" > $commands (its answers in $run/simulator.log)"
cd "$run"
RANGE_COM_DIR=$com "$build/app/range" 3>&-
