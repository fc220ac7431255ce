#!/usr/bin/env bash
# Builds the Debian package of Tarnwick: scripts/package.sh
# Installs what is missing, builds the program in Release in build/package
# with Debian's hardening flags, checks the desktop entry, the software-centre
# description and the file type against the freedesktop.org tools and the
# manual page against groff, and makes
# build/package/tarnwick_<version>_<arch>.deb with cpack.
# Install it with: sudo apt install ./build/package/tarnwick_*.deb
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$top/build/package
id=com.quenvar.Tarnwick
"$top/scripts/install-deps.sh"

# The flags Debian builds its own packages with, every hardening on: fortified
# functions, the stack protector, read-only relocations bound at start. No
# debugging symbols, which the package strips anyway.
flags() {
  DEB_BUILD_MAINT_OPTIONS=hardening=+all DEB_CXXFLAGS_MAINT_STRIP=-g dpkg-buildflags --get "$1"
}
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTARNWICK_BUILD_TESTS=OFF \
  -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_CXX_FLAGS="$(flags CPPFLAGS) $(flags CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(flags LDFLAGS)" >/dev/null
cmake --build "$build" -j"$(nproc)" --target tarnwick tarnwick_docs

# 1. Check the files as installed, in a stage of their own.
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR=$stage cmake --install "$build" >/dev/null
share=$stage/usr/share
desktop-file-validate "$share/applications/$id.desktop"
appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml"
# 2. The file type must compile into a MIME database with its name and its
#    file id; update-mime-database reports a fault but still succeeds.
mkdir -p "$stage/mime/packages"
cp "$share/mime/packages/$id.xml" "$stage/mime/packages/"
problems=$(XDG_DATA_DIRS=$stage update-mime-database "$stage/mime" 2>&1)
[ -z "$problems" ] || { echo "$problems" >&2; exit 1; }
grep -q ':application/x-tarnwick-project:\*\.qvd' "$stage/mime/globs2" ||
  { echo "the MIME database lacks *.qvd" >&2; exit 1; }
grep -aq 'Q-V LA' "$stage/mime/magic" ||
  { echo "the MIME database lacks the file id" >&2; exit 1; }
# 3. The manual page must render without a single warning, as man shows it.
problems=$(zcat "$share/man/man1/tarnwick.1.gz" | groff -man -Tutf8 -ww -z 2>&1)
[ -z "$problems" ] || { echo "tarnwick.1: $problems" >&2; exit 1; }
for doc in copyright changelog.gz; do
  [ -s "$share/doc/tarnwick/$doc" ] || { echo "the package lacks $doc" >&2; exit 1; }
done

# 4. The package.
rm -f "$build"/tarnwick_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/tarnwick_*.deb)
echo "$deb"
