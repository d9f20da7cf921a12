#!/usr/bin/env bash
# Builds the Debian package quillpost_VERSION_amd64.deb in the repository's root folder, from a
# clean Release build in build-package/ (another folder with QP_PACKAGE_BUILD_DIR=...): the
# program in /usr/lib/quillpost with its files, links in /usr/bin, the desktop's files, the
# manual pages and the bash completion. Its dependencies are computed by dpkg-shlibdeps.
# Then lintian checks it when lintian is installed; an error there fails the script.
#
#   scripts/package.sh
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

BUILD_DIR="${QP_PACKAGE_BUILD_DIR:-build-package}"
rm -rf "$BUILD_DIR"

launcher=()
if command -v ccache > /dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
# Debian's hardening flags (fortified functions, read-only relocations, immediate binding),
# as a package built by dpkg-buildpackage gets them.
# Without -g: the package's binaries are stripped, and debug information only slows the build.
export DEB_BUILD_MAINT_OPTIONS="hardening=+all"
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS | sed -E 's/(^| )-g( |$)/ /') $(dpkg-buildflags --get CPPFLAGS)"
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
export CXXFLAGS LDFLAGS

cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DQP_INSTALL_DIR=lib/quillpost \
  -DQP_BUILD_TESTS=OFF -DQP_BUILD_BENCH=OFF -DQP_MAN_PAGES=ON -DQP_PACKAGE=ON "${launcher[@]}"
cmake --build "$BUILD_DIR" -j"$(nproc)"
(cd "$BUILD_DIR" && cpack -G DEB)

deb=$(find "$BUILD_DIR/package" -maxdepth 1 -name 'quillpost_*.deb' -print -quit)
if [ -z "$deb" ]; then
  echo "package: cpack made no quillpost_*.deb" >&2
  exit 1
fi
rm -f quillpost_*.deb
cp "$deb" .
deb=$(basename "$deb")
echo "Package: $deb ($(du -k "$deb" | cut -f1) KiB)"
dpkg-deb --field "$deb" Depends

if command -v lintian > /dev/null; then
  lintian --fail-on error "$deb"
fi
