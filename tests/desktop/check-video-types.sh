#!/usr/bin/env bash
# Every extension the Open dialog offers belongs, in the system's MIME database, to a type the
# desktop entry claims; otherwise "Open With" does not offer the program for that file. Extensions
# the database does not know (.dat) are left out.
set -euo pipefail
filters=$1 entry=$2
globs=${MIME_GLOBS:-/usr/share/mime/globs2}
claimed=$(sed -n 's/^MimeType=//p' "$entry" | tr ';' '\n')
extensions=$(grep -o '\*\.[a-z0-9]*' "$filters" | sort -u | cut -c3-)
[[ -n "$extensions" ]] || { echo "no extensions found in $filters"; exit 1; }
failed=0
for extension in $extensions; do
  types=$(awk -F: -v glob="*.$extension" 'tolower($3) == glob { print $2 }' "$globs")
  [[ -n "$types" ]] || continue
  if ! grep -qxF -f <(echo "$types") <(echo "$claimed"); then
    echo "*.$extension is $(echo $types), which the desktop entry does not claim"
    failed=1
  fi
done
exit $failed
