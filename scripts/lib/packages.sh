# Sourced by the other scripts: Debian packages the project needs, installed on demand.

# Building the demo.
BUILD_PACKAGES="cmake g++ make pkg-config libsdl1.2-compat-dev libgl-dev libglu1-mesa-dev libx11-dev"
# Running it without a display of one's own: a virtual X server with software OpenGL.
HEADLESS_PACKAGES="xvfb libgl1-mesa-dri xdotool imagemagick"
# Testing it: unit tests, end-to-end helpers, GL call recording.
TEST_PACKAGES="libgtest-dev libbenchmark-dev libx11-dev python3 apitrace time valgrind man-db groff-base
  x11-utils"

# Building and checking the Debian package, and running it under a window manager, a
# Wayland compositor and as xscreensaver's hack.
PACKAGING_PACKAGES="debhelper dpkg-dev lintian desktop-file-utils appstream openbox weston x11-utils
  xscreensaver procps"

# Cross-building the Debian package for another architecture: Debian's cross compilers.
CROSS_PACKAGING_PACKAGES="crossbuild-essential-arm64"
# Running the other architecture's package here.
FOREIGN_RUN_PACKAGES="qemu-user"

# Building the page for the browser and testing it in the three engines its visitors use:
# Chromium, Firefox (driven through its own protocol) and WebKitGTK with its driver.
WEB_PACKAGES="emscripten nodejs cmake make googletest chromium chromium-driver python3-selenium
  firefox-esr webkit2gtk-driver libwebkit2gtk-4.1-0"

# Building for 64-bit Windows (SDL 1.2 from Debian's source package among it), packaging
# it as a zip and an installer, and running it under Wine.
WINDOWS_PACKAGES="cmake make dpkg-dev g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
  binutils-mingw-w64-x86-64 googletest icoutils nsis wine wine64"

# SDL 1.2 for Windows is built from this Debian source package, at this version alone, so
# that every rebuild of a release starts from the same source (apt checks its checksums).
WINDOWS_SDL_SOURCE="libsdl1.2=1.2.15+dfsg2-8"

# Installs whichever of the named packages are missing (as root), or says how to.
ensure_packages() {
  local missing=()
  local package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages. Install them with:" >&2
    echo "  sudo apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
  echo "Installing ${missing[*]} ..." >&2
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q >&2
  apt-get install -y -q --no-install-recommends "${missing[@]}" >&2
}

# Installs the Debian package's build dependencies for another architecture (as root),
# adding that architecture to dpkg first: the cross compilers and that architecture's
# libraries beside the machine's own.
ensure_foreign_build_dependencies() {
  local arch=$1
  # shellcheck disable=SC2086
  ensure_packages $CROSS_PACKAGING_PACKAGES
  local missing
  # What apt would install (dpkg-checkbuilddeps takes the machine's own compatibility layer
  # for the other architecture's); a failure means the architecture or its lists are missing.
  if ! missing=$(apt-get build-dep -s -a "$arch" ./ 2>&1) || grep -q '^Inst' <<<"$missing" ||
    ! dpkg --print-foreign-architectures | grep -qx "$arch"; then
    if [ "$(id -u)" -ne 0 ]; then
      echo "Missing $arch build dependencies. Install them with:" >&2
      echo "  sudo dpkg --add-architecture $arch && sudo apt-get update &&" \
        "sudo apt-get build-dep -a $arch ./" >&2
      exit 1
    fi
    echo "Installing the $arch build dependencies ..." >&2
    dpkg --add-architecture "$arch"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q >&2
    apt-get build-dep -y -q --no-install-recommends -a "$arch" ./ >&2
  fi
}
