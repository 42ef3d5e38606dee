#!/usr/bin/env bash
# Builds the Debian package from this tree, checks it with lintian and puts dictrava_*.deb in
# dist/. The build runs in a copy of the tree under build-deb/, so dpkg-buildpackage leaves nothing
# in the sources or beside the repository. The test suite is not run here: CI runs it.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
dpkg-checkbuilddeps

# A fixed place (ignored by git) rather than a temporary one, so that a compiler cache hits.
version=$(dpkg-parsechangelog -S Version)
work=build-deb
rm -rf "$work"
mkdir -p "$work/dictrava-$version"
tar --exclude-vcs --exclude='./build*' --exclude=./dist --exclude='./obj-*' -cf - . |
  tar -C "$work/dictrava-$version" -xf -
(
  cd "$work/dictrava-$version"
  # The copy is fresh and its build dependencies were checked above; no dbgsym package is made,
  # which also spares making the debug information (see debian/rules).
  DEB_BUILD_OPTIONS="nocheck noddebs parallel=$(nproc) ${DEB_BUILD_OPTIONS:-}" \
    dpkg-buildpackage -us -uc -b --no-pre-clean --no-check-builddeps
)
# Every warning is fixed or overridden with its reason, so a new one fails the build like an error.
lintian --fail-on error,warning "$work"/dictrava_*.changes
mkdir -p dist
rm -f dist/dictrava_*.deb
cp "$work"/dictrava_*.deb dist/
ls -l dist/dictrava_*.deb
