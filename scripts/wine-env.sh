# Sourced by the test and run scripts: a throwaway Wine environment on its
# own X display, in a given locale (Russian unless told) and with a virtual
# desktop that has a notification area. wine_env_stop leaves no process
# behind.

# 32-bit Wine needs a kernel that runs 32-bit code; some virtual machines'
# kernels do not. There the tests run the 64-bit build of the same sources
# under 64-bit Wine (WINE_ENV_NO32=1 takes that road on any host).
# WINE_ENV_WOW64=1 asks for a 64-bit prefix where 32-bit code runs: with
# wine32 installed, 32-bit programs then run in it under WOW64, as on 64-bit
# Windows.
wine_env_detect() {
  if [ "${WINE_ENV_WOW64:-}" != 1 ] && [ "${WINE_ENV_NO32:-}" != 1 ] &&
     /lib/i386-linux-gnu/ld-linux.so.2 --version >/dev/null 2>&1; then
    WINE_ENV_BITS=32 WINE=wine WINESERVER=wineserver WINEARCH=win32
  else
    WINE_ENV_BITS=64 WINE=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
    WINEARCH=win64
  fi
  export WINE WINESERVER WINEARCH WINE_ENV_BITS
}

# wine_env_start <folder> [locale]: a new prefix in <folder>/prefix. The
# locale sets Windows' ANSI code page: ru_RU.UTF-8 (the default) gives 1251,
# en_US.UTF-8 1252, ja_JP.UTF-8 932. It must be generated (install-deps.sh).
# WINE_ENV_SCREEN (WIDTHxHEIGHT, 1024x768 unless set) is the X screen's size:
# the virtual desktop starts at 1024x768 and can be resized up to it.
wine_env_start() {
  local root=$1 locale=${2:-ru_RU.UTF-8}
  wine_env_detect
  export WINEDEBUG=-all LC_ALL=$locale LANG=$locale
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEPREFIX="$root/prefix"
  rm -rf "$WINEPREFIX"
  mkdir -p "$root"
  wine_env_xvfb "$root" || return 1
  # WINE_ENV_TEMPLATE: a prefix that wine_env_start made before, copied
  # instead of booting a new one (booting one takes minutes under emulation).
  if [ -n "${WINE_ENV_TEMPLATE:-}" ]; then
    cp -a "$WINE_ENV_TEMPLATE" "$WINEPREFIX"
  fi
  "$WINE" wineboot -i >"$root/wineboot.log" 2>&1
  # Every program of this prefix opens in the one virtual desktop "shell",
  # whose taskbar holds the notification area.
  "$WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f >/dev/null 2>&1
  "$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d 1024x768 /f >/dev/null 2>&1
  # Windows' fonts are not here: metric-compatible ones stand in, so that
  # texts take the room they take on Windows.
  local face
  for face in "Times New Roman=Liberation Serif" "Arial=Liberation Sans" \
              "Arial Black=Liberation Sans"; do
    "$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "${face%%=*}" \
      /d "${face#*=}" /f >/dev/null 2>&1
  done
  "$WINE" explorer /desktop=shell,1024x768 >"$root/explorer.log" 2>&1 &
  sleep 2
}

# wine_env_xvfb <folder>: an X server of this environment's own, as DISPLAY.
# Xvfb picks a free display number itself (-displayfd; WINE_ENV_DISPLAY asks
# for one) and writes it once it accepts connections, so runs that start
# together never share a display: a server that finds its number taken
# takes the next one, where one chosen from lock files outside it could end
# at once and leave its programs drawing on another run's server. One that
# ends before it is ready is started again.
wine_env_xvfb() {
  local root=$1 try number
  for try in 1 2 3; do
    rm -f "$root/display"
    Xvfb ${WINE_ENV_DISPLAY:+":$WINE_ENV_DISPLAY"} -displayfd 3 \
      -screen 0 "${WINE_ENV_SCREEN:-1024x768}x24" -nolisten tcp \
      3>"$root/display" >"$root/xvfb.log" 2>&1 &
    WINE_ENV_XVFB=$!
    number=
    for _ in $(seq 300); do
      # read succeeds only on the whole line, newline included.
      IFS= read -r number 2>/dev/null <"$root/display" && [ -n "$number" ] && break
      number=
      kill -0 "$WINE_ENV_XVFB" 2>/dev/null || break
      sleep 0.1
    done
    if [ -n "$number" ] && kill -0 "$WINE_ENV_XVFB" 2>/dev/null; then
      export DISPLAY=":$number"
      return 0
    fi
    kill "$WINE_ENV_XVFB" 2>/dev/null
    wait "$WINE_ENV_XVFB" 2>/dev/null
    WINE_ENV_XVFB=
  done
  echo "wine_env_start: Xvfb gave no display; see $root/xvfb.log" >&2
  return 1
}

wine_env_stop() {
  if [ -n "${WINEPREFIX:-}" ] && [ -n "${WINESERVER:-}" ]; then
    "$WINESERVER" -k >/dev/null 2>&1 || true
    "$WINESERVER" -w >/dev/null 2>&1 || true
  fi
  if [ -n "${WINE_ENV_XVFB:-}" ]; then
    kill "$WINE_ENV_XVFB" 2>/dev/null || true
    wait "$WINE_ENV_XVFB" 2>/dev/null || true
  fi
  WINE_ENV_XVFB=
}

# A Windows path for a Linux one (Wine maps / to Z:).
winpath() {
  printf 'Z:%s' "$(realpath -m "$1" | sed 's#/#\\#g')"
}
