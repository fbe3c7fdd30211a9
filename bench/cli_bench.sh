#!/bin/sh
# Speed and memory of tessoly-cli on large JPEGs, one run:
#   1. FreeImage load + JPEG save of the files with no watermark (the floor),
#   2. tessoly-cli --jobs 1 with default settings writing JPEG: time per image and peak memory,
#   3. tessoly-cli --jobs 2,
#   4. ImageMagick doing the same job (caption at 60 % opacity, centred, JPEG quality 80).
# Usage: bench/cli_bench.sh [BUILD_DIR] [COUNT] [WIDTH] [HEIGHT]
#   (defaults: build/default 20 6000 4000). Work files go to ${TMPDIR:-/tmp}/tessoly-cli-bench.
# Times are wall-clock; the processor time (user + system) is shown beside them, since on a busy
# machine it is the steadier figure.
set -eu
cd "$(dirname "$0")/.."
build="${1:-build/default}"
count="${2:-20}"
width="${3:-6000}"
height="${4:-4000}"
cli="$build/src/tessoly-cli"
work="${TMPDIR:-/tmp}/tessoly-cli-bench"

[ -x "$cli" ] || { echo "build tessoly-cli first: cmake --build $build --target tessoly-cli" >&2; exit 2; }
if ! command -v convert-im6.q16 >/dev/null 2>&1; then
  if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends imagemagick >/dev/null
fi
# Debian's ImageMagick binary by its own name: a "convert" earlier on PATH may be something else.
magick=convert-im6.q16

mkdir -p "$work"
c++ -std=c++20 -O2 -o "$work/BenchImages" bench/tools/BenchImages.cpp -lfreeimage
src="$work/src-$count-${width}x$height"
if [ ! -f "$src/done" ]; then
  rm -rf "$src"
  echo "generating $count JPEGs of $width x $height ..."
  "$work/BenchImages" generate "$src" "$count" "$width" "$height"
  touch "$src/done"
fi
[ -d "$work/tiny" ] || "$work/BenchImages" generate "$work/tiny" 1 1 1

fresh() { rm -rf "$work/$1"; mkdir -p "$work/$1"; }
# Wall seconds, peak resident kilobytes and processor seconds of a command, from GNU time.
measure() {
  /usr/bin/time -f "%e %M %U %S" -o "$work/time.txt" "$@" >/dev/null 2>"$work/stderr.txt" || {
    cat "$work/stderr.txt" >&2; exit 1; }
  cat "$work/time.txt"
}

sync
fresh floor
set -- $(measure "$work/BenchImages" floor "$src" "$work/floor")
floor_s=$1; floor_cpu=$(awk -v u="$3" -v s="$4" "BEGIN { print u + s }")

fresh base
set -- $(measure "$cli" --jobs 1 --format JPEG --output-folder "$work/base" "$work/tiny")
baseline_kb=$2

fresh out1
set -- $(measure "$cli" --jobs 1 --format JPEG --output-folder "$work/out1" "$src")
jobs1_s=$1; jobs1_kb=$2; jobs1_cpu=$(awk -v u="$3" -v s="$4" "BEGIN { print u + s }")

fresh out2
set -- $(measure "$cli" --jobs 2 --format JPEG --output-folder "$work/out2" "$src")
jobs2_s=$1; jobs2_cpu=$(awk -v u="$3" -v s="$4" "BEGIN { print u + s }")

fresh magick
cat > "$work/magick.sh" <<SCRIPT
for f in "$src"/*.jpg; do
  $magick "\$f" -gravity center -font Liberation-Sans-Bold -pointsize 80 -fill "rgba(255,255,255,0.6)" \\
    -annotate +0+0 "© Tessoly" -quality 80 "$work/magick/\$(basename "\$f")"
done
SCRIPT
set -- $(measure sh "$work/magick.sh")
magick_s=$1; magick_cpu=$(awk -v u="$3" -v s="$4" "BEGIN { print u + s }")

awk -v n="$count" -v floor_s="$floor_s" -v floor_cpu="$floor_cpu" -v j1cpu="$jobs1_cpu" -v j1="$jobs1_s" -v j2="$jobs2_s" -v im="$magick_s" -v imcpu="$magick_cpu" -v j2cpu="$jobs2_cpu" \
    -v base="$baseline_kb" -v peak="$jobs1_kb" -v w="$width" -v h="$height" 'BEGIN {
  frame_mb = w * h * 4 / 1048576
  printf "images: %d JPEGs of %d x %d\n", n, w, h
  floor = floor_s / n
  printf "floor (FreeImage load + save):  %.3f s per image  (processor %.3f s)\n", floor, floor_cpu / n
  printf "tessoly-cli --jobs 1:           %.3f s per image  (%.2f x the floor; goal <= 1.15) (processor %.3f s, %.2f x)\n", j1 / n, j1 / n / floor, j1cpu / n, (floor_cpu > 0 ? j1cpu / floor_cpu : 0)
  printf "tessoly-cli --jobs 2:           %.3f s per image  (processor %.3f s)\n", j2 / n, j2cpu / n
  printf "ImageMagick:                    %.3f s per image  (%.2f x the floor; %.2f x tessoly-cli --jobs 2; goal >= 3) (processor %.3f s, %.2f x that of --jobs 2)\n", im / n, im / n / floor, im / j2, imcpu / n, (j2cpu > 0 ? imcpu / j2cpu : 0)
  printf "peak memory --jobs 1:           %.0f MB, baseline %.0f MB: %.2f frames of %.0f MB above it (goal <= 6)\n", peak / 1024, base / 1024, (peak - base) / 1024 / frame_mb, frame_mb
}'
