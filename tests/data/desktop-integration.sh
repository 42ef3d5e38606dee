#!/usr/bin/env bash
# What the desktop and the package read about the app: the menu and autostart entries, the
# AppStream data, the manual pages, and --help/--version of both programs, which must answer
# without a display. Usage: desktop-integration.sh SOURCE_DIR BUILD_DIR VERSION DICTRAVA DICTRAVA_CLI
set -uo pipefail
source_dir=$1 build_dir=$2 version=$3 app=$4 cli=$5
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

desktop-file-validate "$build_dir/data/dictrava.desktop" "$source_dir/data/dictrava-autostart.desktop" ||
  fail "desktop entries"
appstreamcli validate --no-net "$source_dir/data/com.korvo.Dictrava.metainfo.xml" || fail "AppStream data"

# The version lives in CMake, the AppStream releases and the Debian changelog: they must agree.
release=$(grep -o -m1 '<release version="[^"]*"' "$source_dir/data/com.korvo.Dictrava.metainfo.xml" | cut -d'"' -f2)
[ "$release" = "$version" ] || fail "newest AppStream release is $release, the project is $version"
changelog=$(head -1 "$source_dir/debian/changelog" | sed -n 's/^[^ ]* (\([^)-]*\).*/\1/p')
[ "$changelog" = "$version" ] || fail "debian/changelog is at $changelog, the project is $version"

for page in "$source_dir"/data/man/*.1; do
  warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$page: $warnings"
done

# Each row: program, argument, words its standard output must contain.
while IFS='|' read -r program argument words; do
  output=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" "$argument" 2>&1)
  status=$?
  name="$(basename "$program") $argument"
  [ $status -eq 0 ] || fail "$name exits with $status: $output"
  for word in $words; do
    grep -qF -- "$word" <<<"$output" || fail "$name does not name $word"
  done
done <<ROWS
$app|--help|dictrava --version dictrava-cli
$app|--version|$version
$cli|--help|dictate capture focus briefing meeting ptt deck open status --text --audio --json
$cli|--version|$version
ROWS

exit $((failures > 0))
