#!/bin/sh
# Speed and memory of tessoly-cli on large JPEGs, one run:
#   1. FreeImage load + JPEG save of the files with no watermark (the floor),
#   2. tessoly-cli --jobs 1 with default settings writing JPEG: time per image and peak memory,
#   3. tessoly-cli --jobs 2,
#   4. ImageMagick doing the same job (caption at 60 % opacity, centred, JPEG quality 80).
# Usage: bench/cli_bench.sh [BUILD_DIR] [COUNT] [WIDTH] [HEIGHT]
#   (defaults: build/default 20 6000 4000). Work files go to ${TMPDIR:-/tmp}/tessoly-cli-bench.
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
if [ "$(ls "$work/src" 2>/dev/null | wc -l)" -ne "$count" ]; then
  rm -rf "$work/src"
  echo "generating $count JPEGs of $width x $height ..."
  "$work/BenchImages" generate "$work/src" "$count" "$width" "$height"
  "$work/BenchImages" generate "$work/tiny" 1 1 1
fi

fresh() { rm -rf "$work/$1"; mkdir -p "$work/$1"; }
# Seconds and peak resident kilobytes of a command, from GNU time.
measure() {
  /usr/bin/time -f "%e %M" -o "$work/time.txt" "$@" >/dev/null 2>"$work/stderr.txt" || {
    cat "$work/stderr.txt" >&2; exit 1; }
  cat "$work/time.txt"
}

sync
fresh floor
floor=$("$work/BenchImages" floor "$work/src" "$work/floor")

fresh base
set -- $(measure "$cli" --jobs 1 --format JPEG --output-folder "$work/base" "$work/tiny")
baseline_kb=$2

fresh out1
set -- $(measure "$cli" --jobs 1 --format JPEG --output-folder "$work/out1" "$work/src")
jobs1_s=$1; jobs1_kb=$2

fresh out2
set -- $(measure "$cli" --jobs 2 --format JPEG --output-folder "$work/out2" "$work/src")
jobs2_s=$1

fresh magick
start=$(date +%s.%N)
for f in "$work"/src/*.jpg; do
  "$magick" "$f" -gravity center -font Liberation-Sans-Bold -pointsize 80 -fill "rgba(255,255,255,0.6)" \
    -annotate +0+0 "© Tessoly" -quality 80 "$work/magick/$(basename "$f")"
done
end=$(date +%s.%N)

awk -v n="$count" -v floor="$floor" -v j1="$jobs1_s" -v j2="$jobs2_s" -v im_start="$start" -v im_end="$end" \
    -v base="$baseline_kb" -v peak="$jobs1_kb" -v w="$width" -v h="$height" 'BEGIN {
  im = im_end - im_start
  frame_mb = w * h * 4 / 1048576
  printf "images: %d JPEGs of %d x %d\n", n, w, h
  printf "floor (FreeImage load + save):  %.3f s per image\n", floor
  printf "tessoly-cli --jobs 1:           %.3f s per image  (%.2f x the floor; goal <= 1.15)\n", j1 / n, j1 / n / floor
  printf "tessoly-cli --jobs 2:           %.3f s per image\n", j2 / n
  printf "ImageMagick:                    %.3f s per image  (%.2f x the floor; %.2f x tessoly-cli --jobs 2; goal >= 3)\n", im / n, im / n / floor, im / j2
  printf "peak memory --jobs 1:           %.0f MB, baseline %.0f MB: %.2f frames of %.0f MB above it (goal <= 6)\n", peak / 1024, base / 1024, (peak - base) / 1024 / frame_mb, frame_mb
}'
