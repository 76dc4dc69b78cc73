# Sourced by the other scripts: Debian packages the project needs, installed on demand.

# Building the demo.
BUILD_PACKAGES="cmake g++ make pkg-config libsdl1.2-compat-dev libgl-dev libglu1-mesa-dev"
# Running it without a display of one's own: a virtual X server with software OpenGL.
HEADLESS_PACKAGES="xvfb libgl1-mesa-dri xdotool imagemagick"
# Testing it: unit tests, end-to-end helpers, GL call recording.
TEST_PACKAGES="libgtest-dev libbenchmark-dev libx11-dev python3 apitrace time valgrind man-db groff-base
  x11-utils"

# Building and checking the Debian package, and running it under a window manager
# and a Wayland compositor.
PACKAGING_PACKAGES="debhelper dpkg-dev lintian desktop-file-utils appstream openbox weston x11-utils"

# Building the page for the browser and testing it in one.
WEB_PACKAGES="emscripten nodejs cmake make googletest chromium chromium-driver python3-selenium"

# Building for 64-bit Windows (SDL 1.2 from Debian's source package among it), packaging
# it as a zip and an installer, and running it under Wine.
WINDOWS_PACKAGES="cmake make dpkg-dev g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
  binutils-mingw-w64-x86-64 googletest icoutils nsis wine wine64"

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
