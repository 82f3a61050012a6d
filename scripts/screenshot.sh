#!/usr/bin/env bash
# Regenerates docs/screenshot.png, the picture of the editor in the README: builds, starts
# the editor on a virtual X server, fills every frame of the layout it opens on with the
# photos in docs/photos as a user does (double-click, type the path into the file
# dialog), waits for the smooth view and takes a picture of the window.
# Environment: BUILD_DIR (default build/), SCREENSHOT_DISPLAY (default :97).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${BUILD_DIR:-$root/build}
display=${SCREENSHOT_DISPLAY:-:97}
out=$root/docs/screenshot.png

bash "$root/scripts/build.sh" >/dev/null
for tool in Xvfb xdotool import convert python3; do
  command -v "$tool" >/dev/null || { echo "screenshot: $tool is missing" >&2; exit 1; }
done

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
export DISPLAY=$display

Xvfb "$display" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done

# A home of its own: the window opens at a known place and size, and no folder or
# setting of an earlier run applies.
mkdir -p "$work/config"
printf '[General]\nposX=0\nposY=0\nwidth=1280\nheight=800\n' >"$work/config/Maplestead Vantry.conf"
HOME=$work XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work \
  "$build_dir/bin/quiltra" >"$work/editor.log" 2>&1 &
pids+=($!)
window=$(xdotool search --sync --name "Maplestead Vantry" | head -1)
sleep 2

# Three different parts of each photo, so that ten frames show ten pictures; the
# first frames get one part of every photo.
photos=()
for part in Center NorthWest SouthEast; do
  for photo in "$root"/docs/photos/*.jpg; do
    crop=$work/$(basename "$photo" .jpg)-$part.jpg
    convert "$photo" -gravity "$part" -crop 70%x70%+0+0 +repage "$crop"
    photos+=("$crop")
  done
done

# The empty frames are the white areas enclosed by their outlines, left of the side bar:
# prints the centre of each, top row first.
empty_frames() {
  import -window "$window" -depth 8 "$work/window.ppm"
  python3 - "$work/window.ppm" <<'EOF'
import sys
data = open(sys.argv[1], 'rb').read()
fields, pos = [], 0
while len(fields) < 4:
    while data[pos:pos + 1].isspace():
        pos += 1
    end = pos
    while not data[end:end + 1].isspace():
        end += 1
    fields.append(data[pos:end])
    pos = end
pixels = data[pos + 1:]
width, height = int(fields[1]), int(fields[2])
right = width - 420
white = bytearray(width * height)
for i in range(width * height):
    if i % width < right and min(pixels[3 * i:3 * i + 3]) >= 250:
        white[i] = 1
found = []
for start in range(width * height):
    if not white[start]:
        continue
    white[start] = 0
    stack, area = [start], 0
    x0 = x1 = start % width
    y0 = y1 = start // width
    while stack:
        i = stack.pop()
        area += 1
        x, y = i % width, i // width
        x0, x1, y0, y1 = min(x0, x), max(x1, x), min(y0, y), max(y1, y)
        for j in (i - 1 if x > 0 else -1, i + 1 if x < width - 1 else -1, i - width, i + width):
            if 0 <= j < width * height and white[j]:
                white[j] = 0
                stack.append(j)
    w, h = x1 - x0 + 1, y1 - y0 + 1
    # A frame is a filled, rounded rectangle; the canvas around the frames is not.
    if w >= 40 and h >= 40 and area >= 0.9 * w * h:
        found.append(((y0 + y1) // 2, (x0 + x1) // 2))
for y, x in sorted(found):
    print(x, y)
EOF
}

# Each frame by double-click and the file dialog; a frame that missed its photo (a click
# that came too early) is tried again.
index=0
for round in 1 2 3; do
  frames=$(empty_frames)
  [ -n "$frames" ] || break
  while read -r x y; do
    photo=${photos[$((index % ${#photos[@]}))]}
    index=$((index + 1))
    xdotool mousemove --sync "$x" "$y" click --repeat 2 --delay 80 1
    dialog=$(xdotool search --sync --onlyvisible --name "Add Image Files" | head -1)
    xdotool type --window "$dialog" --delay 2 "$photo"
    xdotool key Return
    for _ in $(seq 50); do
      xdotool search --onlyvisible --name "Add Image Files" >/dev/null 2>&1 || break
      sleep 0.1
    done
    sleep 0.5
  done <<<"$frames"
done
[ "$index" -gt 0 ] || { echo "screenshot: no empty frame found" >&2; exit 1; }
[ -z "$(empty_frames)" ] || { echo "screenshot: a frame stayed empty" >&2; exit 1; }

# Open the settings beside the canvas with the Options button at the top of the right
# column, then take the pointer off the window so that no tool tip shows.
xdotool mousemove --sync 1254 88 click 1
xdotool mousemove 1500 950

# The quick view gives way to the smooth one after ten quiet seconds.
sleep 13
mkdir -p "$(dirname "$out")"
import -window "$window" "$out.new.png"
mv "$out.new.png" "$out"
echo "screenshot: $index photos placed, wrote $out"
