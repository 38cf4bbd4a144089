#!/usr/bin/env bash
# An installed tree, moved away from where it was installed, runs on its own
# default unit and holds no path of the source or the build tree:
#   installed-programs.sh BUILD_DIR SOURCE_DIR [EMULATOR ...]
# EMULATOR: the command that runs a cross build's programs (qemu-arm).
set -euo pipefail
build=$(cd "$1" && pwd -P)
source=$(cd "$2" && pwd -P)
emulator=("${@:3}")
work=$(mktemp -d)
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Stripped, as the packages are: debugging information names the sources.
cmake --install "$build" --prefix "$work/installed" --strip >/dev/null
# Moved: nothing may depend on the prefix it was installed to either.
mv "$work/installed" "$work/moved"
prefix=$work/moved

for program in kestrin gps tuner-module; do
  binary=$prefix/bin/$program
  [ -x "$binary" ] || fail "$binary is not installed"
  for tree in "$source" "$build"; do
    if grep -qaF "$tree" "$binary"; then
      fail "$program holds the path $tree"
    fi
  done
done
for file in share/kestrin/units/default/unit.toml share/doc/kestrin/copyright \
            share/doc/kestrin/LICENSE share/man/man1/kestrin.1.gz share/man/man1/gps.1kestrin.gz \
            share/man/man1/tuner-module.1.gz; do
  [ -f "$prefix/$file" ] || fail "$file is not installed"
done

# The manual pages carry their date (the release's, from the changelog).
for page in kestrin.1 gps.1kestrin tuner-module.1; do
  th=$(gzip -dc "$prefix/share/man/man1/$page.gz" | grep -m1 '^\.TH ')
  [[ $th =~ \ \"[0-9]{4}-[0-9]{2}-[0-9]{2}\"\ \"Kestrin\  ]] || fail "$page has no date: $th"
done

# Run from an empty folder, with a home and a temporary folder of their own
# and no unit named in the environment.
run=$work/run
mkdir -p "$run/home" "$run/tmp" "$run/cwd"
cd "$run/cwd"
in_prefix() { env -u KESTRIN_UNIT_DIR -u DISPLAY -u WAYLAND_DISPLAY HOME="$run/home" \
                  TMPDIR="$run/tmp" "$@"; }

out=$(in_prefix "${emulator[@]}" "$prefix/bin/kestrin" --headless 2>&1) || fail "kestrin --headless: $out"
grep -q "^Screenshots of the seven pages go to $run/tmp/" <<<"$out" ||
  fail "kestrin --headless printed: $out"
shots=$(sed -n 's/^Screenshots of the seven pages go to //p' <<<"$out")
[ "$(find "$shots" -name '*.png' | wc -l)" -ge 7 ] || fail "fewer than seven screenshots in $shots"

version=$(in_prefix "${emulator[@]}" "$prefix/bin/kestrin" --version)
[[ $version =~ ^kestrin\ [0-9]+\.[0-9]+\.[0-9]+(\+git[0-9]+\.[0-9a-f]+)?(-dirty)?$ ]] ||
  fail "kestrin --version printed: $version"

status=0
in_prefix "${emulator[@]}" "$prefix/bin/gps" 2>"$run/gps.err" || status=$?
[ "$status" = 1 ] && grep -q "^usage: gps" "$run/gps.err" || fail "gps without a unit: $status"

# The tuner module finds the same default unit (then waits for a signal).
# Started by env, which becomes the program (or the emulator that runs it):
# $! is the module's own process, and the signal ends it, its link with it.
env -u KESTRIN_UNIT_DIR HOME="$run/home" TMPDIR="$run/tmp" \
  "${emulator[@]}" "$prefix/bin/tuner-module" --pty "$run/com7" >"$run/module.out" 2>&1 &
module=$!
for _ in $(seq 100); do
  [ -e "$run/com7" ] && break
  sleep 0.05
done
kill "$module" 2>/dev/null || true
status=0
wait "$module" || status=$?
grep -q "^tuner module on /dev/pts/" "$run/module.out" ||
  fail "tuner-module: $(cat "$run/module.out")"
[ "$status" = 0 ] || fail "tuner-module: status $status after SIGTERM"
[ ! -L "$run/com7" ] || fail "tuner-module left its link $run/com7"

# The installed unit is never run in place, not even by its owner.
status=0
in_prefix "${emulator[@]}" "$prefix/bin/kestrin" --headless --unit "$prefix/share/kestrin/units/default" \
  2>"$run/err" || status=$?
[ "$status" = 2 ] && grep -q "is read-only (installed with the programs): .*--fresh-copy" "$run/err" ||
  fail "kestrin on the installed unit in place: status $status, $(cat "$run/err")"

# A normal user (nobody, when this runs as root): a unit this user cannot
# write is refused in place, one that cannot be read is said so, and so is
# a TMPDIR that takes no folder.
user=()
if [ "$(id -u)" = 0 ]; then
  user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
  chmod 0755 "$work"
  chown 65534:65534 "$run/home" "$run/tmp"
fi
as_user() { "${user[@]}" env -u KESTRIN_UNIT_DIR -u DISPLAY -u WAYLAND_DISPLAY HOME="$run/home" \
              TMPDIR="$run/tmp" "$@"; }
cp -r "$prefix/share/kestrin/units/default" "$run/unit"
chmod -R a-w "$run/unit"
mkdir -p "$run/read-only"
chmod 0555 "$run/read-only"
unit_dir=$prefix/share/kestrin/units/default
# what | TMPDIR | the arguments | the status | what is said
while IFS='|' read -r what tmpdir arguments want_status want; do
  [ "$what" = "unreadable default unit" ] && chmod 0000 "$unit_dir"
  status=0
  # shellcheck disable=SC2086
  as_user env TMPDIR="$tmpdir" "${emulator[@]}" "$prefix/bin/kestrin" $arguments 2>"$run/err" >/dev/null ||
    status=$?
  chmod 0755 "$unit_dir"
  [ "$status" = "$want_status" ] && [ "$(cat "$run/err")" = "$want" ] ||
    fail "$what as a normal user: status $status, said: $(cat "$run/err")"
  echo "as a normal user, $what: $want"
done <<EOF_CASES
read-only unit|$run/tmp|--headless --unit $run/unit|2|kestrin: the unit $run/unit is read-only (Permission denied): run on a copy of it with --fresh-copy
unreadable default unit|$run/tmp|--headless|2|kestrin: cannot read $unit_dir: Permission denied: give --unit DIR or set KESTRIN_UNIT_DIR
read-only TMPDIR|$run/read-only|--headless|2|kestrin: cannot make a temporary folder in $run/read-only (TMPDIR): Permission denied
EOF_CASES
out=$(as_user "${emulator[@]}" "$prefix/bin/kestrin" --headless 2>&1) || fail "kestrin --headless as a normal user: $out"
echo "installed tree at $prefix: runs, and holds no path of $source or $build"
