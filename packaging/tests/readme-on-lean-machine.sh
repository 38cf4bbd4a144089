#!/usr/bin/env bash
# The README's commands as a new user types them, on a machine that has
# nothing but a fresh Debian 12 (debootstrap's minbase) and what the first
# command installs: that first command (the first line of the README's
# first block), then every block marked `<!-- lean machine -->`, each as a
# root shell runs it in the checkout; the steps of a YAML block (a CI job)
# run in a fresh copy of the checkout, as the job's own checkout would.
#   readme-on-lean-machine.sh SOURCE_DIR WORK_DIR
# Needs root (debootstrap, chroot, mounting /proc) and Debian's archive.
# Prints what the first command installed and how long each step took.
set -euo pipefail
source=$(cd "$1" && pwd -P)
work=$2
root=$work/lean
fail() { echo "readme-on-lean-machine: $*" >&2; exit 1; }
[ "$(id -u)" = 0 ] || fail "needs root"
command -v debootstrap >/dev/null || fail "needs debootstrap (.ci/install-deps --ci)"

mounted=()
cleanup() {
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount "${mounted[i]}" || true; done
  # Removed only when nothing of the host is mounted inside any more.
  if [ -d "$root" ] && ! grep -qF " $root/" /proc/mounts; then rm -rf "$root"; fi
}
trap cleanup EXIT

# The steps: one file each, the commands of one block.
steps=$work/steps
rm -rf "$steps"
mkdir -p "$steps"
awk -v out="$steps" '
  function flush() { close(file) }
  # The first command: the first line of the first block.
  !first && /^```sh$/ { getline; print > (out "/01-first-command.sh"); close(out "/01-first-command.sh"); first = 1; next }
  /^ *<!-- lean machine -->$/ { marked = 1; next }
  marked && /^ *```/ {
    match($0, /^ */); indent = RLENGTH
    kind = substr($0, indent + 4)
    n++; file = sprintf("%s/%02d-%s.%s", out, n + 1, (kind == "yaml" ? "job" : "block"), kind == "yaml" ? "yaml" : "sh")
    inblock = 1; marked = 0; next
  }
  inblock && /^ *```$/ { inblock = 0; flush(); next }
  inblock { print substr($0, indent + 1) > file }
' "$source/README.md"
# A job's steps: each `- run:` line, a folded `run: >` joined into one line.
for job in "$steps"/*.yaml; do
  [ -e "$job" ] || continue
  awk '
    folding && match($0, /^ */) && RLENGTH > runindent { line = line " " substr($0, RLENGTH + 1); next }
    folding { print line; folding = 0 }
    /^ *- run: >$/ { match($0, /^ */); runindent = RLENGTH; folding = 1; line = ""; next }
    /^ *- run: / { sub(/^ *- run: /, ""); print }
    END { if (folding) print line }
  ' "$job" | sed 's/^ //; s/\${{ *matrix\.shard *}}/1/g' >"${job%.yaml}.sh"
  rm "$job"
done
[ "$(ls "$steps" | wc -l)" -ge 2 ] || fail "no <!-- lean machine --> block in README.md"

section() { printf -- '-- %s\n' "$*"; }
section "a fresh Debian 12 (debootstrap --variant=minbase bookworm)"
started=$SECONDS
debootstrap --variant=minbase bookworm "$root" >"$work/debootstrap.log" 2>&1 ||
  { tail -20 "$work/debootstrap.log"; fail "debootstrap"; }
echo "$(chroot "$root" dpkg-query -W | wc -l) packages, $((SECONDS - started)) s"
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc" && mounted+=("$root/proc")
# Terminals of its own (apt's log wants one), not the host's.
mount -t devpts -o newinstance,ptmxmode=0666 devpts "$root/dev/pts" && mounted+=("$root/dev/pts")

# The checkout as a user has it (the files of the tree that git does not
# ignore, as they are now), and a second one for the CI job.
for tree in kestrin fresh; do
  mkdir -p "$root/src/$tree"
  (cd "$source" && git ls-files -z --cached --others --exclude-standard |
    tar --null --ignore-failed-read -T - -cf - 2>/dev/null) | tar -xf - -C "$root/src/$tree"
done

for step in "$steps"/*.sh; do
  name=$(basename "$step" .sh)
  tree=kestrin
  [[ $name == *-job ]] && tree=fresh
  section "$name (in /src/$tree):"
  sed 's/^/   /' "$step"
  cp "$step" "$root/step.sh"
  started=$SECONDS
  chroot "$root" env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    LANG=C.UTF-8 bash -c "cd /src/$tree && bash -e -o pipefail /step.sh" >"$work/$name.log" 2>&1 ||
    { tail -40 "$work/$name.log"; fail "$name failed on the lean machine"; }
  echo "   passed in $((SECONDS - started)) s"
  if [ "$name" = 01-first-command ]; then
    grep -E "newly installed|^Need to get|^After this operation" "$work/$name.log" | sed "s/^/   /"
  fi
done
