# SPDX-FileCopyrightText: The Marquetrix developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Shared by scripts/run and scripts/test: install what is missing, then build.
# Sourced, not run.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# What building and running the editor needs.
RUN_PACKAGES=(
  build-essential cmake ninja-build pkg-config python3
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-qpa-plugins
  qt6-translations-l10n fonts-ipafont-mincho xdg-utils
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs the named Debian packages that are not installed yet.
ensure_packages() {
  local missing=()
  local pkg
  for pkg in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$pkg")
    fi
  done
  if [ "${#missing[@]}" -eq 0 ]; then
    return 0
  fi
  echo "Installing: ${missing[*]}"
  as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Configures (once) and builds one of the presets of CMakePresets.json; dir is
# the preset's build directory.
build_preset() {
  local preset=$1 dir=$2
  if [ ! -f "$ROOT/$dir/CMakeCache.txt" ]; then
    (cd "$ROOT" && cmake --preset "$preset")
  fi
  (cd "$ROOT" && cmake --build --preset "$preset" --parallel "$(nproc)")
}
