#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, run and test VantrelLab.
# Idempotent: asks apt only for what is missing, so a second run costs a dpkg query.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools qt6-declarative-dev qt6-declarative-dev-tools
  qt6-charts-dev qt6-serialport-dev qt6-svg-dev qt6-qpa-plugins libgl-dev
  qml6-module-qtqml qml6-module-qtqml-workerscript qml6-module-qtquick
  qml6-module-qtquick-controls qml6-module-qtquick-templates qml6-module-qtquick-layouts
  qml6-module-qtquick-window qml6-module-qtquick-dialogs qml6-module-qtcharts
  qml6-module-qtquick-shapes qml6-module-qttest qml6-module-qt-labs-folderlistmodel
  xvfb xauth fonts-dejavu-core openbox xdotool imagemagick x11-utils wmctrl
  clang-14 libclang-rt-14-dev zlib1g-dev
  iproute2 util-linux python3 clang-format
)

missing=()
for p in "${packages[@]}"; do
  if [[ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" != *"install ok installed"* ]]; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
