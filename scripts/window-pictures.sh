#!/usr/bin/env bash
# Makes every picture of a window that the project keeps, after an intended change to a window: the reference
# pictures that the WindowLooks tests compare each rendering with, pixel by pixel (tests/data/windows/), and the
# screenshots of the user guide (docs/screenshots/), taken from the real program as a user sees it: on a virtual
# screen with a window manager, driven by key presses and clicks, in a throw-away QUILLBOX_HOME that holds a few
# sample records, one of them due today. Look at every picture git then shows as changed before committing it.
#
#   scripts/window-pictures.sh
#
# Builds the test tree of `scripts/dev.sh test` (build-test/) first. Uses the virtual X display :97
# (QUILLBOX_SHOT_DISPLAY to change it), 2200x1600 so the main window fits at twice its size, and ends what it
# started.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=scripts/packages.sh
source "$root/scripts/packages.sh"
ensure_packages "${run_packages[@]}" "${test_packages[@]}"
build="$root/build-test"
cmake -S "$root" -B "$build" "${strict_build[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLBOX_TESTS=ON >/dev/null
cmake --build "$build" --target test_app_windows quillbox

echo "== the reference pictures of the windows"
QT_QPA_PLATFORM=offscreen QUILLBOX_UPDATE_REFERENCES=1 "$build/tests/test_app_windows" --gtest_filter='WindowLooks.*' \
    --gtest_brief=1
