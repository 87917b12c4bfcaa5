#!/usr/bin/env bash
# Installs the build under /usr in a scratch DESTDIR and checks what a user's system would get:
# the file list, the desktop files and manual pages through their checkers (where installed),
# the programs' --version, and that the installed frame, started through its link in /usr/bin,
# looks for the quote-import program where Lorquin was installed.
#
#   install_test.sh CMAKE BUILD_DIR EXPECTED_FILES VERSION
set -euo pipefail
cmake_program=$1 build_dir=$2 expected_files=$3 version=$4

fail() {
    echo "FEHLER: $*" >&2
    exit 1
}

# Resolved, since the programs report their real paths.
destdir=$(realpath "$(mktemp -d)")
trap 'rm -rf "$destdir"' EXIT
DESTDIR=$destdir "$cmake_program" --install "$build_dir" --prefix /usr >/dev/null
root=$destdir/usr

listing=$(cd "$destdir" && { find . -type f -printf '%P\n'; find . -type l -printf '%P -> %l\n'; } | LC_ALL=C sort)
diff -u "$expected_files" - <<<"$listing" || fail "die installierten Dateien weichen ab"

for program in "$root/bin/marlovex" "$root/bin/pxtool" "$root/lib/marlovex/Lorquin"; do
    name=$(basename "$program")
    answer=$("$program" --version)
    [ "$answer" = "$name (Marlovex Diagramm-Manager) $version" ] || fail "$name --version sagt: $answer"
done

# A tracker starts AppDir + "Lorquin"; --help names that path.
import_program=$("$root/bin/marlovex" --help | sed -n 's/^Kursimport: *//p')
[ "$import_program" = "$root/lib/marlovex/Lorquin" ] ||
    fail "marlovex sucht den Kursimport unter '$import_program'"

if command -v desktop-file-validate >/dev/null; then
    findings=$(desktop-file-validate "$root/share/applications/de.brelmund.Marlovex.desktop" 2>&1) &&
        [ -z "$findings" ] || fail "desktop-file-validate: $findings"
else
    echo "desktop-file-validate fehlt: Desktop-Eintrag nicht geprüft"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$root/share/metainfo/de.brelmund.Marlovex.metainfo.xml" ||
        fail "appstreamcli validate"
else
    echo "appstreamcli fehlt: Metainfo nicht geprüft"
fi
if command -v update-mime-database >/dev/null; then
    update-mime-database "$root/share/mime" >/dev/null 2>&1
    grep -qx '50:application/x-marlovex-layout:\*\.qvz' "$root/share/mime/globs2" ||
        fail "*.qvz gehört nicht zu application/x-marlovex-layout"
fi
if command -v man >/dev/null; then
    for page in "$root"/share/man/man1/*.1.gz; do
        findings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
        [ -z "$findings" ] || fail "$(basename "$page"): $findings"
    done
fi
echo "Installation in Ordnung"
