#!/usr/bin/env bash
# Installs the Debian 12 packages the panel, the simulator and the tests need,
# when any of them is missing. Sourced by the run and test commands.
orrinet_packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev qt6-qpa-plugins libgl-dev
  fonts-dejavu-core fonts-liberation2 xvfb xauth x11-utils
  libx11-dev libxcb1-dev libxcb-xkb-dev libxtst-dev
  clang libclang-rt-14-dev
)

orrinet_install_deps() {
  local missing=()
  local p
  for p in "${orrinet_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}
