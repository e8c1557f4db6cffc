# Installs the Debian packages that are missing. Sourced by ./run and ./check.
# Usage: ensure_packages <package>...
ensure_packages() {
  local missing=()
  local package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing missing packages: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# What building and testing the tool needs.
BUILD_PACKAGES=(cmake g++ make pkg-config qt6-base-dev libgl-dev libgtest-dev libbenchmark-dev
                fonts-ipafont-gothic libsndfile1-dev libfftw3-dev qt6-svg-dev brutefir sox
                nlohmann-json3-dev qt6-charts-dev libqt6opengl6-dev)

# What ./check --sanitize needs beyond that: clang and its libFuzzer runtime.
SANITIZE_PACKAGES=(clang libclang-rt-14-dev)
