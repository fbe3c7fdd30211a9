#!/bin/sh
# The price of Exif orientation: tessoly-cli --jobs 1 on photo-sized JPEGs stored with
# Orientation 6 (turned upright after decoding) against the same files with Orientation 1.
# Several alternating rounds; the best round of each counts, since on a shared machine the
# slowest rounds measure the neighbours. Reports wall and processor seconds per image and the
# ratio 6 / 1 (goal <= 1.10).
# Usage: bench/orientation_bench.sh [BUILD_DIR] [COUNT] [ROUNDS] [WIDTH] [HEIGHT]
#   (defaults: build/default 4 3 6000 4000). Work files go to ${TMPDIR:-/tmp}/tessoly-orient-bench.
set -eu
cd "$(dirname "$0")/.."
build="${1:-build/default}"
count="${2:-4}"
rounds="${3:-3}"
width="${4:-6000}"
height="${5:-4000}"
cli="$build/src/tessoly-cli"
work="${TMPDIR:-/tmp}/tessoly-orient-bench"

[ -x "$cli" ] || { echo "build tessoly-cli first: cmake --build $build --target tessoly-cli" >&2; exit 2; }
mkdir -p "$work"
c++ -std=c++20 -O2 -o "$work/BenchImages" bench/tools/BenchImages.cpp -lfreeimage
src="$work/src-$count-${width}x$height"
if [ ! -f "$src/done" ]; then
  rm -rf "$src"
  "$work/BenchImages" generate "$src" "$count" "$width" "$height"
  touch "$src/done"
fi
for n in 1 6; do
  rm -rf "$work/o$n"
  "$work/BenchImages" orient "$src" "$n" "$work/o$n"
done

# Wall and processor seconds of one run over the files of orientation $1.
run() {
  rm -rf "$work/out"; mkdir -p "$work/out"
  /usr/bin/time -f "%e %U %S" -o "$work/time.txt" "$cli" --jobs 1 --format JPEG --output-folder "$work/out" \
    "$work/o$1" >/dev/null 2>"$work/stderr.txt" || { cat "$work/stderr.txt" >&2; exit 1; }
  awk '{ printf "%s %.2f\n", $1, $2 + $3 }' "$work/time.txt"
}

best1=""; best6=""; cpu1=""; cpu6=""
i=0
while [ "$i" -lt "$rounds" ]; do
  for n in 1 6; do
    set -- $(run "$n")
    eval "best=\$best$n; cpu=\$cpu$n"
    best=$(awk -v a="$best" -v b="$1" 'BEGIN { print (a == "" || b < a) ? b : a }')
    cpu=$(awk -v a="$cpu" -v b="$2" 'BEGIN { print (a == "" || b < a) ? b : a }')
    eval "best$n=\$best; cpu$n=\$cpu"
  done
  i=$((i + 1))
done

awk -v n="$count" -v w="$width" -v h="$height" -v w1="$best1" -v w6="$best6" -v c1="$cpu1" -v c6="$cpu6" 'BEGIN {
  printf "images: %d JPEGs of %d x %d, best of the rounds\n", n, w, h
  printf "Orientation 1: %.3f s per image (processor %.3f s)\n", w1 / n, c1 / n
  printf "Orientation 6: %.3f s per image (processor %.3f s)\n", w6 / n, c6 / n
  printf "ratio 6 / 1:   %.3f wall, %.3f processor (goal <= 1.10)\n", w6 / w1, c6 / c1
}'
