#!/bin/sh
# Start-up and per-item overhead of tessoly-cli: many small images fed through --files-from
# against a few large ones.
#   start-up   wall time of a run over one 1 x 1 image,
#   small      COUNT PNGs of 64 x 64 listed in a file (--files-from),
#   large      LARGE JPEGs of 6000 x 4000,
# each with --jobs 1, default watermark, PNG/JPEG out. The pixel work of an image is taken as
# proportional to its pixels, at the rate the large images show; what a small image costs beyond
# its share of that rate and the start-up is the per-item overhead.
# Usage: bench/cli_overhead.sh [BUILD_DIR] [COUNT] [LARGE]   (defaults: build/default 10000 20)
# Work files go to ${TMPDIR:-/tmp}/tessoly-cli-overhead and are removed at the end.
set -eu
cd "$(dirname "$0")/.."
build="${1:-build/default}"
count="${2:-10000}"
large="${3:-20}"
cli="$build/src/tessoly-cli"
work="${TMPDIR:-/tmp}/tessoly-cli-overhead"
[ -x "$cli" ] || { echo "build tessoly-cli first: cmake --build $build --target tessoly-cli" >&2; exit 2; }

rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
c++ -std=c++20 -O2 -o "$work/BenchImages" bench/tools/BenchImages.cpp -lfreeimage
"$work/BenchImages" generate-png "$work/tiny" 1 1 1
"$work/BenchImages" generate-png "$work/small" "$count" 64 64
"$work/BenchImages" generate "$work/large" "$large" 6000 4000
find "$work/small" -name '*.png' -print0 | sort -z > "$work/small.list"

# Wall and processor seconds of a command.
timed() {
  /usr/bin/time -f "%e %U %S" -o "$work/time" "$@" > /dev/null 2>&1 || true
  awk '{ printf "%s %.2f\n", $1, $2 + $3 }' "$work/time"
}
run() { rm -rf "$work/out"; timed "$cli" --jobs 1 -o "$work/out" "$@"; }

set -- $(run "$work/tiny/photo00000.png"); startWall=$1; startCpu=$2
set -- $(run --files-from "$work/small.list" -0); smallWall=$1; smallCpu=$2
set -- $(run --mode image --picture-path "$work/tiny/photo00000.png" --image-scale 3200 \
           --files-from "$work/small.list" -0); pictureWall=$1; pictureCpu=$2
set -- $(run --format jpeg "$work/large"); largeWall=$1; largeCpu=$2
set -- $(rm -rf "$work/out"; timed "$cli" --jobs 1 --dry-run -o "$work/out" --files-from "$work/small.list" -0)
dryWall=$1

awk -v n="$count" -v l="$large" -v s="$startWall" -v sc="$startCpu" -v sw="$smallWall" -v scp="$smallCpu" \
    -v lw="$largeWall" -v lc="$largeCpu" -v dw="$dryWall" -v pw="$pictureWall" -v pc="$pictureCpu" 'BEGIN {
  printf "start-up (one 1x1 image):          %8.1f ms wall, %8.1f ms processor\n", s * 1000, sc * 1000;
  printf "%d small, caption (--files-from): %6.2f s wall, %6.2f s processor\n", n, sw, scp;
  printf "%d small, 32x32 picture:          %6.2f s wall, %6.2f s processor\n", n, pw, pc;
  printf "%d large (6000x4000 JPEG):           %6.2f s wall, %6.2f s processor\n", l, lw, lc;
  printf "dry run of the %d small:          %6.2f s wall\n", n, dw;
  # Per item, beyond the start-up and the pixel share at the large images rate.
  for (k = 0; k < 2; ++k) {
    big = k ? lc - sc : lw - s; one = k ? sc : s;
    rate = big / (l * 6000 * 4000); share = rate * 64 * 64;
    caption = ((k ? scp : sw) - one) / n - share; picture = ((k ? pc : pw) - one) / n - share;
    printf "%-9s per item: large %.0f ms; small pixel share %.3f ms; overhead %.3f ms with the caption, %.3f ms with the picture; dry run %.3f ms\n",
      k ? "processor" : "wall", big / l * 1000, share * 1000, caption * 1000, picture * 1000, (dw - s) / n * 1000;
  }
}'
