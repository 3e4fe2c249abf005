#!/usr/bin/env bash
# The manual page formats without a warning from man or groff (what Debian's checks run).
set -euo pipefail
warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$1" 2>&1 >/dev/null)
[[ -z "$warnings" ]] || { echo "$warnings"; exit 1; }
man -l "$1" 2>/dev/null | grep -q '^EXIT STATUS' || { echo "the page does not format"; exit 1; }
