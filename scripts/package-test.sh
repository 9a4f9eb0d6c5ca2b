#!/usr/bin/env bash
# Packs the build in build/ as a Debian package and tries it the way a user
# would: installs it with apt-get, plays a copy of the installed sample show
# with the installed player to its end (headless: Xvfb and SDL's dummy sound),
# checks every installed program's --version and manual page, then removes the
# package and checks that everything it installed went with it.
#
# It installs onto this machine and removes the package again (also when a
# check fails): CI runs it as root, after scripts/test.sh, whose build it
# reuses. Needs root or sudo.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
fail() { echo "package-test: $*" >&2; exit 1; }

./scripts/build.sh
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null 2>&1 || fail "need root or sudo to install the package"
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive

rm -f build/halvenor_*.deb
(cd build && cpack -G DEB >/dev/null)
debs=(build/halvenor_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "cpack made no single halvenor_*.deb"
deb=${debs[0]}
echo "package-test: $deb, depends on: $(dpkg-deb -f "$deb" Depends)"

work=$(mktemp -d)
installed=0
cleanup() {
  if [ $installed -eq 1 ]; then
    $sudo apt-get remove -y -qq halvenor >/dev/null 2>&1 || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# "./" makes apt-get read the file rather than look the name up.
installed=1
$sudo apt-get install -y -qq --reinstall "./$deb" >"$work/apt.log" 2>&1 || { cat "$work/apt.log" >&2; fail "apt-get install failed"; }
hash -r
[ "$(command -v halvenor)" = /usr/bin/halvenor ] || fail "halvenor is not /usr/bin/halvenor on PATH"

# Every program: NAME 0.2.0 (rev REVISION), the revision of this checkout.
revision=""
if command -v git >/dev/null 2>&1 && git -C "$root" rev-parse --git-dir >/dev/null 2>&1; then
  revision=$(git -C "$root" describe --always --dirty)
fi
# Images that keep no manual pages (dpkg path-exclude) get none on disk; the
# package must still carry them.
manExcluded=0
grep -qs 'path-exclude.*/usr/share/man' /etc/dpkg/dpkg.cfg.d/* && manExcluded=1
programs=$(dpkg -L halvenor | grep '^/usr/bin/.' || true)
[ -n "$programs" ] || fail "the package installs no program"
for program in $programs; do
  name=$(basename "$program")
  version=$("$program" --version)
  [[ "$version" =~ ^$name\ [0-9]+\.[0-9]+\.[0-9]+\ \(rev\ [A-Za-z0-9._+~-]+\)$ ]] ||
    fail "$name --version says '$version'"
  if [ -n "$revision" ] && [[ "$version" != *" (rev $revision)" ]]; then
    fail "$name --version says '$version', the checkout is $revision"
  fi
  page=/usr/share/man/man1/$name.1.gz
  if [ $manExcluded -eq 1 ]; then
    dpkg-deb -c "$deb" | grep -q "\.$page\$" || fail "the package has no manual page for $name"
  elif command -v man >/dev/null 2>&1; then
    [ "$(man -w "$name")" = "$page" ] || fail "man -w $name does not find $page"
  else
    [ -f "$page" ] || fail "no manual page $page"
  fi
done
echo "package-test: installed $(echo $programs | wc -w) programs with their manual pages; $(halvenor --version)"

# The installed show is read-only for users: the player writes its log (and
# sync markers) beside the show, so it plays from a copy.
cp -r /usr/share/halvenor/shows/sample "$work/sample"
halvenor-check --quiet "$work/sample" || fail "halvenor-check finds errors in the installed sample show"
stopTime=$(awk '$2 == "DEMO" && $4 == "FX_STOP" { print $1 }' "$work/sample/guion.txt" | tail -1)
started=$(date +%s%N)
status=0
(cd "$work/sample" && SDL_AUDIODRIVER=dummy timeout 300 xvfb-run -a -s "-screen 0 1280x1024x24" halvenor) || status=$?
seconds=$(awk -v a="$started" -v b="$(date +%s%N)" 'BEGIN { printf "%.1f", (b - a) / 1e9 }')
[ $status -eq 0 ] || { cat "$work/sample/error_log.txt" >&2 || true; fail "the installed player exited $status"; }
grep -q "Sistema cerrado correctamente" "$work/sample/error_log.txt" || fail "the player's log does not end the show"
# The music is the show's clock: the show cannot end before its FX_STOP time.
if [ -n "$stopTime" ] && awk -v s="$seconds" -v t="$stopTime" 'BEGIN { exit !(s < t) }'; then
  fail "the show ended after ${seconds} s, before its FX_STOP at ${stopTime} s"
fi
echo "package-test: the installed player played the installed sample show to its end in ${seconds} s (exit 0)"

$sudo apt-get remove -y -qq halvenor >"$work/apt.log" 2>&1 || { cat "$work/apt.log" >&2; fail "apt-get remove failed"; }
installed=0
hash -r
! command -v halvenor >/dev/null 2>&1 || fail "halvenor is still on PATH after apt-get remove"
for program in $programs; do
  [ ! -e "$program" ] || fail "$program is still there after apt-get remove"
done
[ ! -e /usr/share/halvenor ] || fail "/usr/share/halvenor is still there after apt-get remove"
[ ! -e /usr/share/man/man1/halvenor.1.gz ] || fail "the manual page is still there after apt-get remove"
echo "package-test: apt-get remove halvenor removed the programs, the pages and the shows"
