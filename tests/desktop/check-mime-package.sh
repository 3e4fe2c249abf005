#!/usr/bin/env bash
# The MIME package is well formed, and the MIME database built from it alone gives "*.kvo" to the
# library document's type: update-mime-database is what desktops run on it, and it drops entries
# it does not understand rather than failing.
set -euo pipefail
package=$1
xmllint --noout "$package"
db=$(mktemp -d)
trap 'rm -rf "$db"' EXIT
mkdir "$db/packages"
cp "$package" "$db/packages/"
update-mime-database "$db"
grep -qx 'application/x-kestivo-document:\*\.kvo' <(cut -d: -f2- "$db/globs2") \
  || { echo "*.kvo is not application/x-kestivo-document in the built database:"; cat "$db/globs2"; exit 1; }
grep -q '^application/x-kestivo-document' "$db/types" || { echo "the type is missing from the database"; exit 1; }
