#!/usr/bin/env bash
# Screenshots of every page and dialog of the program, as the operator meets
# them on the roads that the tests in tests/app walk (a competition, a pistol
# match, a practice, the recovery after a crash), taken on a virtual X
# display of the range computer's size (RANGE_SCREEN_SIZE, 1366x768 unless
# given; the window fills it), and of the screens that tests in tests/ui look
# at on the range computers' screen sizes (the run page of a whole relay):
#   [RANGE_SCREEN_SIZE=1920x1080] bash scripts/screenshots.sh [FOLDER]
# The pictures go to FOLDER (default: $TMPDIR/range-screenshots, never inside
# the repository) as <road>-<step>.png; the folder is emptied first. Run as
# root, the tests play the operator's user in children that are the user
# "nobody" (tests/common/ordinaryuser.h): the folder is given to that user,
# and so is the virtual display's cookie, so that they reach the display.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build
out=${1:-${TMPDIR:-/tmp}/range-screenshots}
size=${RANGE_SCREEN_SIZE:-1366x768}
mkdir -p "$out"
out=$(cd "$out" && pwd)
case "$out/" in
"$root"/*) echo "The screenshots go outside the repository, not into $out" >&2; exit 2 ;;
esac

# The tests' own build folder, configured as scripts/test.sh does, so that
# neither script rebuilds what the other built.
if [ ! -f "$build/build.ninja" ]; then
    cmake -S . -B "$build" -G Ninja -DRANGE_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
roads=()
for source in tests/app/tst_*.cpp; do
    roads+=("$(basename "$source" .cpp)")
done
screens=()
for source in $(grep -l 'sight(' tests/ui/tst_*.cpp); do
    screens+=("$(basename "$source" .cpp)")
done
cmake --build "$build" --target "${roads[@]}" "${screens[@]}"

rm -f "$out"/*.png
auth=$(mktemp -d)
trap 'rm -rf "$auth"' EXIT
if [ "$(id -u)" = 0 ]; then
    chmod 711 "$auth"
    chown nobody "$out"
fi
# Runs a test on a real X display (xcb), not the tests' offscreen platform,
# of that size.
on_display() {
    local screen=$1
    shift
    env -u QT_QPA_PLATFORM RANGE_SCREENSHOT_DIR="$out" \
        xvfb-run -a -f "$auth/Xauthority" -s "-screen 0 ${screen}x24" \
        sh -c '[ "$(id -u)" != 0 ] || chown nobody "$XAUTHORITY"; exec "$@"' sh "$@"
}
failed=0
for road in "${roads[@]}"; do
    echo "== $road"
    on_display "$size" "$build/tests/app/$road" || failed=1
done
for screen in "${screens[@]}"; do
    echo "== $screen"
    # A screen large enough for the largest window these tests size.
    on_display 1920x1080 "$build/tests/ui/$screen" || failed=1
done
echo "$(find "$out" -name '*.png' | wc -l) screenshots in $out"
exit $failed
