# Debian packages Leafmark needs to build, test and run; sourced by scripts/run and scripts/test.
LEAFMARK_PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6svg6
  libtiff-dev libleptonica-dev libzxing-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-dejavu-core libtiff-tools poppler-utils
  xvfb xauth x11-apps
  file desktop-file-utils appstream man-db
)

leafmark_install_missing() {
  local missing=()
  for p in "${LEAFMARK_PACKAGES[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
  fi
}
