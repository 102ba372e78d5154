# Shared by scripts/run and scripts/test: installs the Debian packages the build needs (never the
# ffmpeg program package) and configures and builds one build folder.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

PACKAGES=(
  g++ clang libclang-rt-14-dev cmake make pkg-config binutils
  qt6-base-dev libgl-dev fonts-dejavu-core
  libgtest-dev libgmock-dev libbenchmark-dev
  libavcodec-dev libavformat-dev libavfilter-dev libavutil-dev
  libswscale-dev libswresample-dev libavdevice-dev libpostproc-dev
)

install_missing() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# build_tree FOLDER [cmake options...]
build_tree() {
  local dir="$1"
  shift
  cmake -S "$ROOT" -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j "$(nproc)"
}
