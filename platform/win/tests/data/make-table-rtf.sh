#!/usr/bin/env bash
# Makes table.rtf: table.html saved as RTF by LibreOffice's word processor, and table.txt: that
# RTF file as LibreOffice itself reads it, saved as UTF-8 text (one line per paragraph, each table
# cell a paragraph). Needs libreoffice-writer-nogui; both results are committed so tests do not
# need the office suite.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cp table.html "$tmp/"
office() { soffice -env:UserInstallation="file://$tmp/profile" --headless "$@" >/dev/null; }
(cd "$tmp" && office --infilter="HTML (StarWriter)" --convert-to rtf table.html)
(cd "$tmp" && office --convert-to "txt:Text (encoded):UTF8" table.rtf)
cp "$tmp/table.rtf" "$tmp/table.txt" .
