# Test environment for running the Windows build under Wine on a Linux box:
# an X display, a PulseAudio server with the null sink "clangster_sink" and a
# throwaway Wine prefix inside build/.
#
# Source this file, then call clangster_env_up and, when done,
# clangster_env_down (which stops only what clangster_env_up started).
# scripts/with-test-env.sh wraps a command in exactly that.
#
# CLANGSTER_ENV_MODE=test (default): Wine prefix build/wineprefix, the sink is
#   made the default sink so everything played ends up in its monitor.
# CLANGSTER_ENV_MODE=run: Wine prefix build/wineprefix-run, and an already
#   running sound server is left as it is, so the board is heard normally.

CLANGSTER_ROOT="${CLANGSTER_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
CLANGSTER_SINK=clangster_sink

_cenv_log() { echo "test-env: $*" >&2; }

# --- X display --------------------------------------------------------------

_cenv_display_ok() {
  [[ -n "${1:-}" ]] && timeout 5 xdpyinfo -display "$1" >/dev/null 2>&1
}

_cenv_start_xvfb() {
  local n
  for n in $(seq 97 140); do
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset \
      >"$CLANGSTER_ROOT/build/xvfb-$n.log" 2>&1 9>&- &
    _CENV_XVFB_PID=$!
    local i
    for i in $(seq 1 100); do
      if _cenv_display_ok ":$n"; then
        export DISPLAY=":$n"
        _cenv_log "started Xvfb on :$n (pid $_CENV_XVFB_PID)"
        return 0
      fi
      kill -0 "$_CENV_XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
    # Lost a race for this display number, or Xvfb failed: try the next one.
    kill "$_CENV_XVFB_PID" 2>/dev/null || true
    wait "$_CENV_XVFB_PID" 2>/dev/null || true
    _CENV_XVFB_PID=
  done
  _cenv_log "could not start Xvfb (see build/xvfb-*.log)"
  return 1
}

# --- PulseAudio -------------------------------------------------------------

_cenv_pulse_ok() { timeout 5 pactl info >/dev/null 2>&1; }

_cenv_start_pulse() {
  # A private server on its own socket; the path is kept short because unix
  # socket paths are limited to 108 bytes.
  local tag
  tag=$(printf '%s' "$CLANGSTER_ROOT" | cksum | cut -d' ' -f1)
  # Test and run environments each have their own: a run must never take
  # over, or stop, the server of a test run going on at the same time.
  export PULSE_RUNTIME_PATH="${TMPDIR:-/tmp}/clangster-pulse-$(id -u)-$tag-$CLANGSTER_ENV_MODE"
  mkdir -p "$PULSE_RUNTIME_PATH"
  chmod 700 "$PULSE_RUNTIME_PATH"
  if _cenv_pulse_ok; then
    if [[ "$CLANGSTER_ENV_MODE" == test ]]; then
      # Left behind by an interrupted test run (they take turns, see the
      # lock): adopt it, so it is stopped at the end of this one.
      _CENV_PULSE_STARTED=1
    fi
    # Otherwise another board may be playing through it: use it, leave it.
    _cenv_log "reusing PulseAudio at $PULSE_RUNTIME_PATH"
    return 0
  fi
  local log="$CLANGSTER_ROOT/build/pulseaudio-$CLANGSTER_ENV_MODE.log"
  if [[ -f "$log" ]]; then mv -f "$log" "$log.old"; fi
  # -n: no default.pa, so no hardware probing; only the modules we need.
  # As root PulseAudio warns that it is not meant for root, and runs anyway.
  if ! pulseaudio --daemonize=yes --system=false --exit-idle-time=-1 -n \
      --load=module-native-protocol-unix \
      --log-target=file:"$log" 2>/dev/null 9>&-; then
    _cenv_log "could not start PulseAudio (see $log)"
    return 1
  fi
  _CENV_PULSE_STARTED=1
  local i
  for i in $(seq 1 50); do
    _cenv_pulse_ok && { _cenv_log "started PulseAudio at $PULSE_RUNTIME_PATH"; return 0; }
    sleep 0.1
  done
  _cenv_log "PulseAudio does not answer"
  return 1
}

_cenv_setup_sink() {
  if ! pactl list short sinks | awk '{print $2}' | grep -qx "$CLANGSTER_SINK"; then
    _CENV_SINK_MODULE=$(pactl load-module module-null-sink sink_name="$CLANGSTER_SINK" \
      rate=44100 channels=2 sink_properties=device.description=Clangster)
  fi
  if [[ "$CLANGSTER_ENV_MODE" == test ]]; then
    _CENV_OLD_DEFAULT_SINK=$(pactl get-default-sink 2>/dev/null || true)
    pactl set-default-sink "$CLANGSTER_SINK"
    _cenv_keep_sink_running
  fi
}

# A null sink with no low-latency stream works in large blocks and can hold
# back its monitor for up to two seconds, and it sends nothing to the
# monitor while idle; captures then lose their start and their time line.
# A silent stream with a short latency keeps it rendering in real time.
_cenv_keep_sink_running() {
  pacat --playback --device="$CLANGSTER_SINK" --latency-msec=10 --raw \
    --format=s16le --rate=44100 --channels=2 --client-name=clangster-keepalive \
    /dev/zero >/dev/null 2>&1 9>&- &
  _CENV_KEEPER_PID=$!
  # Wait until the monitor delivers: the first block can take two seconds.
  local i
  for i in $(seq 1 50); do
    if [[ $(timeout 1 parec --device="$CLANGSTER_SINK.monitor" --latency-msec=10 --raw \
            2>/dev/null | head -c 1764 | wc -c) -ge 1764 ]]; then
      return 0
    fi
  done
  _cenv_log "the sink's monitor delivers no data"
  return 1
}

