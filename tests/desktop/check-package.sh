#!/usr/bin/env bash
# The Debian package made from this build tree (no second build) depends on the libraries the
# program links and on the plugins it loads, and the program unpacked from it runs.
set -euo pipefail
build=$1 version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; exit 1; }
deb=$work/kestivo_${version}_$(dpkg --print-architecture).deb
[[ -f "$deb" ]] || { echo "no $(basename "$deb"); made:"; ls "$work"; exit 1; }

failed=0
depends=$(dpkg-deb -f "$deb" Depends)
for package in libavcodec libavformat libswscale libqt6widgets6 libgstreamer1.0-0 libgif7 \
               qt6-qpa-plugins qt6-image-formats-plugins gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-libav; do
  grep -q "\(^\|, \)$package" <<<"$depends" || { echo "Depends lacks $package: $depends"; failed=1; }
done
[[ $(dpkg-deb -f "$deb" Section) == video ]] || { echo "Section is not video"; failed=1; }

dpkg-deb -x "$deb" "$work/root"
export KESTIVO_HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_CACHE_HOME=$work/cache
printed=$(QT_QPA_PLATFORM=offscreen timeout 30 "$work/root/usr/bin/kestivo" --version 2>&1) \
  || { echo "kestivo --version failed ($?): $printed"; exit 1; }
grep -q "$version" <<<"$printed" || { echo "kestivo --version printed: $printed"; failed=1; }
exit $failed
