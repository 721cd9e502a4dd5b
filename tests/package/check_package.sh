#!/usr/bin/env bash
# Checks the Debian package: its control data and contents, lintian, and the programs run from
# the package unpacked into a temporary root.
#   check_package.sh dist/velk_VERSION_ARCH.deb
set -uo pipefail
deb=$1
here=$(cd "$(dirname "$0")" && pwd)
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

field() {
    dpkg-deb --field "$deb" "$1"
}

[ -f "$deb" ] || { echo "FAIL: no package $deb" >&2; exit 1; }

echo "-- dpkg-deb --info"
dpkg-deb --info "$deb" || fail "dpkg-deb cannot read $deb"
version=$(field Version)
[ "$(field Package)" = velk ] || fail "the package is not named velk"
[[ $version =~ ^[0-9]+(\.[0-9]+)+$ ]] || fail "version '$version' is not the project's version number"
for name in Maintainer Description Section Priority Architecture Installed-Size; do
    [ -n "$(field "$name")" ] || fail "the control data has no $name"
done
# Depends is computed from the linked libraries, so the libraries the programs link are there.
depends=$(field Depends)
depends_names=$(tr ',|' '\n\n' <<<"$depends" | awk '{ print $1 }')
for library in libc6 libstdc++6 libqt6core6 libqt6widgets6 libsqlite3-0; do
    # Later Debian releases name some of them with a "t64" ending.
    grep -qxE "${library//+/\\+}(t64)?" <<<"$depends_names" || fail "Depends lacks $library: $depends"
done
grep -qF "qt6-translations-l10n" <<<"$(field Recommends)" || fail "Recommends lacks Qt's translations"
# No maintainer scripts: nothing the package installs needs one.
control_files=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | sed 's|^\./||' | grep -v '^$' | sort | tr '\n' ' ')
[ "$control_files" = "control md5sums " ] || fail "unexpected control files: $control_files"

echo "-- dpkg-deb --contents"
contents=$(dpkg-deb --contents "$deb") || fail "dpkg-deb cannot list $deb"
echo "$contents"
paths=$(awk '{ print $6 }' <<<"$contents")
outside=$(grep -vE '^\./(usr/.*)?$' <<<"$paths")
[ -z "$outside" ] || fail "installed outside /usr: $outside"
not_root=$(awk '$2 != "root/root" { print $6 }' <<<"$contents")
[ -z "$not_root" ] || fail "not owned by root: $not_root"
desktop=$(grep -oE '^\./usr/share/applications/[^/]+\.desktop$' <<<"$paths")
app_id=$(basename "${desktop:-none}" .desktop)
[[ $app_id =~ ^[a-z]+\.[A-Za-z0-9_]+(\.[A-Za-z0-9_-]+)+$ ]] || fail "no desktop entry with a reverse-DNS name"
expected=(
    usr/bin/velk usr/bin/velkctl usr/bin/velk-panel-sim
    "usr/share/applications/$app_id.desktop"
    "usr/share/metainfo/$app_id.metainfo.xml"
    "usr/share/icons/hicolor/scalable/apps/$app_id.svg"
    "usr/share/icons/hicolor/48x48/apps/$app_id.png"
    "usr/share/icons/hicolor/128x128/apps/$app_id.png"
    "usr/share/icons/hicolor/256x256/apps/$app_id.png"
    usr/share/man/man1/velk.1.gz usr/share/man/man1/velkctl.1.gz usr/share/man/man1/velk-panel-sim.1.gz
    usr/share/bash-completion/completions/velkctl usr/share/bash-completion/completions/velk
    usr/share/bash-completion/completions/velk-panel-sim
    usr/share/doc/velk/copyright usr/share/doc/velk/changelog.gz usr/share/doc/velk/guide.html
    usr/share/doc/velk/project-text.html usr/share/doc/velk/site-writes.html
    usr/share/doc-base/velk.velk-guide
)
for path in "${expected[@]}"; do
    grep -qxF "./$path" <<<"$paths" || fail "the package lacks /$path"
done

echo "-- lintian"
# CI runs as root, where lintian only warns that it would rather not.
lintian_output=$(lintian --display-info --fail-on error "$deb" 2>&1)
lintian_status=$?
echo "$lintian_output"
[ "$lintian_status" -eq 0 ] || fail "lintian reports errors"
# Built without the distribution's hardening flags, lintian only notes it; here it is a failure.
hardening_tags=$(grep -oE 'hardening-[a-z-]+' <<<"$lintian_output" | sort -u | tr '\n' ' ')
[ -z "$hardening_tags" ] || fail "lintian: $hardening_tags"

echo "-- the unpacked package"
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb cannot unpack $deb"
usr=$root/usr

for program in velk velkctl velk-panel-sim; do
    grep -q ', stripped' <<<"$(file -b "$usr/bin/$program")" || fail "$program is not stripped"
done

