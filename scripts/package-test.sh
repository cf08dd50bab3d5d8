#!/usr/bin/env bash
# Builds the Debian package of Kestrin, installs it with apt-get as a user
# would, checks the installed programs and removes the package again.
#
#   bash scripts/package-test.sh
#
# Needs root (or sudo): it installs into /usr. It is not part of
# scripts/test.sh because it changes the machine's installed packages and
# builds a second tree. PKG_BUILD_DIR names the build folder (default
# build-deb; tests and benchmarks are not built there).
#
# Checks, with the package installed:
#  - kestrin-cli runs from PATH (--help, and stats of the example month),
#  - month files map to their MIME type and the thumbnailer's command runs,
#  - the manual pages are found by man, the desktop entry validates and its
#    Exec command is an installed program, history.htm lies beside it,
#  - when the window is in the package: its desktop entry's command starts
#    under xvfb-run and is still running after 5 s (timeout's exit 124),
#    run as an ordinary user, whose settings must not land in /usr/bin.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
dir=${PKG_BUILD_DIR:-build-deb}

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null 2>&1 || { echo "package-test: needs root or sudo" >&2; exit 1; }
  SUDO="sudo"
fi

if dpkg-query -W -f='${Status}' kestrin 2>/dev/null | grep -q 'install ok installed'; then
  echo "package-test: the package kestrin is installed already; remove it first (apt-get remove kestrin)" >&2
  exit 1
fi

bash scripts/install-deps.sh

echo "== building the package in $dir"
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKESTRIN_BUILD_TESTS=OFF -DKESTRIN_BUILD_BENCH=OFF >/dev/null
cmake --build "$dir" -j"$(nproc)"
rm -f "$dir"/kestrin_*.deb
(cd "$dir" && cpack -G DEB)
debs=("$root/$dir"/kestrin_*.deb)
[ "${#debs[@]}" -eq 1 ] && [ -f "${debs[0]}" ] || { echo "package-test: no single kestrin_*.deb in $dir" >&2; exit 1; }
deb=${debs[0]}
dpkg-deb --field "$deb" Package Version Depends Recommends

installed=0
work=$(mktemp -d)
cleanup() {
  local rc=$?
  if [ "$installed" -eq 1 ]; then
    echo "== removing the package"
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get remove -y -qq kestrin >/dev/null || rc=1
    if [ -e /usr/bin/kestrin-cli ]; then
      echo "package-test: /usr/bin/kestrin-cli is still there after removal" >&2
      rc=1
    fi
  fi
  rm -rf "$work"
  if [ "$rc" -eq 0 ]; then echo "== package test passed"; else echo "== package test FAILED" >&2; fi
  exit "$rc"
}
trap cleanup EXIT

echo "== apt-get install $(basename "$deb")"
installed=1
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "$deb"

fail() { echo "package-test: $*" >&2; exit 1; }

echo "== kestrin-cli"
[ "$(command -v kestrin-cli)" = /usr/bin/kestrin-cli ] || fail "kestrin-cli is not /usr/bin/kestrin-cli on PATH"
kestrin-cli --help >/dev/null || fail "kestrin-cli --help failed"
kestrin-cli stats examples/sample-month.slt >"$work/stats.json" || fail "kestrin-cli stats of the example month failed"
grep -q '"CalcedResult"' "$work/stats.json" || fail "kestrin-cli stats printed no results"
man -w kestrin-cli >/dev/null || fail "man does not find kestrin-cli(1)"
echo "kestrin-cli --help and stats: ok; manual page $(man -w kestrin-cli)"

[ -f /usr/bin/history.htm ] || fail "/usr/bin/history.htm is not installed"

echo "== file type and thumbnails of month files"
dpkg -L kestrin | grep -qx /usr/share/mime/packages/jp.kestrin.Kestrin.xml || fail "the MIME type is not in the package"
thumbnailer=/usr/share/thumbnailers/kestrin.thumbnailer
[ -f "$thumbnailer" ] || fail "$thumbnailer is not installed"
# The package's trigger has rebuilt the MIME database: a month file maps to
# the type by its contents even under another name.
cp examples/sample-month.slt "$work/month.dat"
type=$(gio info -a standard::content-type "$work/month.dat" | sed -n 's/^ *standard::content-type: //p')
[ "$type" = application/x-kestrin-month ] || fail "an installed month file maps to '$type'"
cp examples/sample-strength.kst "$work/log.dat"
strength=$(gio info -a standard::content-type "$work/log.dat" | sed -n 's/^ *standard::content-type: //p')
[ "$strength" = application/x-kestrin-strength ] || fail "an installed strength log maps to '$strength'"
thumb_cmd=$(sed -n 's/^Exec=//p' "$thumbnailer")
thumb_cmd=${thumb_cmd//%i/examples/sample-month.slt}
thumb_cmd=${thumb_cmd//%o/$work/thumb.png}
thumb_cmd=${thumb_cmd//%s/128}
read -r -a thumb <<<"$thumb_cmd"
"${thumb[@]}" || fail "the thumbnailer's command failed: $thumb_cmd"
[ -s "$work/thumb.png" ] || fail "the thumbnailer wrote no picture"
echo "month files: $type; thumbnailer: $thumb_cmd"

desktops=$(dpkg -L kestrin | grep '^/usr/share/applications/.*\.desktop$' || true)
if [ -z "$desktops" ]; then
  echo "== the package has no window (kestrin was not built): window start skipped"
  exit 0
fi

echo "== desktop entry $desktops"
desktop-file-validate "$desktops" || fail "desktop-file-validate $desktops"
exec_line=$(sed -n 's/^Exec=//p' "$desktops")
read -r -a exec_cmd <<<"$exec_line"
prog=$(command -v "${exec_cmd[0]}") || fail "Exec=${exec_cmd[0]} is not on PATH"
[ "$prog" = /usr/bin/kestrin ] || fail "Exec=${exec_cmd[0]} resolves to $prog, not /usr/bin/kestrin"
appstreamcli validate --no-net "$(dpkg -L kestrin | grep '^/usr/share/metainfo/.*\.xml$')" >/dev/null ||
  fail "appstreamcli validate of the installed metainfo"

echo "== starting '$exec_line' under xvfb-run for 5 s"
# As an ordinary user with a fresh home: root could write /usr/bin, and the
# program would put its settings there, outside the package.
home="$work/home"
mkdir -p "$home"
runas=()
if [ "$(id -u)" -eq 0 ] && id nobody >/dev/null 2>&1; then
  chown nobody "$home" "$work"
  runas=(runuser -u nobody --)
fi
set +e
(cd "$home" && "${runas[@]}" env -u QT_QPA_PLATFORM -u XDG_RUNTIME_DIR \
  HOME="$home" XDG_CONFIG_HOME="$home/.config" xvfb-run -a timeout 5 "${exec_cmd[@]}") >"$work/kestrin.log" 2>&1
rc=$?
set -e
if [ "$rc" -ne 124 ]; then
  cat "$work/kestrin.log" >&2
  fail "kestrin ended with exit status $rc before 5 s (124 means it was still running)"
fi
echo "kestrin was still running after 5 s (exit status 124 from timeout)"
if [ -s "$work/kestrin.log" ]; then
  echo "its messages:"
  sed 's/^/  /' "$work/kestrin.log"
fi
[ -e /usr/bin/kestrin.INI ] && fail "the program wrote /usr/bin/kestrin.INI"
if [ -e "$home/.config/kestrin/kestrin.INI" ]; then
  echo "settings written to \$XDG_CONFIG_HOME/kestrin/kestrin.INI"
fi
exit 0
