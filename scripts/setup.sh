# Sourced by the other scripts: makes sure the build tools and libraries are
# there, installing the missing Debian packages when run as root.
needed_packages="g++ cmake make libgtest-dev libnss-wrapper"

missing_packages() {
  local missing=""
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
  done
  echo "$missing"
}

# ensure_packages [PACKAGE ...]: the given packages, or the build's own.
ensure_packages() {
  local missing
  if [ $# -eq 0 ]; then set -- $needed_packages; fi
  missing=$(missing_packages "$@")
  [ -z "$missing" ] && return 0
  if [ "$(id -u)" = 0 ]; then
    echo "Installing:$missing"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq && apt-get install -y -qq $missing >/dev/null || {
      echo "Could not install:$missing" >&2
      return 1
    }
  else
    echo "Please install these Debian packages first:$missing" >&2
    echo "  sudo apt-get install$missing" >&2
    return 1
  fi
}

# Shows the compiler's warnings of a build log, each with its context.
show_warnings() {
  grep -A4 -E "warning:" "$1" || true
}

# Builds everything into build/ (or $BUILD_DIR), every warning an error;
# shows the compiler's output when the build fails, its warnings otherwise.
build_all() {
  local dir=${BUILD_DIR:-build}
  mkdir -p "$dir"
  echo "Building in $dir ..."
  if ! { cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSCALELINK_WERROR=ON "$@" &&
    cmake --build "$dir" -j"$(nproc)"; } >"$dir/build.log" 2>&1; then
    cat "$dir/build.log"
    echo "The build failed." >&2
    return 1
  fi
  show_warnings "$dir/build.log"
}
