#!/usr/bin/env bash
# Starts the program under Xvfb on a fresh database, logs in as Admin and saves a screenshot of the
# main window:  scripts/screenshot.sh [OUT.png]   (default build/screenshots/main.png)
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-build/screenshots/main.png}
mkdir -p "$(dirname "$out")"

need=()
for p in xvfb xdotool imagemagick sqlite3; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  sudo_cmd=(); [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
[ -x build/bin/zu ] || make build

home=$(mktemp -d /tmp/zu-shot.XXXXXX)
trap 'kill ${app:-0} ${xvfb:-0} 2>/dev/null || true; rm -rf "$home"' EXIT
cp build/bin/zu build/bin/zu-conntool build/bin/zu-sheetreader "$home"/
cp build/bin/*.html "$home"/ 2>/dev/null || true
"$home/zu-conntool" init --home "$home" >/dev/null
sqlite3 "$home/Database/Service.db" < scripts/sample-data.sql
if [ -n "${ZU_SHOT_CENTRE:-}" ]; then
  sqlite3 "$home/Database/Service.db" < scripts/sample-reminders.sql
fi
printf '[login]\nUsername=0\n' > "$home/Config.ini"

display=:${ZU_DISPLAY:-77}
Xvfb "$display" -screen 0 1280x800x24 >/dev/null 2>&1 &
xvfb=$!
sleep 1
export DISPLAY=$display QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-/tmp/runtime-$(id -u)}
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
"$home/zu" --home "$home" >/dev/null 2>&1 &
app=$!

# The login dialog: Admin is preselected and has an empty password.
for _ in $(seq 1 50); do
  xdotool search --name '^登录$' >/dev/null 2>&1 && break
  sleep 0.2
done
sleep 0.5
if [ -n "${ZU_SHOT_LOGIN:-}" ]; then
  import -window root "${ZU_SHOT_LOGIN}"
fi
xdotool key --clearmodifiers Return
sleep 2.5
# A customer of the sample data is due: the reminder window opens by itself.
if [ -n "${ZU_SHOT_REMIND:-}" ]; then
  import -window root "${ZU_SHOT_REMIND}"
  echo "${ZU_SHOT_REMIND}"
fi
xdotool key --clearmodifiers Escape
sleep 1
import -window root "$out"
echo "$out"
if [ -n "${ZU_SHOT_CENTRE:-}" ]; then
  # 基础信息 → 提醒中心: the reminder centre on today's reminders, then on all of them.
  xdotool mousemove 111 8 click 1
  sleep 0.5
  xdotool key Down Down Down Down Down Down Return
  sleep 2.5
  import -window root "${ZU_SHOT_CENTRE}"
  echo "${ZU_SHOT_CENTRE}"
  if [ -n "${ZU_SHOT_CENTRE_ALL:-}" ]; then
    xdotool key --clearmodifiers alt+a 2>/dev/null || true
    sleep 1
    import -window root "${ZU_SHOT_CENTRE_ALL}"
    echo "${ZU_SHOT_CENTRE_ALL}"
  fi
  xdotool key --clearmodifiers Escape
  sleep 1
fi
if [ -n "${ZU_SHOT_EDITOR:-}" ]; then
  # The customer editor, opened on the first customer.
  xdotool mousemove 84 98 click 1
  sleep 1.5
  import -window root "${ZU_SHOT_EDITOR}"
  echo "${ZU_SHOT_EDITOR}"
  xdotool key --clearmodifiers Escape
  sleep 0.5
fi
if [ -n "${ZU_SHOT_CHOOSER:-}" ]; then
  # The column chooser from the customer list's menu (设置列显示).
  xdotool mousemove 600 300 click 3
  sleep 0.5
  xdotool key Down Down Down Down Down Return
  sleep 1.5
  import -window root "${ZU_SHOT_CHOOSER}"
  echo "${ZU_SHOT_CHOOSER}"
fi
if [ -n "${ZU_SHOT_PREVIEW:-}" ]; then
  # 报表中心 → 客户统计列表打印: the customer list report in the print preview.
  xdotool mousemove 173 8 click 1
  sleep 0.5
  xdotool key Down Down Down Return
  sleep 3
  import -window root "${ZU_SHOT_PREVIEW}"
  echo "${ZU_SHOT_PREVIEW}"
  xdotool key --clearmodifiers Escape
  sleep 1
fi
if [ -n "${ZU_SHOT_DESIGNER:-}" ]; then
  # 系统设置 → 报表设置 → 客户列表设置: the customer list template in the designer.
  xdotool mousemove 50 8 click 1
  sleep 0.8
  xdotool key Down Down Down
  sleep 0.3
  xdotool key Right
  sleep 0.5
  xdotool key Down Down Down Return
  sleep 2.5
  # Select the first object of the page header.
  if [ -n "${ZU_SHOT_DESIGNER_CLICK:-}" ]; then
    xdotool mousemove ${ZU_SHOT_DESIGNER_CLICK} click 1
    sleep 0.8
  fi
  # Drag a field from the list into a band: "x1 y1 x2 y2".
  if [ -n "${ZU_SHOT_DESIGNER_DRAG:-}" ]; then
    read -r x1 y1 x2 y2 <<<"${ZU_SHOT_DESIGNER_DRAG}"
    xdotool mousemove "$x1" "$y1" mousedown 1
    sleep 0.3
    xdotool mousemove $((x1 + 20)) $((y1 + 5))
    sleep 0.3
    xdotool mousemove "$x2" "$y2"
    sleep 0.3
    xdotool mousemove $((x2 + 2)) $((y2 + 1)) mouseup 1
    sleep 0.8
  fi
  import -window root "${ZU_SHOT_DESIGNER}"
  echo "${ZU_SHOT_DESIGNER}"
fi
if [ -n "${ZU_SHOT_QUICKFIND:-}" ]; then
  # Quick find (Ctrl+F) with a body code typed: the customers and the machine's history offered.
  xdotool key --clearmodifiers ctrl+f
  sleep 0.5
  xdotool type --delay 150 "SN2024"
  sleep 1.5
  import -window root "${ZU_SHOT_QUICKFIND}"
  echo "${ZU_SHOT_QUICKFIND}"
  if [ -n "${ZU_SHOT_HISTORY:-}" ]; then
    # Shift+Enter opens the history of the first machine offered.
    xdotool key --clearmodifiers shift+Return
    sleep 1.5
    import -window root "${ZU_SHOT_HISTORY}"
    echo "${ZU_SHOT_HISTORY}"
    xdotool key --clearmodifiers Escape
    sleep 0.5
  fi
fi
