#!/usr/bin/env bash
# Installs the Debian packages the program, its tests and CI need.
# Idempotent: does nothing when every package is already present.
set -euo pipefail

packages=(
  build-essential cmake pkg-config lld
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libqt6sql6-psql
  qt6-translations-l10n fonts-wqy-microhei
  # The statistics window's charts; Debian's Qt Charts CMake files need Qt OpenGL's, which
  # qt6-charts-dev does not pull in.
  qt6-charts-dev libqt6opengl6-dev
  libsqlite3-dev sqlite3
  postgresql postgresql-client
  libfreexl-dev libxlsxwriter-dev zlib1g-dev
  libzint-dev zbar-tools
  clang-format
  unicode-data bzip2
  xvfb xauth poppler-utils
  libreoffice-calc-nogui
  # Desktop fit and the Debian package: the icon theme the command icons are copied from, the SVG
  # plug-in that draws them, Chinese input through fcitx5, the checks of the desktop entry and the
  # AppStream data, dpkg-shlibdeps for the package's dependencies.
  breeze-icon-theme libqt6svg6 fcitx5-frontend-qt6 desktop-file-utils appstream dpkg-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
