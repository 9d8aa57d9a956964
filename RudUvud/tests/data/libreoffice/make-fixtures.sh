#!/usr/bin/env bash
# Makes the comma-separated files a spreadsheet program writes, for the grid's reader tests:
# prizes.fods (a flat spreadsheet document, written below) converted by LibreOffice headless
# into prizes-comma.csv (its default options: ",", double quotes, UTF-8) and
# prizes-semicolon.csv (";"). Run it again after changing the table; commit its outputs.
set -euo pipefail
cd "$(dirname "$0")"
profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT

cell() { printf '<table:table-cell office:value-type="string"><text:p>%s</text:p></table:table-cell>' "$1"; }
num() { printf '<table:table-cell office:value-type="float" office:value="%s"><text:p>%s</text:p></table:table-cell>' "$1" "$1"; }
empty() { printf '<table:table-cell/>'; }
{
cat <<'HEAD'
<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
<office:body><office:spreadsheet><table:table table:name="Prizes">
HEAD
echo "<table:table-row>$(cell No)$(cell Name)$(cell Prize)$(cell Note)</table:table-row>"
echo "<table:table-row>$(num 1)$(cell 'Smith, J.')$(cell 'say &quot;hi&quot;')$(empty)</table:table-row>"
echo "<table:table-row>$(num 2)$(cell '中文獎品')$(cell 'a; b')$(cell 'x')</table:table-row>"
echo "<table:table-row>$(num 3)$(empty)$(cell 'last')$(cell '&quot;quoted&quot;, too')</table:table-row>"
cat <<'TAIL'
</table:table></office:spreadsheet></office:body></office:document>
TAIL
} > prizes.fods

convert() { # filter options, output name
    soffice -env:UserInstallation="file://$profile" --headless \
        --convert-to "csv:Text - txt - csv (StarCalc):$1" --outdir "$profile/out" prizes.fods >/dev/null
    mv "$profile/out/prizes.csv" "$2"
}
convert 44,34,76 prizes-comma.csv
convert 59,34,76 prizes-semicolon.csv
