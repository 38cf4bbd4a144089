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
trap 'rm -rf "$work"' EXIT
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
[[ $version =~ ^kestrin\ [0-9]+\.[0-9]+\.[0-9]+( \(git [0-9a-f]+\))?$ ]] ||
  fail "kestrin --version printed: $version"

status=0
in_prefix "${emulator[@]}" "$prefix/bin/gps" 2>"$run/gps.err" || status=$?
[ "$status" = 1 ] && grep -q "^usage: gps" "$run/gps.err" || fail "gps without a unit: $status"

# The tuner module finds the same default unit (then waits for a signal).
in_prefix "${emulator[@]}" "$prefix/bin/tuner-module" --pty "$run/com7" >"$run/module.out" 2>&1 &
module=$!
for _ in $(seq 100); do
  [ -e "$run/com7" ] && break
  sleep 0.05
done
kill "$module" 2>/dev/null || true
wait "$module" || true
grep -q "^tuner module on /dev/pts/" "$run/module.out" ||
  fail "tuner-module: $(cat "$run/module.out")"
echo "installed tree at $prefix: runs, and holds no path of $source or $build"
