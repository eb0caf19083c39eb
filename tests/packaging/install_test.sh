#!/usr/bin/env bash
# Installs the build into a scratch prefix and packs it as a .deb, then checks both as the
# desktop, AppStream, Debian and lintian would: usage: install_test.sh CMAKE CPACK BUILD_DIR WORK_DIR
set -euo pipefail
fail() { echo "FAIL: $*" >&2; exit 1; }
cmake=$1 cpack=$2 build=$3 work=$4
for tool in desktop-file-validate appstreamcli dpkg-deb dpkg-shlibdeps file lintian; do
    type -P "$tool" >/dev/null || fail "needs $tool (scripts/install-deps.sh test installs it)"
done
app=org.kelvaro.Kelvaro
rm -rf "$work"
mkdir -p "$work"

prefix=$work/prefix
"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" ||
    fail "cmake --install failed: $(cat "$work/install.log")"

# The installed program runs from its new place; --version needs no display.
version=$(env -u DISPLAY -u WAYLAND_DISPLAY "$prefix/bin/kelvaro" --version) ||
    fail "the installed kelvaro --version failed"
[[ $version == "Kelvaro "* ]] || fail "kelvaro --version printed '$version'"

entry=$prefix/share/applications/$app.desktop
# The program finds its helpers in libexec/kelvaro, relative to its own folder.
for helper in kelvaro-speech kelvaro-audio; do
    [[ -x $prefix/libexec/kelvaro/$helper ]] || fail "no $helper in $prefix/libexec/kelvaro"
done
# And the Progress window's module in its library folder.
module=$(find "$prefix" -path '*/lib*/kelvaro/modules/kelvaro-progress.so')
[[ -n $module ]] || fail "no kelvaro/modules/kelvaro-progress.so in a library folder of $prefix"
desktop-file-validate "$entry" || fail "desktop-file-validate refused $entry"
for line in 'Exec=kelvaro %f' 'MimeType=text/plain;' "Icon=$app" 'Name\[ja\]=.+' \
    'Comment\[ja\]=.+' 'Categories=(.*;)?Education;.*'; do
    grep -Eqx "$line" "$entry" || fail "$entry lacks a line matching '$line'"
done

metainfo=$prefix/share/metainfo/$app.metainfo.xml
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli refused $metainfo"

for size in 16 22 24 32 48 64 128 256; do
    png=$prefix/share/icons/hicolor/${size}x${size}/apps/$app.png
    file "$png" | grep -q "PNG image data, $size x $size," || fail "$png is not a $size px PNG"
done
file "$prefix/share/icons/hicolor/scalable/apps/$app.svg" | grep -q 'SVG' ||
    fail "no scalable SVG icon"

man_page=$prefix/share/man/man1/kelvaro.1.gz
gzip -dc "$man_page" | grep -q '^\.TH KELVARO 1 ' || fail "no manual page at $man_page"
grep -q 'Version 3, 29 June 2007' "$prefix/share/doc/kelvaro/LICENSE" || fail "no GPL-3 LICENSE"
grep -q '^License: GPL-3.0-or-later$' "$prefix/share/doc/kelvaro/copyright" ||
    fail "the copyright file does not say GPL-3.0-or-later"

"$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$work/package" >"$work/cpack.log" ||
    fail "cpack -G DEB failed: $(cat "$work/cpack.log")"
packages=("$work"/package/kelvaro_*.deb)
[[ -f ${packages[0]} ]] || fail "cpack made no kelvaro_*.deb"
dpkg-deb -I "${packages[0]}" >"$work/control.txt"
depends=$(sed -n 's/^ Depends: //p' "$work/control.txt")
# Found by dpkg-shlibdeps, and what the program loads at run time without linking it.
for package in libc6 libqt6widgets6 libpulse0 libespeak-ng1 espeak-ng-data \
    libflite1 libmecab2 libsoxr0 mecab-naist-jdic fonts-noto-cjk qt6-qpa-plugins qt6-translations-l10n \
    libglib2.0-0; do
    [[ ", $depends," == *", $package"[\ ,]* ]] || fail "the package does not depend on $package: $depends"
done
# Playing PCM needs no multimedia framework (and its FFmpeg and GStreamer) in the install.
[[ ", $depends," != *multimedia* ]] || fail "the package depends on a multimedia framework: $depends"
# What only a menu item needs is loaded when it is first chosen, not before every first frame;
# no multimedia framework at all.
needed=$(readelf -d "$prefix/bin/kelvaro" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | tr '\n' ' ')
for library in libgio libQt6Charts libQt6OpenGL libQt6Multimedia; do
    [[ $needed != *$library* ]] || fail "kelvaro links $library: $needed"
done
dpkg-deb -c "${packages[0]}" >"$work/contents.txt"
for path in usr/bin/kelvaro usr/libexec/kelvaro/kelvaro-speech usr/libexec/kelvaro/kelvaro-audio \
    "usr/${module#"$prefix/"}" \
    usr/share/applications/$app.desktop usr/share/metainfo/$app.metainfo.xml \
    usr/share/icons/hicolor/256x256/apps/$app.png usr/share/man/man1/kelvaro.1.gz; do
    grep -q " \./$path\$" "$work/contents.txt" || fail "the package holds no $path"
done
# No error or warning, and every program hardened (lintian tells that only as information).
lintian --allow-root --display-info --fail-on none "${packages[0]}" >"$work/lintian.txt" 2>&1 ||
    fail "lintian did not run: $(cat "$work/lintian.txt")"
sed 's/^/lintian: /' "$work/lintian.txt"
! grep -Eq '^[EW]: |hardening-' "$work/lintian.txt" || fail "lintian found the faults above"
echo "PASS: installed into $prefix and packed ${packages[0]}"
echo "Depends: $depends"
