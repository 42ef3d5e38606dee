#!/usr/bin/env bash
# Builds the Debian package (scripts/package.sh, which also runs lintian), installs it with apt the
# way a user would, runs both installed programs once, removes it and checks that nothing of it is
# left. Leaves the machine as it found it, also when a step fails; running it again gives the same.
set -euo pipefail
cd "$(dirname "$0")/.."

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
fail() {
  echo "package-test: FAIL: $*" >&2
  exit 1
}
package_state() { dpkg-query -W -f='${db:Status-Status}' dictrava 2>/dev/null || true; }

# Installing and removing would replace the user's own copy and drop their autostart edits.
state=$(package_state)
[ -z "$state" ] || [ "$state" = not-installed ] ||
  fail "dictrava is already on this machine ($state); remove it first: sudo apt-get purge dictrava"

./scripts/package.sh
built=$SECONDS
debs=(dist/dictrava_*.deb)
[ ${#debs[@]} -eq 1 ] || fail "expected one package in dist/, found: ${debs[*]}"
version=$(dpkg-deb -f "${debs[0]}" Version)

scratch=$(mktemp -d)
dpkg-query -W -f='${Package}\n' | sort >"$scratch/before"
# man-db rebuilds its index after every install and removal (8 s each here); the test's manual
# pages come and go again, so the index is left alone while it runs.
mandb_flag=/var/lib/man-db/auto-update
mandb_paused=""
cleanup() {
  local status=$?
  if [ -n "$(package_state)" ] && [ "$(package_state)" != not-installed ]; then
    $SUDO dpkg --purge dictrava >/dev/null || status=1
  fi
  # Dependencies apt had to add for the test go again; nothing else is touched.
  local added
  added=$(dpkg-query -W -f='${Package}\n' | sort | comm -13 "$scratch/before" -)
  if [ -n "$added" ]; then
    # shellcheck disable=SC2086 # one package name a line
    $SUDO apt-get purge -y -qq $added >/dev/null || status=1
  fi
  [ -z "$mandb_paused" ] || $SUDO touch "$mandb_flag" || status=1
  rm -rf "$scratch"
  exit $status
}
trap cleanup EXIT
trap 'exit 130' INT TERM
if [ -e "$mandb_flag" ]; then
  $SUDO rm "$mandb_flag"
  mandb_paused=1
fi

# Only what Depends names: a missing runtime dependency shows on a machine that lacks it.
$SUDO apt-get install -y -qq --no-install-recommends "$PWD/${debs[0]}" >/dev/null
dpkg-query -L dictrava | sort >"$scratch/files"

# What the desktop and the session bus look for, and the programs their entries start.
for path in /usr/bin/dictrava /usr/bin/dictrava-cli /usr/share/applications/dictrava.desktop \
  /etc/xdg/autostart/dictrava.desktop /usr/share/metainfo/com.korvo.Dictrava.metainfo.xml \
  /usr/share/dbus-1/services/com.korvo.Dictrava.service /usr/share/icons/hicolor/scalable/apps/dictrava.svg \
  /usr/share/icons/hicolor/48x48/apps/dictrava.png /usr/share/icons/hicolor/128x128/apps/dictrava.png \
  /usr/share/man/man1/dictrava.1.gz /usr/share/man/man1/dictrava-cli.1.gz /usr/share/doc/dictrava/copyright; do
  grep -qxF "$path" "$scratch/files" || fail "the package does not install $path"
done
for entry in /usr/share/applications/dictrava.desktop /usr/share/dbus-1/services/com.korvo.Dictrava.service; do
  program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
  [ -x "$(command -v "$program")" ] || fail "$entry starts $program, which is not installed"
done

# The installed programs, in an empty home with no display and no session bus.
mkdir -m 700 "$scratch/home" "$scratch/run"
in_scratch_home() {
  env -i PATH=/usr/bin:/bin LANG=C.UTF-8 TZ=UTC HOME="$scratch/home" XDG_RUNTIME_DIR="$scratch/run" \
    XDG_DATA_HOME="$scratch/home/data" XDG_CONFIG_HOME="$scratch/home/config" \
    XDG_CACHE_HOME="$scratch/home/cache" XDG_STATE_HOME="$scratch/home/state" "$@"
}
for program in dictrava dictrava-cli; do
  output=$(in_scratch_home "$program" --version) || fail "$program --version: $output"
  grep -qF "$version" <<<"$output" || fail "$program --version says \"$output\", the package is $version"
done
output=$(in_scratch_home dictrava-cli capture --text "tomorrow at 3 call Maya" --now 2026-12-07T09:00 --json) ||
  fail "dictrava-cli capture: $output"
grep -q '"title":"[^"]*Maya' <<<"$output" || fail "dictrava-cli capture made no task for Maya: $output"
grep -qs 'Maya' "$scratch/home/data/Dictrava/tasks.json" || fail "the task did not reach the data folder"

# Removed, nothing of ours stays under /usr; the autostart entry is a conffile and goes with purge.
$SUDO apt-get remove -y -qq dictrava >/dev/null
left=()
while read -r path; do
  case $path in /usr/*) ;; *) continue ;; esac
  if [ -d "$path" ] && [ ! -L "$path" ]; then
    # A folder stays while another package owns it; one only we used must go.
    dpkg-query -S "$path" >/dev/null 2>&1 || left+=("$path")
    while read -r stray; do left+=("$stray"); done < <(find "$path" -maxdepth 1 -iname '*dictrava*')
  elif [ -e "$path" ] || [ -L "$path" ]; then
    left+=("$path")
  fi
done <"$scratch/files"
((${#left[@]} == 0)) || fail "left under /usr after apt-get remove: ${left[*]}"
[ -e /etc/xdg/autostart/dictrava.desktop ] || fail "apt-get remove dropped the autostart conffile"
$SUDO dpkg --purge dictrava >/dev/null
[ ! -e /etc/xdg/autostart/dictrava.desktop ] || fail "purging kept /etc/xdg/autostart/dictrava.desktop"
echo "package-test: dictrava $version built and checked in ${built} s; installed, run and removed without a trace" \
  "in $((SECONDS - built)) s"
