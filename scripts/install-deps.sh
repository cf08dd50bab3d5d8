#!/usr/bin/env bash
# Installs the Debian 12 packages Kestrin needs to build, test and run.
# Idempotent: packages already present are skipped, and the package lists are
# refreshed only when something has to be installed.
set -euo pipefail

PKGS=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libgl-dev
  # The window's display check talks to the X server before Qt starts.
  libxcb1-dev
  # Japanese texts of the standard dialogs (file dialogs, buttons).
  qt6-translations-l10n
  libgtest-dev libgmock-dev libbenchmark-dev
  nlohmann-json3-dev
  # Chi-square quantiles of the capability intervals (Boost.Math, header-only).
  libboost-math-dev
  # The change history page from CHANGELOG.md (CommonMark).
  libcmark-dev
  # kestrin-cli's command line (header-only).
  libcli11-dev
  fonts-ipafont-gothic fonts-ipafont-mincho fontconfig
  xvfb xauth poppler-utils
  # Driving the program under Xvfb by hand: key input and window lookup.
  xdotool
  clang libclang-rt-14-dev
  # Spreadsheet export: Calc itself (the GUI package: the -nogui core aborts
  # when a window is shown) and the UNO SDK for kestrin-calc-export.
  libreoffice-calc libreoffice-dev libreoffice-dev-common
  # Packaging: icon rendering at build time, validators of the desktop entry
  # and the AppStream metadata, the .deb's shared-library dependencies.
  librsvg2-bin desktop-file-utils appstream dpkg-dev
  # Printing through a real print queue in the tests: a private CUPS server
  # (cupsd, lpadmin, lpstat) with a cups-pdf queue; the filters that turn
  # the job into PostScript for it (poppler's cairo renderer keeps texts);
  # unshare and mount give cups-pdf a private configuration.
  cups cups-client cups-bsd printer-driver-cups-pdf cups-filters ghostscript util-linux mount
  # The MIME type of month files: its validation and a trial database.
  shared-mime-info libxml2-utils libglib2.0-bin
)

missing=()
for p in "${PKGS[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -gt 0 ]; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
