#!/usr/bin/env bash
# Installs the Debian 12 packages that building, testing and running Quillpost need.
# Only packages that are missing are installed, so a second run does nothing and returns at once.
set -euo pipefail

PACKAGES=(
  # build, and the format check of CI
  cmake g++ make pkg-config clang-format
  # the fuzz targets (scripts/fuzz.sh): clang and its libFuzzer and sanitizer runtimes
  clang libclang-rt-dev
  # core, and the command line's options
  libicu-dev libc-ares-dev libcli11-dev
  # the history of runs
  libsqlite3-dev
  # TLS for https links, and the system's certificate authorities it verifies against
  libssl-dev ca-certificates
  # PAD files: the XML parser and the patterns of the PAD field list
  libexpat1-dev libpcre2-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev curl time
  # windows and the embedded browser
  qt6-base-dev qt6-webengine-dev qt6-webengine-dev-tools libqt6webenginecore6-bin qt6-charts-dev
  libgl-dev libxkbcommon-dev
  # Qt's own texts (message box buttons, file and print dialogs) in the languages of the menu
  qt6-translations-l10n
  # the program's icon (SVG), and the checks of the desktop's files in CI
  libqt6svg6 desktop-file-utils appstream
  # the Debian package (scripts/package.sh): its manual pages, its dependencies, its check
  scdoc dpkg-dev lintian
  # running the windows without a display, and screenshots
  xvfb xauth x11-utils imagemagick fonts-dejavu-core
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
