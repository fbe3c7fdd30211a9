#!/bin/sh
# Per-image time of today's formats with tessoly-cli --jobs 1 against ImageMagick doing the same
# conversion with a centred caption: HEIC -> JPEG, JPEG -> AVIF, JPEG -> WebP (quality 80); then
# the JPEG size change of the optimised Huffman tables on the first photo.
# Usage: bench/modern_formats_bench.sh [BUILD_DIR] [COUNT] [WIDTH] [HEIGHT]
#   (defaults: build/default 3 4000 3000, 12 megapixels). Work files: ${TMPDIR:-/tmp}/tessoly-modern-bench.
# The HEIC sources are made once by ImageMagick (libheif with x265), which takes a while.
set -eu
cd "$(dirname "$0")/.."
build="${1:-build/default}"
count="${2:-3}"
width="${3:-4000}"
height="${4:-3000}"
cli="$build/src/tessoly-cli"
work="${TMPDIR:-/tmp}/tessoly-modern-bench"
magick=convert-im6.q16
[ -x "$cli" ] || { echo "build tessoly-cli first: cmake --build $build --target tessoly-cli" >&2; exit 2; }
command -v "$magick" >/dev/null || { echo "needs ImageMagick: apt-get install imagemagick" >&2; exit 2; }

mkdir -p "$work"
c++ -std=c++20 -O2 -o "$work/BenchImages" bench/tools/BenchImages.cpp -lfreeimage
c++ -std=c++20 -O2 -o "$work/JpegSizes" bench/tools/JpegSizes.cpp -lfreeimage
src="$work/src-$count-${width}x$height"
if [ ! -f "$src/done" ]; then
  rm -rf "$src"
  echo "generating $count photo-like JPEGs and HEICs of $width x $height ..."
  "$work/BenchImages" generate "$src/jpeg" "$count" "$width" "$height"
  mkdir -p "$src/heic"
  for f in "$src"/jpeg/*.jpg; do "$magick" "$f" -quality 80 "$src/heic/$(basename "$f" .jpg).heic"; done
  touch "$src/done"
fi

# Wall seconds and processor seconds (user + system) of a command.
measure() {
  /usr/bin/time -f "%e %U %S" -o "$work/time.txt" "$@" >/dev/null 2>"$work/stderr.txt" || {
    cat "$work/stderr.txt" >&2; exit 1; }
  awk '{ printf "%s %.2f\n", $1, $2 + $3 }' "$work/time.txt"
}
magick_run() { # input-folder extension output-extension
  cat > "$work/magick.sh" <<SCRIPT
for f in "$1"/*.$2; do
  $magick "\$f" -gravity center -font Liberation-Sans-Bold -pointsize 80 -fill "rgba(255,255,255,0.6)" \\
    -stroke black -annotate +0+0 "© Tessoly" -quality 80 "$work/out/\$(basename "\$f" .$2).$3"
done
SCRIPT
  measure sh "$work/magick.sh"
}
row() { # name input-folder input-extension format output-extension
  rm -rf "$work/out"; mkdir -p "$work/out"
  set -- "$1" "$2" "$3" "$4" "$5" $(measure "$cli" --jobs 1 --format "$4" --output-folder "$work/out" "$2")
  t_s=$6; t_cpu=$7
  rm -rf "$work/out"; mkdir -p "$work/out"
  set -- "$1" "$2" "$3" "$4" "$5" $(magick_run "$2" "$3" "$5")
  awk -v name="$1" -v n="$count" -v t="$t_s" -v tc="$t_cpu" -v m="$6" -v mc="$7" 'BEGIN {
    printf "%-14s tessoly-cli %.2f s per image (processor %.2f s)   ImageMagick %.2f s (processor %.2f s)   %.2f x\n",
      name, t / n, tc / n, m / n, mc / n, m / t }'
}

echo "images: $count of $width x $height"
row "HEIC -> JPEG" "$src/heic" heic JPEG jpg
row "JPEG -> AVIF" "$src/jpeg" jpg AVIF avif
row "JPEG -> WebP" "$src/jpeg" jpg WebP webp
"$work/JpegSizes" "$(ls "$src"/jpeg/*.jpg | head -n 1)"
