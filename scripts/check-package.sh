#!/usr/bin/env bash
# Checks the Debian package as a dealer's IT person would use it: installs it with apt-get, checks
# the desktop entry and the AppStream data, starts the installed program without a screen on a
# fresh data folder, makes a backup with the installed connection tool, and removes the package.
# Run as root (or with sudo) after `make package`; the argument is the build folder.
set -euo pipefail
build=${1:-build}
cd "$build"
shopt -s nullglob
debs=(zu_*.deb)
if [ ${#debs[@]} -ne 1 ]; then
  echo "package: expected one zu_*.deb in $build, found ${#debs[@]}" >&2
  exit 1
fi
deb=${debs[0]}
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive

echo "package: built $deb, $(du -k "$deb" | cut -f1) KiB"
echo "package: $(dpkg-deb --field "$deb" Depends)"
echo "package: recommends $(dpkg-deb --field "$deb" Recommends)"

"${sudo_cmd[@]}" apt-get install -y -qq -o Dpkg::Use-Pty=0 "./$deb"
dpkg-query -W -f='package: installed ${Package} ${Version}\n' zu
for f in /usr/bin/zu /usr/bin/zu-conntool /usr/bin/zu-sheetreader /usr/share/zu/帮助文件.html \
  /usr/share/applications/cn.zu.Service.desktop /usr/share/metainfo/cn.zu.Service.metainfo.xml \
  /usr/share/icons/hicolor/scalable/apps/cn.zu.Service.svg /usr/share/icons/hicolor/48x48/apps/cn.zu.Service.png \
  /usr/share/doc/zu/copyright /etc/zu/zu.conf; do
  [ -e "$f" ] || { echo "package: $f is missing" >&2; exit 1; }
done
desktop-file-validate /usr/share/applications/cn.zu.Service.desktop
echo "package: desktop entry valid"
appstreamcli validate --no-net /usr/share/metainfo/cn.zu.Service.metainfo.xml

# A user who has never started the program.
fresh=$(mktemp -d)
trap 'rm -rf "$fresh"' EXIT
mkdir -m 700 "$fresh/runtime"
run_as_fresh_user() {
  env -u ZU_HOME HOME="$fresh" XDG_DATA_HOME="$fresh/data" XDG_CONFIG_HOME="$fresh/config" \
    XDG_RUNTIME_DIR="$fresh/runtime" QT_QPA_PLATFORM=offscreen "$@"
}
cd /
run_as_fresh_user timeout 120 zu --quit-after-start
data="$fresh/data/zu"
[ -s "$data/Database/Service.db" ] || { echo "package: no database in $data" >&2; exit 1; }
ls "$data/Backup/"Assets_auto*.db >/dev/null || { echo "package: no automatic backup in $data/Backup" >&2; exit 1; }
echo "package: the installed program started on a fresh data folder $data: $(cd "$data" && ls -d Database/Service.db Reports Backup/* | tr '\n' ' ')"
run_as_fresh_user timeout 120 zu-conntool backup
run_as_fresh_user timeout 120 zu-conntool check

"${sudo_cmd[@]}" apt-get purge -y -qq -o Dpkg::Use-Pty=0 zu
if dpkg-query -W -f='${Status}' zu 2>/dev/null | grep -q 'install ok installed' || [ -e /usr/bin/zu ]; then
  echo "package: zu is still installed" >&2
  exit 1
fi
echo "package: removed, /usr/bin/zu is gone"
