#!/usr/bin/env bash
# Makes Clavoro's Windows Installer package (and, with --zip, the portable zip) from a
# program folder and the list of its files, signing the programs, the DLL and the
# package when a code-signing certificate is given:
#
#   make_installer.sh --version 3.2.1002 --root dist/Clavoro --list files.txt
#                     --icon clavoro.ico --msi out.msi [--zip out.zip]
#
# --list names one file of the program folder a line (a full path under --root); only
# those go into the package and the zip. Signing, from the environment:
#   CLAVORO_SIGN_PFX            the certificate and its private key (PKCS#12)
#   CLAVORO_SIGN_PASSWORD       its password
#   CLAVORO_SIGN_TIMESTAMP_URL  a time-stamp server (RFC 3161), optional
# Without CLAVORO_SIGN_PFX nothing is signed (a signature left from an earlier signed
# build is taken off), and one line says so.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
version="" root="" list="" icon="" msi="" zip=""
while [ $# -gt 0 ]; do
    case $1 in
    --version) version=$2 ;;
    --root) root=$2 ;;
    --list) list=$2 ;;
    --icon) icon=$2 ;;
    --msi) msi=$2 ;;
    --zip) zip=$2 ;;
    *) echo "make_installer.sh: unknown argument $1" >&2; exit 2 ;;
    esac
    shift 2
done
[ -n "$version" ] && [ -n "$root" ] && [ -n "$list" ] && [ -n "$icon" ] && [ -n "$msi" ] || {
    echo "make_installer.sh: --version, --root, --list, --icon and --msi are needed" >&2
    exit 2
}
root=$(cd "$root" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The files, relative to the program folder, each checked to be there.
mapfile -t files <"$list"
relative=()
for f in "${files[@]}"; do
    [ -n "$f" ] || continue
    case $f in
    "$root"/*) ;;
    *) echo "make_installer.sh: $f is not in $root" >&2; exit 1 ;;
    esac
    [ -f "$f" ] || { echo "make_installer.sh: $f is missing" >&2; exit 1; }
    relative+=("${f#"$root"/}")
done

# ---- signing ----
sign_args=()
if [ -n "${CLAVORO_SIGN_PFX:-}" ]; then
    printf '%s' "${CLAVORO_SIGN_PASSWORD:-}" >"$work/password"
    sign_args=(-pkcs12 "$CLAVORO_SIGN_PFX" -readpass "$work/password" -h sha256
        -n "Clavoro")
    [ -n "${CLAVORO_SIGN_TIMESTAMP_URL:-}" ] && sign_args+=(-ts "$CLAVORO_SIGN_TIMESTAMP_URL")
fi

# Signs a file in place (a signature already there is replaced).
sign() {
    osslsigncode sign "${sign_args[@]}" -in "$1" -out "$work/signed" >"$work/sign.log" 2>&1 || {
        cat "$work/sign.log" >&2
        echo "make_installer.sh: signing $1 failed" >&2
        return 1
    }
    cat "$work/signed" >"$1"
    rm -f "$work/signed"
}

# Takes a signature off a file in place; a file without one is left as it is.
unsign() {
    if osslsigncode remove-signature -in "$1" -out "$work/unsigned" >/dev/null 2>&1; then
        cat "$work/unsigned" >"$1"
    fi
    rm -f "$work/unsigned"
}

programs=()
for f in "${relative[@]}"; do
    case $f in *.exe | *.dll) programs+=("$root/$f") ;; esac
done
if [ ${#sign_args[@]} -gt 0 ]; then
    for f in "${programs[@]}"; do sign "$f"; done
else
    for f in "${programs[@]}"; do unsign "$f"; done
    echo "Not signed: no code-signing certificate given (CLAVORO_SIGN_PFX)"
fi

# ---- the package ----
# One component per file, its identifiers made from the file's path, so that the same
# file has the same component in every build.
printf '%s\n' "${relative[@]/#/$root/}" | sort |
    wixl-heat -p "$root/" --component-group ProgramFiles --var var.SourceDir \
        --directory-ref INSTALLDIR >"$work/files.wxs"
# wixl finds a source file only by a relative path: it runs in the program folder.
icon_path=$(realpath --relative-to="$root" "$icon")
(cd "$root" && wixl -a x64 -D Version="$version" -D SourceDir=. -D IconFile="$icon_path" \
    -o "$work/package.msi" "$here/Clavoro.wxs" "$work/files.wxs") 2>"$work/wixl.log" || {
    cat "$work/wixl.log" >&2
    exit 1
}

# What wixl's WiX dialect has no attribute for, set in the package's tables:
#  - every component is 64-bit (files under ProgramFiles64Folder, the 64-bit registry view);
#  - each station setting is written only when its property is given (the component's
#    condition), and stays on uninstall and upgrade (a permanent component);
#  - a rebuild of the same version replaces the installed one too (VersionMax inclusive);
#  - the station properties are passed from the client to the installing service;
#  - the uninstall entry's program folder is set right after the folders are known
#    (wixl puts a custom action at the sequence's end, whatever its After).
registry_keypath=4 win64=256 permanent=16 version_max_inclusive=512 migrate_features=1
queries=("UPDATE Component SET Attributes = $win64 WHERE Attributes = 0")
secure="WIX_DOWNGRADE_DETECTED;WIX_UPGRADE_DETECTED"
for setting in OPTIONS:Options LAYOUT:Layout LOGFILE:LogFile PRODUCT:Product BATCH:Batch \
    KEYSTROKES:Keystrokes LOGMODE:LogMode; do
    queries+=("UPDATE Component SET Condition = '${setting%%:*}', Attributes = \
$((registry_keypath + win64 + permanent)) WHERE Component = 'Station${setting#*:}'")
    secure+=";${setting%%:*}"
done
# (Attributes is part of the Upgrade table's key: the row is made anew.)
upgrade_code=$(msiinfo export "$work/package.msi" Upgrade | tr -d '\r' |
    awk -F'\t' '$7 == "WIX_UPGRADE_DETECTED" { print $1 }')
queries+=("DELETE FROM Upgrade WHERE ActionProperty = 'WIX_UPGRADE_DETECTED'")
queries+=("INSERT INTO Upgrade (UpgradeCode, VersionMax, Attributes, ActionProperty) VALUES \
('$upgrade_code', '$version', $((migrate_features + version_max_inclusive)), 'WIX_UPGRADE_DETECTED')")
queries+=("UPDATE Property SET Value = '$secure' WHERE Property = 'SecureCustomProperties'")
queries+=("UPDATE InstallExecuteSequence SET Sequence = 1001 WHERE Action = 'SetInstallLocation'")
for q in "${queries[@]}"; do
    msibuild "$work/package.msi" -q "$q"
done

[ ${#sign_args[@]} -gt 0 ] && sign "$work/package.msi"
mkdir -p "$(dirname "$msi")"
mv "$work/package.msi" "$msi"
echo "Installer: $msi"

# ---- the portable zip: the program folder as one folder Clavoro ----
if [ -n "$zip" ]; then
    mkdir -p "$work/zip"
    ln -s "$root" "$work/zip/Clavoro"
    rm -f "$zip"
    (cd "$work/zip" && printf 'Clavoro/%s\n' "${relative[@]}" >"$work/zip.list" &&
        "${CMAKE:-cmake}" -E tar cf "$work/portable.zip" --format=zip --files-from="$work/zip.list")
    mv "$work/portable.zip" "$zip"
    echo "Portable zip: $zip"
fi
