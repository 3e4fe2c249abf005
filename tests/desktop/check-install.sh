#!/usr/bin/env bash
# "cmake --install" puts every file where the freedesktop specifications and man look for it, and
# the files agree with one another: the entry starts the installed program and names the installed
# icon, the description launches the installed entry, and its newest release is this version.
set -euo pipefail
build=$1 id=$2 version=$3
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

failed=0
fail() { echo "$*"; failed=1; }
for file in bin/kestivo share/applications/$id.desktop share/icons/hicolor/scalable/apps/kestivo.svg \
            share/mime/packages/kestivo.xml share/metainfo/$id.metainfo.xml share/man/man1/kestivo.1.gz; do
  [[ -f "$prefix/$file" ]] || fail "missing: $file"
done
[[ -x "$prefix/bin/kestivo" ]] || fail "bin/kestivo is not executable"
((failed == 0)) || exit 1

entry=$prefix/share/applications/$id.desktop
program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
[[ -x "$prefix/bin/$program" ]] || fail "Exec starts '$program', which is not installed in bin"
icon=$(sed -n 's/^Icon=//p' "$entry")
[[ -f "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" ]] || fail "Icon=$icon has no installed icon"

# The tree check finds, among others, a description whose launchable entry is not installed.
appstreamcli validate-tree --no-net "$prefix" >"$prefix/validate.log" || { cat "$prefix/validate.log"; failed=1; }
newest=$(xmllint --xpath 'string(/component/releases/release[1]/@version)' "$prefix/share/metainfo/$id.metainfo.xml")
[[ "$newest" == "$version" ]] || fail "the newest release in the description is $newest, the project is $version"

gzip -dc "$prefix/share/man/man1/kestivo.1.gz" | grep -q "^\.TH KESTIVO 1 .*Kestivo $version" \
  || fail "the manual page does not carry version $version"
exit $failed
