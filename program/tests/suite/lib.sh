# What the end-to-end checks of a suite's runs share; sourced with $work set
# (a scratch folder, removed by the caller), which also becomes the runs'
# TMPDIR so that what they leave behind is seen.
export TMPDIR=$work/tmp
mkdir -p "$TMPDIR"
fail() { echo "FAILED: $*" >&2; exit 1; }

# The processes a process started, one a line.
children() { cat /proc/"$1"/task/*/children 2>/dev/null | tr ' ' '\n' | grep . || true; }
alive() { kill -0 "$1" 2>/dev/null; }

# Waits up to 20 s for a shell condition.
wait_for() {
  local i
  for i in $(seq 400); do
    eval "$1" && return 0
    sleep 0.05
  done
  fail "waited in vain for: $1"
}

# A worker of the run, by the script of the list it has open (its output).
worker_of() {  # MAIN INDEX
  local pid
  for pid in $(children "$1"); do
    if ls -l /proc/"$pid"/fd 2>/dev/null | grep -q "/$2\.output\$"; then
      echo "$pid"
      return 0
    fi
  done
  return 1
}

# Nothing left in the temporary folder: no copy of the unit, no workers'
# folder, no tour.
clean_tmp() {
  local left
  left=$(ls -A "$TMPDIR")
  [ -z "$left" ] || fail "$1 left in TMPDIR: $left"
}

pass='expect caption "Kestrin"'
fails='tab 2
expect text 1051 "0"'
