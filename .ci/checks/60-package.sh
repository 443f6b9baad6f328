#!/usr/bin/env bash
# The Debian package as a user gets it: built from the suite's build folder, unpacked into
# a fresh root, every installed program run from there (--version without a display, each
# window started offscreen), the desktop entries and AppStream metadata validated, the
# manual pages and bash completions tried, and lintian run over it.
set -euo pipefail
cd "$(dirname "$0")/../.."
BUILD_DIR=${BUILD_DIR:-build}
export BUILD_DIR

missing=()
command -v desktop-file-validate >/dev/null || missing+=(desktop-file-utils)
command -v appstreamcli >/dev/null || missing+=(appstream)
command -v man >/dev/null || missing+=(man-db)
command -v lintian >/dev/null || missing+=(lintian)
command -v help2man >/dev/null || missing+=(help2man)
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

rm -f "$BUILD_DIR"/package/*.deb
./setup.sh package >/dev/null
debs=("$BUILD_DIR"/package/*.deb)
[ ${#debs[@]} -eq 1 ] || { echo "expected one package, found: ${debs[*]}" >&2; exit 1; }
deb=${debs[0]}
version=$(dpkg-deb -f "$deb" Version)
echo "package: $(basename "$deb")"
echo "depends: $(dpkg-deb -f "$deb" Depends)"
dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '/$'

fail() { echo "FAIL: $*" >&2; exit 1; }

dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || fail "no dependency on the Qt widgets library"
# Every dependency must be installable: dpkg simulates the installation against this system.
dpkg --simulate -i "$deb" >/dev/null || fail "the package's dependencies cannot be met"

root=$(mktemp -d)
home=$(mktemp -d)
trap 'rm -rf "$root" "$home"' EXIT
dpkg-deb -x "$deb" "$root"

for exe in "$root"/usr/bin/*; do
  name=$(basename "$exe")
  # Nothing may lead back into the build tree.
  if readelf -d "$exe" | grep -Eq 'R(UN)?PATH'; then fail "$name carries a library search path"; fi
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$home" "$exe" --version) ||
    fail "$name --version failed"
  [[ "$out" == *"$version"* ]] || fail "$name --version printed '$out', not $version"
  echo "$name --version: $out"
done

desktops=("$root"/usr/share/applications/*.desktop)
[ ${#desktops[@]} -eq 2 ] || fail "expected two desktop entries, found ${#desktops[@]}"
for desktop in "${desktops[@]}"; do
  desktop-file-validate "$desktop" || fail "$(basename "$desktop") does not validate"
  program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
  icon=$(sed -n 's/^Icon=//p' "$desktop")
  [ -x "$root/usr/bin/$program" ] || fail "$(basename "$desktop") starts $program, not installed"
  [ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "icon $icon missing"
  # The window must come up and stay: timeout's 124 means it was still running.
  rc=0
  HOME="$home" QT_QPA_PLATFORM=offscreen timeout 3 "$root/usr/bin/$program" >/dev/null 2>&1 ||
    rc=$?
  [ $rc -eq 124 ] || fail "$program ended with $rc within 3 s of an offscreen start"
  echo "$program: offscreen start ok"
done

appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml ||
  fail "AppStream metadata does not validate"
appstreamcli validate-tree --no-net "$root" || fail "the installed tree does not validate"

# Every program has its manual page, found by name as man finds installed ones.
for exe in "$root"/usr/bin/*; do
  name=$(basename "$exe")
  page=$(MANPATH="$root/usr/share/man" MANWIDTH=80 man -P cat "$name" 2>/dev/null) ||
    fail "man $name: no manual entry"
  grep -q -- "--help" <<<"$page" || fail "the manual page of $name does not list --help"
  echo "man $name: $(head -c 200 <<<"$page" | grep -m1 -- ' - ' | tr -s ' ')"
done
# The batch programs complete their subcommands and options once their file is sourced.
for program in quorvel-batch tessaline-batch; do
  file="$root/usr/share/bash-completion/completions/$program"
  [ -f "$file" ] || fail "no bash completion for $program"
  bash -c "source '$file' && complete -p $program" || fail "no completion for $program"
done
words=$(bash -c "source '$root/usr/share/bash-completion/completions/quorvel-batch'
  COMP_WORDS=(quorvel-batch n-sweep --se); COMP_CWORD=2; _quorvel_batch; echo \${COMPREPLY[*]}")
[ "$words" = "--seed --set" ] || fail "quorvel-batch n-sweep --se completes to '$words'"
[ -f "$root/usr/share/doc/quorvel-tessaline/changelog.gz" ] || fail "no changelog"

# lintian: no error but the licence, which the project has not chosen yet.
lintian_out=$(lintian --no-tag-display-limit "$deb" || true)
echo "$lintian_out"
errors=$(grep '^E: ' <<<"$lintian_out" | grep -v ' no-copyright-file' || true)
[ -z "$errors" ] || fail "lintian errors: $errors"

[ -z "$(ls -A "$home")" ] || fail "a program wrote into the home folder: $(ls -A "$home")"
echo "package check passed: $(basename "$deb")"
