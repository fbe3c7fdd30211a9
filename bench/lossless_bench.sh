#!/bin/sh
# Marking JPEGs in place (--lossless-jpeg) against the decode + encode floor, one run:
#   1. FreeImage load + JPEG save of the files with no watermark (the floor),
#   2. tessoly-cli --jobs 1 --lossless-jpeg, default caption: time per image ÷ the floor (goal <= 0.25),
#   3. tessoly-cli --jobs 2 --lossless-jpeg,
#   4. ImageMagick doing the same job (caption at 60 % opacity, centred, JPEG quality 80):
#      its time ÷ that of --jobs 2 (goal >= 10).
# Usage: bench/lossless_bench.sh [BUILD_DIR] [COUNT] [WIDTH] [HEIGHT]
#   (defaults: build/default 20 6000 4000). Work files go to ${TMPDIR:-/tmp}/tessoly-lossless-bench
#   and are deleted at the end.
set -eu
cd "$(dirname "$0")/.."
build="${1:-build/default}"
count="${2:-20}"
width="${3:-6000}"
height="${4:-4000}"
cli="$build/src/tessoly-cli"
work="${TMPDIR:-/tmp}/tessoly-lossless-bench"

[ -x "$cli" ] || { echo "build tessoly-cli first: cmake --build $build --target tessoly-cli" >&2; exit 2; }
command -v convert-im6.q16 >/dev/null 2>&1 || { echo "install imagemagick first" >&2; exit 2; }
magick=convert-im6.q16
trap 'rm -rf "$work"' EXIT

mkdir -p "$work"
c++ -std=c++20 -O2 -o "$work/BenchImages" bench/tools/BenchImages.cpp -lfreeimage
src="$work/src"
echo "generating $count JPEGs of $width x $height ..."
"$work/BenchImages" generate "$src" "$count" "$width" "$height"

# Each timed step starts with the page cache written back, so that none pays for the writes of
# the step before it.
fresh() { rm -rf "$work/$1"; mkdir -p "$work/$1"; sync; }
# Wall seconds and processor seconds (user + system) of a command, from GNU time.
measure() {
  /usr/bin/time -f "%e %U %S" -o "$work/time.txt" "$@" >/dev/null 2>"$work/stderr.txt" || {
    cat "$work/stderr.txt" >&2; exit 1; }
  awk '{ print $1, $2 + $3 }' "$work/time.txt"
}

fresh floor
set -- $(measure "$work/BenchImages" floor "$src" "$work/floor"); floor_s=$1; floor_cpu=$2
fresh out1
set -- $(measure "$cli" --jobs 1 --lossless-jpeg --output-folder "$work/out1" "$src"); j1=$1; j1cpu=$2
if grep -q "ordinary way" "$work/stderr.txt"; then echo "not marked in place:" >&2; cat "$work/stderr.txt" >&2; exit 1; fi
fresh out2
set -- $(measure "$cli" --jobs 2 --lossless-jpeg --output-folder "$work/out2" "$src"); j2=$1; j2cpu=$2
fresh magick
cat > "$work/magick.sh" <<SCRIPT
for f in "$src"/*.jpg; do
  $magick "\$f" -gravity center -font Liberation-Sans-Bold -pointsize 80 -fill "rgba(255,255,255,0.6)" \\
    -annotate +0+0 "© Tessoly" -quality 80 "$work/magick/\$(basename "\$f")"
done
SCRIPT
set -- $(measure sh "$work/magick.sh"); im=$1; imcpu=$2

awk -v n="$count" -v w="$width" -v h="$height" -v f="$floor_s" -v fc="$floor_cpu" -v j1="$j1" -v j1c="$j1cpu" \
    -v j2="$j2" -v j2c="$j2cpu" -v im="$im" -v imc="$imcpu" 'BEGIN {
  printf "images: %d JPEGs of %d x %d\n", n, w, h
  printf "floor (FreeImage load + save):        %.3f s per image (processor %.3f s)\n", f / n, fc / n
  printf "tessoly-cli --jobs 1 --lossless-jpeg: %.3f s per image: %.3f x the floor (goal <= 0.25) (processor %.3f s, %.3f x)\n", j1 / n, j1 / f, j1c / n, j1c / fc
  printf "tessoly-cli --jobs 2 --lossless-jpeg: %.3f s per image (processor %.3f s)\n", j2 / n, j2c / n
  printf "ImageMagick:                          %.3f s per image: %.1f x tessoly-cli --jobs 2 (goal >= 10) (processor %.3f s)\n", im / n, im / j2, imc / n
}'