# Hardened as Debian builds (dpkg-buildflags, hardening=+all): position independent, read-only
# relocations bound at start, stack protector, fortified calls.
for program in velk velkctl velk-panel-sim; do
    binary=$usr/bin/$program
    grep -q 'Type: *DYN' <<<"$(readelf -h "$binary")" || fail "$program is not position independent"
    grep -q 'GNU_RELRO' <<<"$(readelf -lW "$binary")" || fail "$program has no read-only relocations"
    grep -qE 'BIND_NOW|FLAGS_1.*NOW' <<<"$(readelf -dW "$binary")" || fail "$program is not bound now"
    symbols=$(readelf --dyn-syms -W "$binary")
    grep -q '__stack_chk_fail' <<<"$symbols" || fail "$program has no stack protector"
    grep -qE '__[a-z0-9_]+_chk(@|$| )' <<<"$(grep -v __stack_chk_fail <<<"$symbols")" ||
        fail "$program calls no fortified function (_FORTIFY_SOURCE)"
done

# The one version number, printed by every program; velk without a display.
version_of() {
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@" --version 2>&1 |
        grep -oE '[0-9]+(\.[0-9]+)+' | head -n 1
}
for program in velk velkctl velk-panel-sim; do
    printed=$(version_of "$usr/bin/$program")
    [ "$printed" = "$version" ] ||
        fail "$program --version prints '${printed:-nothing}', the package is $version"
done
"$usr/bin/velk-panel-sim" --help >/dev/null || fail "velk-panel-sim --help fails"
"$usr/bin/velkctl" --help >/dev/null || fail "velkctl --help fails"

# velkctl works on a project file from the installed program.
project=$root/try.db
if "$usr/bin/velkctl" new "$project" && "$usr/bin/velkctl" show "$project" >/dev/null; then
    commands=$("$usr/bin/velkctl" commands "$project") || fail "velkctl commands fails"
    grep -q '^QM-PANEL-' <<<"$commands" || fail "velkctl commands prints no panel command"
else
    fail "velkctl new or show fails on $project"
fi

# velk starts from the installed paths and keeps running until it is stopped.
QT_QPA_PLATFORM=offscreen timeout 3 "$usr/bin/velk" "$root/try.db" >/dev/null 2>&1
status=$?
[ "$status" -eq 124 ] || fail "velk did not keep running from the installed paths (status $status)"

# The about box opens the guide beside the program's folder.
[ -f "$usr/bin/../share/doc/velk/guide.html" ] || fail "no guide at bin/../share/doc/velk/guide.html"

# The documents are written for the installed programs and every link among them resolves inside
# the installed tree; their tables are tables, not lines of pipes.
for page in "$usr"/share/doc/velk/*.html; do
    name=${page#"$root"}
    for target in $(grep -oE 'href="[^"]*"' "$page" | sed 's/^href="//; s/"$//'); do
        case $target in
            http://* | https://* | mailto:* | '#'*) continue ;;
        esac
        target=${target%%#*}
        if [[ $target == /* ]]; then
            resolved=$root$target
        else
            resolved=$(dirname "$page")/$target
        fi
        [ -e "$resolved" ] || fail "$name links $target, which the package does not install"
    done
    ! grep -q '^|' "$page" || fail "$name holds a table as lines of pipes"
done
grep -q '<table>' "$usr/share/doc/velk/guide.html" || fail "the guide's tables are not rendered as tables"
! grep -qE 'scripts/|\.md\b' "$usr/share/doc/velk/guide.html" ||
    fail "the installed guide names files of the source tree: $(grep -oE '[a-z/]*(scripts/[a-z.]*|[a-z-]+\.md)' "$usr/share/doc/velk/guide.html" | sort -u | tr '\n' ' ')"

# The copyright file names the libraries compiled into the programs.
for library in CLI11 'toml++' nlohmann; do
    grep -qF "$library" "$usr/share/doc/velk/copyright" || fail "the copyright file does not name $library"
done

desktop-file-validate "$usr/share/applications/$app_id.desktop" || fail "desktop-file-validate"
grep -qx "Icon=$app_id" "$usr/share/applications/$app_id.desktop" || fail "the desktop entry names another icon"
exec_program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$usr/share/applications/$app_id.desktop")
[ -x "$usr/bin/$exec_program" ] || fail "the desktop entry starts '$exec_program', which is not in the package"
appstreamcli validate --no-net "$usr/share/metainfo/$app_id.metainfo.xml" || fail "appstreamcli validate"
grep -q "<release version=\"$version\"" "$usr/share/metainfo/$app_id.metainfo.xml" ||
    fail "the metainfo's release is not $version"
for size in 48 128 256; do
    grep -q "PNG image data, $size x $size" <<<"$(file -b "$usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png")" ||
        fail "the ${size}x${size} icon is no $size pixel PNG"
done
grep -qF "velk ($version)" <<<"$(gzip -dc "$usr/share/doc/velk/changelog.gz" | head -n 1)" ||
    fail "the changelog's latest entry is not $version"

bash "$here/check_help_coverage.sh" "$usr/bin" "$usr/share/man/man1" \
    "$usr/share/bash-completion/completions" || fail "man pages or completions behind --help"

size=$(stat -c %s "$deb")
echo "package: $deb, $size bytes, Depends: $depends"
if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) of the package failed" >&2
    exit 1
fi
echo "the package is complete"
