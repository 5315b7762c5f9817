# setup.sh -- shared by run.sh and test.sh: install what is missing, then configure and build.
# Sourced, not run; expects BUILD_DIR and optionally EXTRA_PACKAGES to be set by the caller.

# Debian packages the build, the show and the tests need.
PACKAGES=(
  cmake g++ make pkg-config          # toolchain
  libsdl2-dev                        # window, keyboard, presentation
  libcairo2-dev libpango1.0-dev      # vector drawing, text layout
  fonts-urw-base35                   # the monospace face "Courier" maps to
  libcli11-dev                       # argument parsing of the capture tool
  libgtest-dev libbenchmark-dev      # tests and benchmarks
  xvfb xdotool x11-utils libxfixes-dev # end-to-end window tests in a real X server
  openbox                            # a window manager to grant fullscreen and maximise
  ffmpeg                             # reading and encoding captured video
  python3                            # test drivers that run the tools from outside
  libfaketime                        # moving the wall clock under a running show
)

die() { echo "error: $*" >&2; exit 1; }

as_root() {
  if [ "$(id -u)" = 0 ]; then "$@"
  elif command -v sudo >/dev/null 2>&1; then sudo "$@"
  else die "root or sudo is needed to install: ${missing[*]}"; fi
}

install_missing() {
  missing=()
  for p in "${PACKAGES[@]}" ${EXTRA_PACKAGES:-}; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} = 0 ] && return 0
  echo "installing: ${missing[*]}"
  as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq \
    || die "apt-get update failed; cannot install ${missing[*]}"
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" \
    || die "could not install: ${missing[*]}"
}

configure_and_build() {
  local dir=$1; shift
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null || die "cmake configure failed in $dir"
  cmake --build "$dir" -j "$(nproc)" || die "build failed in $dir"
}
