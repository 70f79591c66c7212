# Sourced by scripts/test and scripts/demo: a virtual X display and a private
# Wine prefix with a persistent wineserver, both stopped by pid on exit.
# Callers set $build before sourcing.

xvfb_pid=""
wineserver_pid=""

# Runs from an EXIT trap, possibly under "set -e": no step may stop the rest.
stop_wine_env() {
  if [[ -n "$wineserver_pid" ]]; then
    wineserver -k >/dev/null 2>&1 || true
    kill "$wineserver_pid" 2>/dev/null || true
    wait "$wineserver_pid" 2>/dev/null || true
    wineserver_pid=""
  fi
  if [[ -n "$xvfb_pid" ]]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""
  fi
}

start_display() {
  local n=90
  while [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$build/xvfb.log" 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$n"
  for _ in $(seq 100); do [[ -e /tmp/.X11-unix/X$n ]] && return 0; sleep 0.05; done
  echo "Xvfb did not start"
  return 1
}

# Drive C shared as this machine's administrative share, so that tests can
# reach it as \\localhost\C$. Wine has no server service (NetShareEnum
# answers ERROR_NOT_SUPPORTED, LanmanServer\Shares does not exist); it opens
# \\server\share\path through the prefix's dosdevices/unc/server/share link.
share_drive_c() {
  mkdir -p "$WINEPREFIX/dosdevices/unc/localhost"
  ln -sfn ../../c: "$WINEPREFIX/dosdevices/unc/localhost/c\$"
}

start_wine() {  # prefix directory
  # winemenubuilder would turn every shortcut an installer makes into menu
  # entries and .desktop files outside the prefix: keep everything inside it.
  export WINEPREFIX="$1" WINEDEBUG=-all LC_ALL=C \
    WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
  if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    echo "creating the Wine prefix $WINEPREFIX"
    wineboot -i </dev/null >/dev/null 2>&1
    # A virtual desktop stands in for the window manager Xvfb lacks: without
    # it every hidden window costs Wine a two-second wait.
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
    # The desktop process read its settings before they were written: stop
    # everything so that the next start takes the virtual desktop.
    wineserver -k >/dev/null 2>&1
    wineserver -w >/dev/null 2>&1
  fi
  share_drive_c
  wineserver -p -f >/dev/null 2>&1 &
  wineserver_pid=$!
  # Start Wine's background processes now, so that they do not inherit the
  # output pipe of the first program started after this.
  wine cmd /c exit </dev/null >/dev/null 2>&1
}

# The Windows form of a path on this machine (Wine maps drive Z: to /).
windows_path() {
  local p=${1//\//\\}
  echo "Z:$p"
}