ls "$root"/tests/data/windows/*.png

program="$build/quillbox"
out="$root/docs/screenshots"
export DISPLAY="${QUILLBOX_SHOT_DISPLAY:-:97}"
# A fixed folder, so the paths the program shows in the pictures stay the same from one run to the next.
work=/tmp/quillbox-guide
rm -rf "$work"
mkdir "$work"
started=()
program_pid=""

cleanup() {
    stop_program
    for ((i = ${#started[@]} - 1; i >= 0; i--)); do
        kill "${started[i]}" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "window-pictures: $*" >&2
    exit 1
}

start_screen() {
    if ! xdotool getdisplaygeometry >/dev/null 2>&1; then
        Xvfb "$DISPLAY" -screen 0 2200x1600x24 -nolisten tcp >/dev/null 2>&1 &
        started+=($!)
        for _ in $(seq 50); do
            xdotool getdisplaygeometry >/dev/null 2>&1 && break
            sleep 0.1
        done
    fi
    # A window manager gives the windows their frames and the focus.
    if ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; then
        openbox >/dev/null 2>&1 &
        started+=($!)
        sleep 1
    fi
}

# Starts the program in a session of its own, so it can be ended with whatever it started.
start_program() {
    QT_QPA_PLATFORM=xcb CUPS_SERVER="$work/no-printer.sock" QUILLBOX_HOME="$work" setsid "$@" "$program" \
        >>"$work/program.log" 2>&1 &
    program_pid=$!
}

stop_program() {
    if [ -n "$program_pid" ]; then
        kill -- "-$program_pid" 2>/dev/null || true
        wait "$program_pid" 2>/dev/null || true
        program_pid=""
    fi
}

# The newest visible window whose title matches; waits up to 15 seconds for it.
window() {
    local id
    for _ in $(seq 150); do
        id="$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -1 || true)"
        if [ -n "$id" ]; then
            sleep 0.4 # let it paint
            echo "$id"
            return
        fi
        sleep 0.1
    done
    fail "no window '$1' came up"
}

# Waits until a window is closed or hidden, and the windows below it have painted again.
gone() {
    for _ in $(seq 150); do
        if ! xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; then
            sleep 0.5
            return
        fi
        sleep 0.1
    done
    fail "the window $1 stayed"
}

# Answers the dialog of this title with keys and waits until it is gone.
answer() {
    local id
    id="$(window "$1")"
    keys "$id" "${@:2}"
    gone "$id"
}

# A window with its frame, as a small palette PNG.
shoot() {
    [ -n "$1" ] || fail "no window to take $2 of" # import would wait for a click on a window instead
    import -window "$1" -frame "$work/shot.png"
    convert "$work/shot.png" -colors 256 "PNG8:$out/$2"
    echo "$out/$2"
}

# Types keys into a window as the user would: the window gets the focus first.
keys() {
    xdotool windowactivate --sync "$1" >/dev/null 2>&1 || true
    sleep 0.2
    xdotool key --clearmodifiers "${@:2}"
    sleep 0.3
}

# Clicks a point of a window's client area given in twips, as the window layouts are.
click_twips() {
    xdotool mousemove --window "$1" $(($2 / 15)) $(($3 / 15)) click 1
    sleep 0.3
}

sample_data() {
    local quill="$work/drive_c/quill" today
    today="$(date +%m/%d/%y)"
    mkdir -p "$quill"
    printf ' \r\n' >"$work/drive_c/flag.dat"
    printf '"%s"\r\n"Call the plumber about the kitchen tap.\r\nHis number is in the blue address book."\r\n' \
        "$today" >"$quill/11281415.602"
    printf '"%s"\r\n"Dentist at 4 pm, bring the insurance card."\r\n' "$today" >"$quill/12010930.611"
    printf '""\r\n"Books to read: The Long Way Home, Winter Garden, A Short History of Tea."\r\n' \
        >"$quill/12031702.648"
    printf '"Smith","12 Oak St","555-0134"\r\n"Jones","4 Elm Rd","555-0178"\r\n' >"$work/addresses.txt"
}

start_screen
mkdir -p "$out"

echo "== the user guide's walk through the program"
sample_data
start_program
shoot "$(window '^Quillbox$')" splash.png
reminderWindow="$(window 'Reminder Date Alarm Search Results')"
shoot "$reminderWindow" reminder-window.png
keys "$reminderWindow" Return
main_window="$(window '^  Quillbox 1.2 - ')"

# Recall a record by a word of its text: Tab to the first search box, type, Alt+S, then No and OK.
keys "$main_window" Tab Tab Tab
xdotool type --delay 30 plumber
keys "$main_window" alt+s
answer '^Match found$' n
answer '^Attention$' Return
shoot "$main_window" main-window.png

# Print the record: no printer is reachable here, so the program writes a PDF file and says where.
keys "$main_window" alt+p
answer '^Font$' Return
notice="$(window '^Attention!$')"
shoot "$notice" print-notice.png
keys "$notice" Return
gone "$notice"
pdf="$(ls "$work"/printouts/*.pdf | head -1)"
pdftoppm -png -r 90 -f 1 -l 1 "$pdf" "$work/page"
convert "$work"/page*.png -crop 100%x22%+0+0 +repage -bordercolor '#999999' -border 1 -colors 16 \
    "PNG8:$out/printout.png"
echo "$out/printout.png"

click_twips "$main_window" $((7080 + 1695 / 2)) $((2640 + 495 / 2))
aboutWindow="$(window '^Quillbox 1.2 - The author:$')"
shoot "$aboutWindow" about-window.png
keys "$aboutWindow" space
gone "$aboutWindow"

# Import two records of three fields each.
keys "$main_window" alt+i
ask="$(window '^Your input is needed!$')"
xdotool type --delay 30 3
sleep 0.3
shoot "$ask" import-count.png
keys "$ask" Return
gone "$ask"
answer '^Attention!$' Return
files="$(window '^Open$|^Find File$')"
xdotool type --delay 10 "$work/addresses.txt"
keys "$files" Return
gone "$files"
answer '^Attention!$' Return
sleep 4 # two seconds a record
finished="$(window '^Attention!$')"
shoot "$finished" import-done.png
keys "$finished" Return
gone "$finished"
[ "$(ls "$work/drive_c/quill" | wc -l)" -eq 5 ] || fail "the import did not write two records"
keys "$main_window" alt+x
stop_program

echo "== the main window at the scale factors 1, 1.5 and 2"
rm -rf "$work/drive_c"
for scale in 1 1.5 2; do
    start_program env QT_SCALE_FACTOR="$scale"
    shoot "$(window '^  Quillbox 1.2 - ')" "main-window-scale-$scale.png"
    stop_program
done

echo "== the notification of today's reminders"
sample_data
# A session bus of the script's own, and dunst on it as the desktop's notification server.
{ read -r bus_address; read -r bus_pid; } < <(dbus-daemon --session --fork --print-address=1 --print-pid=1)
started+=("$bus_pid")
export DBUS_SESSION_BUS_ADDRESS="$bus_address"
dunst -config "$root/tests/data/dunstrc" >/dev/null 2>&1 &
started+=($!)
for _ in $(seq 100); do
    dunstctl count displayed >/dev/null 2>&1 && break
    sleep 0.1
done
QUILLBOX_HOME="$work" "$program" --remind >"$work/remind.txt" 2>>"$work/program.log" &
remind_pid=$!
for _ in $(seq 100); do
    [ "$(dunstctl count displayed 2>/dev/null)" = 1 ] && break
    sleep 0.1
done
[ "$(dunstctl count displayed)" = 1 ] || fail "quillbox --remind showed no notification"
sleep 0.5 # let it paint
import -window "$(xdotool search --class Dunst | head -1)" "$work/shot.png"
convert "$work/shot.png" -colors 256 "PNG8:$out/reminder-notification.png"
echo "$out/reminder-notification.png"
dunstctl close
wait "$remind_pid" || fail "quillbox --remind ended with status $? after its notification was closed"
head -1 "$work/remind.txt" | grep -qx "Quillbox: 2 reminders for today" || fail "quillbox --remind printed $(cat "$work/remind.txt")"
