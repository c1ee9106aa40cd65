#!/usr/bin/env bash
# Builds the Debian package from the built tree with the project's CPack
# configuration (into a temporary folder), checks its control data and contents, unpacks it with dpkg-deb -x
# into a temporary root and starts the unpacked qzt617 (offscreen) against the
# unpacked urc-sim: no box, the animation written from the packaged library.
# usage: package_test.sh BUILD_DIR CPACK CMAKE VERSION PRIVATE_LIBDIR
set -euo pipefail

build=${1:?usage: package_test.sh BUILD_DIR CPACK CMAKE VERSION PRIVATE_LIBDIR}
cpack_command=${2:?}
cmake_command=${3:?}
version=${4:?}
WORK=$(mktemp -d /tmp/qzt617-package.XXXXXX)
ROOT=$WORK/root/usr
LIBDIR=${5:?}
source "$(dirname "$0")/lib_installed.sh"

# CPack's own install step first builds every target again ("preinstall"),
# which takes a minute on a loaded machine; the tree is built already, so the
# files are staged by `cmake --install --strip` as CPack would stage them.
cat >"$WORK/stage.sh" <<STAGE
DESTDIR=\$CMAKE_INSTALL_PREFIX exec '$cmake_command' --install '$build' --prefix /usr --strip
STAGE
cat >"$WORK/cpack.cmake" <<CONFIG
include("$build/CPackConfig.cmake")
set(CPACK_INSTALL_CMAKE_PROJECTS "")
set(CPACK_INSTALL_COMMANDS "sh $WORK/stage.sh")
CONFIG
"$cpack_command" -G DEB --config "$WORK/cpack.cmake" -B "$WORK/out" >"$WORK/cpack.log" 2>&1 ||
  fail "cpack failed"
deb=$WORK/out/qzt617_${version}_$(dpkg --print-architecture).deb
[[ -f "$deb" ]] || fail "no $(basename "$deb"); made: $(ls "$WORK/out")"

field() { dpkg-deb -f "$deb" "$1"; }

# Debian's own checks find no error. (Its warnings are left: the resource
# libraries hold data only and so need no other library.)
lintian --fail-on error --no-tag-display-limit "$deb" >"$WORK/lintian.log" 2>&1 ||
  fail "lintian finds errors: $(grep '^E:' "$WORK/lintian.log")"

# Depends comes from the binaries: the libraries they are linked with, each
# by its package and least version, and nothing of the package's own.
depends=$(field Depends)
depends_names=$(sed 's/ ([^)]*)//g; s/, /\n/g' <<<"$depends")
for needed in libc6 libqt6widgets6 libqt6gui6 libqt6core6 libgif7 libjpeg62-turbo libxrandr2 \
  libstdc++6; do
  grep -qxF "$needed" <<<"$depends_names" || fail "Depends lacks $needed: $depends"
done
grep -qiE 'tovqel|rororuru|qzt617' <<<"$depends" && fail "Depends names the package's own parts"
[[ "$(field Package) $(field Version)" == "qzt617 $version" ]] || fail "package or version wrong"
[[ -n "$(field Maintainer)" && -n "$(field Description)" ]] || fail "no maintainer or description"

# No maintainer scripts: nothing is done on installing or removing beyond
# unpacking the files.
members=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | sed 's|^\./||' | grep -v '^$' | sort | paste -sd' ')
[[ "$members" == "control md5sums" ]] || fail "control archive holds: $members"

mkdir -p "$WORK/root"
dpkg-deb -x "$deb" "$WORK/root"
(cd "$WORK/root" && dpkg-deb --ctrl-tarfile "$deb" | tar -xO ./md5sums | md5sum -c --quiet) ||
  fail "md5sums do not match the files"

# Installed-Size is the files' size in KiB (dpkg rounds each file up).
files_kib=$(find "$WORK/root" -type f -printf '%s\n' | awk '{ kib += int(($1 + 1023) / 1024) } END { print kib }')
size=$(field Installed-Size)
((size >= files_kib && size <= files_kib + 64)) ||
  fail "Installed-Size $size, but the files take $files_kib KiB"

# Every program has its manual page; the documentation and desktop files.
for program in "$ROOT"/bin/*; do
  [[ -f "$ROOT/share/man/man1/$(basename "$program").1.gz" ]] || fail "no manual page for $program"
  expect_run_path "$(basename "$program")"
done
for file in share/doc/qzt617/copyright share/doc/qzt617/changelog.gz \
  share/applications/qzt617.desktop share/icons/hicolor/scalable/apps/qzt617.svg \
  "$LIBDIR/libtovqel.so" "$LIBDIR/libRorORuru.so" "$LIBDIR/bne1004.so"; do
  [[ -f "$ROOT/$file" ]] || fail "not in the package: /usr/$file"
done
[[ -z "$(find "$WORK/root" -path '*broken*' -o -path '*missing*')" ]] ||
  fail "test-only resource libraries are in the package"
[[ -z "$(find "$WORK/root" -type f -name '*.so' -perm /111)" ]] || fail "an executable library"

"$ROOT/bin/qzt617" --version | grep -qx "qzt617 $version" || fail "the unpacked qzt617's version"
start_sim
expect_good_start
echo "package $(basename "$deb"): control data, contents and a good start OK"
