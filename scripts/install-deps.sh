#!/usr/bin/env bash
# Installs what building and testing Clangster needs on Debian 12, and only
# what is missing: a run on a prepared machine costs one dpkg-query call.
set -euo pipefail

# Package (with architecture where it matters) and why it is needed.
PACKAGES=(
  make cmake ninja-build g++      # host build: tools, unit tests, e2e harness
  g++-mingw-w64-i686-posix        # the 32-bit Windows build
  libgtest-dev                    # GoogleTest; its sources in /usr/src/googletest are built for Windows too
  wine wine32:i386                # runs the Windows program and tests
  xvfb x11-utils                  # headless X display; xdpyinfo probes a display
  xdotool                         # e2e tests find windows and send input
  pulseaudio pulseaudio-utils     # sound server with the null sink; parec/paplay/pactl
  sox libsox-fmt-base             # e2e tests generate test sounds; Ogg Vorbis and FLAC writers for sox
  lame                            # e2e tests and the bench encode MP3s
  gstreamer1.0-plugins-base:i386  # Wine's Media Foundation decoders: Ogg Vorbis, and the pipeline itself
  gstreamer1.0-plugins-good:i386  # ... MP3 and FLAC
  gstreamer1.0-libav:i386         # ... AAC
  stress-ng                       # the bench plays a streamed sound with both cores busy
  imagemagick                     # asset checks read the generated bitmaps and icon
  clang libclang-rt-dev           # fuzz targets: clang with libFuzzer and the sanitizer runtimes
  liblo-tools                     # e2e tests send and hear OSC with oscsend and oscdump
  python3-fusepy fuse3            # e2e tests and the bench read files through a folder that answers late
)
# Node.js (18 in Debian 12) and npm build and test the Companion module; a
# machine that has them from elsewhere keeps its own.
command -v node >/dev/null || PACKAGES+=(nodejs)
command -v npm >/dev/null || PACKAGES+=(npm)

missing=()
installed=$(dpkg-query -W -f='${Package}:${Architecture} ${db:Status-Status}\n' 2>/dev/null \
  | awk '$2 == "installed" { print $1 }')
for pkg in "${PACKAGES[@]}"; do
  if [[ "$pkg" == *:* ]]; then
    grep -qxF "$pkg" <<<"$installed" || missing+=("$pkg")
  else
    grep -qE "^${pkg//+/\\+}:(amd64|all|i386)\$" <<<"$installed" || missing+=("$pkg")
  fi
done

if [[ ${#missing[@]} -eq 0 ]]; then
  exit 0
fi

if [[ $(id -u) -ne 0 ]]; then
  echo "install-deps: missing packages: ${missing[*]}" >&2
  echo "install-deps: run as root: sudo $0" >&2
  exit 1
fi

echo "install-deps: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
need_update=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  need_update=1
fi
# Without package lists (a fresh image) there is nothing to install from.
if [[ -z "$(find /var/lib/apt/lists -maxdepth 1 -name '*_Packages*' -print -quit 2>/dev/null)" ]]; then
  need_update=1
fi
# A mirror caught in the middle of a sync answers with lists of the wrong
# size for a while; try again after a pause.
update() {
  local try
  for try in 1 2 3; do
    apt-get update -q && return 0
    echo "install-deps: package lists incomplete (try $try of 3)" >&2
    sleep $((try * 20))
  done
  return 1
}
if [[ $need_update -eq 1 ]]; then
  update
fi
if ! apt-get install -y -q "${missing[@]}"; then
  # Stale package lists are the usual cause; refresh once and retry.
  update
  apt-get install -y -q "${missing[@]}"
fi
