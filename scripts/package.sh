#!/usr/bin/env bash
# Builds the Debian package from this tree and puts dictrava_*.deb in dist/. The build runs in a
# copy of the tree, so dpkg-buildpackage leaves nothing behind here or beside the repository.
# The test suite is not run here: CI runs it.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh

# The packaging tools and the Build-Depends setup.sh does not already bring.
tools=(debhelper dpkg-dev lintian librsvg2-bin)
missing=()
for p in "${tools[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
dpkg-checkbuilddeps

version=$(dpkg-parsechangelog -S Version)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tar --exclude-vcs --exclude='./build*' --exclude=./dist --exclude='./obj-*' -cf - . |
  tar -C "$work" -xf - --one-top-level="dictrava-$version"
(
  cd "$work/dictrava-$version"
  DEB_BUILD_OPTIONS="nocheck noddebs parallel=$(nproc) ${DEB_BUILD_OPTIONS:-}" dpkg-buildpackage -us -uc -b
)
mkdir -p dist
rm -f dist/dictrava_*.deb
cp "$work"/dictrava_*.deb dist/
lintian --fail-on error "$work"/dictrava_*.changes
ls -l dist/dictrava_*.deb
