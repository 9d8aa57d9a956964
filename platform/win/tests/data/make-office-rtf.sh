#!/usr/bin/env bash
# Makes office-doc.rtf: office-doc.html saved as RTF by LibreOffice's word processor.
# Needs libreoffice-writer-nogui; the result is committed so tests do not need the office suite.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cp office-doc.html "$tmp/"
(cd "$tmp" && soffice --headless --infilter="HTML (StarWriter)" --convert-to rtf office-doc.html >/dev/null)
cp "$tmp/office-doc.rtf" .
