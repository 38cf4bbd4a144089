# gps.exe on a PC: the PC's own registry (here wine's), exit codes and the
# "Error: <text>" lines the Linux build prints. ActivateDevice and
# DeactivateDevice have no desktop counterpart, so "on" and an "off" that
# finds its key both end silently with 0.

# expect_gps STATUS STDERR ARGS...: runs gps.exe (of $gps_build, with
# $gps_wine) and compares both exactly.
expect_gps() {
  local want_status=$1 want_err=$2 status=0
  shift 2
  "$gps_wine" "$gps_build/gps.exe" "$@" 2>"$work/gps.err" >"$work/gps.out" || status=$?
  if [ "$status" != "$want_status" ] || [ "$(cat "$work/gps.err")" != "$want_err" ] ||
    [ -s "$work/gps.out" ]; then
    echo "gps.exe ($gps_build) $*: status $status, standard error:" >&2
    cat "$work/gps.err" >&2
    echo "expected status $want_status and: $want_err" >&2
    exit 1
  fi
  echo "gps.exe ($(basename "$gps_build")) $*: $status ${want_err:+($want_err)}"
}

"$wine" reg add 'HKLM\Drivers\Active\12' /v Hnd /t REG_DWORD /d 0x1234 /f >/dev/null
"$wine" reg add 'HKLM\Drivers\Active\12' /v Name /t REG_SZ /d 'GPS1:' /f >/dev/null
"$wine" reg add 'HKLM\Drivers\BuiltIn\GPS' /v Prefix /t REG_SZ /d GPS /f >/dev/null

# Both word sizes give the same answers.
gps_runs=("$wine:$win64")
if [ "$run32" = 1 ]; then gps_runs+=("$wine32:$win32"); fi
for gps_run in "${gps_runs[@]}"; do
  gps_wine=${gps_run%%:*} gps_build=${gps_run#*:}
  expect_gps 1 "Error: Parametros incorrectos"
  expect_gps 1 "Error: Parametros incorrectos" on
  expect_gps 0 "" on GPS
  expect_gps 0 "" ON GPS
  expect_gps 0 "" off 12
  expect_gps 1 "Error: No existe ese dispositivo" off 13
  expect_gps 1 "Error: No existe ese dispositivo" off " 12"
  expect_gps 1 "gps: --unit names a virtual unit; on a PC gps works on this PC's registry
usage: gps on|off NAME" off 12 --unit units/default
  # The byte of the line the Linux build prints: "\n", not "\r\n".
  "$gps_wine" "$gps_build/gps.exe" off 13 2>"$work/gps.err" || true
  cmp -s "$work/gps.err" <(printf 'Error: No existe ese dispositivo\n') ||
    { echo "gps.exe: standard error is not byte for byte the Linux line" >&2; exit 1; }
done
