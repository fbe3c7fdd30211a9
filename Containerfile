# tessoly-cli in a container: built on Debian 12 from this source tree, run as the entry point.
#   podman build -t tessoly-cli -f Containerfile .      (or: docker build -t tessoly-cli .)
#   podman run --rm -v "$PWD/in:/in:ro" -v "$PWD/out:/out" tessoly-cli -r -o /out /in

FROM debian:12 AS build
RUN apt-get update \
 && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends \
      build-essential cmake ninja-build pkg-config \
      qt6-base-dev qt6-svg-dev libgl-dev \
      libfreeimage-dev libfreetype-dev libfontconfig-dev libcurl4-openssl-dev libemf2svg-dev \
 && rm -rf /var/lib/apt/lists/*
WORKDIR /src
COPY CMakeLists.txt CMakePresets.json ./
COPY src src
COPY packaging packaging
COPY fuzz fuzz
RUN cmake -S . -B /build -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DTESSOLY_BUILD_GUI=OFF -DTESSOLY_BUILD_TESTS=OFF -DTESSOLY_BUILD_BENCHMARKS=OFF \
 && cmake --build /build --target tessoly-cli \
 && cmake --install /build --prefix /opt/tessoly --strip

FROM debian:12
# The libraries tessoly-cli links, and the fonts its default caption is drawn in.
RUN apt-get update \
 && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends \
      libqt6core6 libqt6gui6 libqt6svg6 libfreeimage3 libfreetype6 libfontconfig1 libemf2svg1 \
      fontconfig fonts-liberation fonts-dejavu-core \
 && rm -rf /var/lib/apt/lists/* \
 && fc-cache -f
COPY --from=build /opt/tessoly/bin/tessoly-cli /usr/local/bin/tessoly-cli
COPY --from=build /opt/tessoly/share/man/man1/tessoly-cli.1 /usr/local/share/man/man1/tessoly-cli.1
RUN useradd --system --no-create-home --home-dir /nonexistent tessoly
USER tessoly
# The font cache is made above; a user without a home keeps any addition of its own in /tmp.
ENV XDG_CACHE_HOME=/tmp
WORKDIR /work
ENTRYPOINT ["tessoly-cli"]
CMD ["--help"]