# --- Wine -------------------------------------------------------------------

_cenv_setup_wine() {
  local prefix=wineprefix
  [[ "$CLANGSTER_ENV_MODE" == run ]] && prefix=wineprefix-run
  export WINEPREFIX="$CLANGSTER_ROOT/build/$prefix"
  export WINEARCH=win32
  export WINEDEBUG="${WINEDEBUG:--all}"
  # No Mono or Gecko installer dialogs. Tests play through PulseAudio only
  # (the ALSA driver, probed otherwise, fills every log with complaints).
  if [[ "$CLANGSTER_ENV_MODE" == test ]]; then
    export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winealsa.drv=d}"
  else
    export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
  fi
  if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    _cenv_log "creating Wine prefix $WINEPREFIX"
    mkdir -p "$(dirname "$WINEPREFIX")"
    wineboot -i >/dev/null 2>&1 9>&- || true
    wineserver -w
    if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
      _cenv_log "wineboot did not create $WINEPREFIX"
      return 1
    fi
  fi
  if [[ "$CLANGSTER_ENV_MODE" == test ]]; then
    # A server that stays up between test programs keeps Wine's own
    # services running, so each program starts in a fraction of the time.
    # They are started here, with no output: processes that outlive a test
    # program must not hold on to its output pipe (ctest waits for it).
    wineserver -p 9>&-
    wine cmd /c exit 0 </dev/null >/dev/null 2>&1 9>&- || true
    # Every test run starts without the board's stored settings.
    wine reg delete 'HKCU\Software\Marrowick\Clangster' /f </dev/null >/dev/null 2>&1 9>&- || true
  fi
}

# --- up / down --------------------------------------------------------------

clangster_env_up() {
  CLANGSTER_ENV_MODE="${CLANGSTER_ENV_MODE:-test}"
  _CENV_XVFB_PID= _CENV_PULSE_STARTED= _CENV_SINK_MODULE= _CENV_OLD_DEFAULT_SINK=
  _CENV_KEEPER_PID=
  mkdir -p "$CLANGSTER_ROOT/build"
  if [[ "$CLANGSTER_ENV_MODE" == test ]]; then
    # One test environment at a time: they would share the sink, the Wine
    # prefix and the private sound server. Held on fd 9 until
    # clangster_env_down; the daemons started below do not inherit it.
    exec 9>"$CLANGSTER_ROOT/build/test-env.lock"
    if ! flock -n 9; then
      _cenv_log "waiting for another test run to finish"
      flock 9
    fi
  fi
  if ! _cenv_display_ok "${DISPLAY:-}"; then
    _cenv_start_xvfb || return 1
  fi
  if [[ "$CLANGSTER_ENV_MODE" == run ]] && ! _cenv_pulse_ok &&
     grep -qs '^ *[0-9]' /proc/asound/cards; then
    # A machine with a sound card but no sound server: Wine plays through
    # ALSA directly.
    _cenv_setup_wine || return 1
    export CLANGSTER_TEST_ENV=1 CLANGSTER_ENV_MODE CLANGSTER_SINK
    return 0
  fi
  if ! _cenv_pulse_ok; then
    _cenv_start_pulse || return 1
  fi
  _cenv_setup_sink || return 1
  _cenv_setup_wine || return 1
  export CLANGSTER_TEST_ENV=1 CLANGSTER_ENV_MODE CLANGSTER_SINK
}

clangster_env_down() {
  # Wine processes of this prefix hold the display and the sound server, so
  # they go first. The test prefix belongs to the test run alone (see the
  # lock in with-test-env.sh); the run prefix is stopped only when its
  # display is about to go away.
  if [[ -n "${WINEPREFIX:-}" && ( "$CLANGSTER_ENV_MODE" == test || -n "$_CENV_XVFB_PID" ) ]]; then
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
  fi
  if [[ -n "${_CENV_KEEPER_PID:-}" ]]; then
    kill "$_CENV_KEEPER_PID" 2>/dev/null || true
    wait "$_CENV_KEEPER_PID" 2>/dev/null || true
    _CENV_KEEPER_PID=
  fi
  if [[ -n "${_CENV_OLD_DEFAULT_SINK:-}" && "$_CENV_OLD_DEFAULT_SINK" != "$CLANGSTER_SINK" ]]; then
    pactl set-default-sink "$_CENV_OLD_DEFAULT_SINK" >/dev/null 2>&1 || true
  fi
  if [[ -n "${_CENV_SINK_MODULE:-}" && -z "${_CENV_PULSE_STARTED:-}" ]]; then
    pactl unload-module "$_CENV_SINK_MODULE" >/dev/null 2>&1 || true
  fi
  if [[ -n "${_CENV_PULSE_STARTED:-}" ]]; then
    local pid
    pid=$(cat "$PULSE_RUNTIME_PATH/pid" 2>/dev/null || true)
    if [[ -n "$pid" ]]; then
      kill "$pid" 2>/dev/null || true
      local i
      for i in $(seq 1 30); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    fi
    _CENV_PULSE_STARTED=
  fi
  if [[ -n "${_CENV_XVFB_PID:-}" ]]; then
    kill "$_CENV_XVFB_PID" 2>/dev/null || true
    wait "$_CENV_XVFB_PID" 2>/dev/null || true
    _CENV_XVFB_PID=
  fi
  if [[ "${CLANGSTER_ENV_MODE:-}" == test ]]; then
    exec 9>&-
  fi
}
