#!/usr/bin/env bash
# The installer as IT uses it, with Wine's msiexec in the prefix of the end-to-end tests
# (WINEPREFIX, with a wineserver running):
#  1. an older package (version 1.0.0, one file it alone has, an older help page) is
#     installed silently with station settings but no log file; the installed program,
#     started without arguments, opens its Batch-ID dialog filled from them, proposing
#     the default log in the data folder, outside Program Files;
#  2. the package of this build installed over it, with some settings given anew: one
#     uninstall entry, of this version; every file of the program folder installed as
#     built, the older package's own file gone; the Start menu entry; the settings given
#     now written, those given only before kept; the dialog filled from both, with the
#     log file given;
#  3. the older package is refused over the newer one;
#  4. an uninstall removes the program, its Start menu entry and uninstall entry, and
#     keeps the station settings and a log in the data folder.
#   station.sh <package.msi> <list of the program folder's files> <program folder>
#              <icon> <make_installer.sh> <e2e_station.exe>
# The dialog's fields are read by e2e_station.exe's case installed_program_batch_dialog.
set -uo pipefail
msi=$1 list=$2 root=$3 icon=$4 make_installer=$5 station_cases=$6
[ -n "${WINEPREFIX:-}" ] || { echo "WINEPREFIX is not set (run from scripts/test)"; exit 1; }
drive_c="$WINEPREFIX/drive_c"
program_dir="$drive_c/Program Files/Clavoro"
data_dir="$drive_c/ProgramData/Orvane/Clavoro"
settings_key='HKLM\SOFTWARE\Orvane\Clavoro'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
version=$(basename "$msi" .msi)
version=${version#Clavoro-}
folder='C:\Program Files\Clavoro\'

failed=0
fail() { echo "FAIL: $*"; failed=1; }
# check "<what>" <command>...: the command succeeds, or the check fails.
check() {
    local what=$1
    shift
    "$@" || fail "$what"
}
msiexec() { wine msiexec "$@" /qn; }
windows_path() { winepath -w "$1" 2>/dev/null; }

work=$(mktemp -d)
older="$work/Clavoro-1.0.0.msi"
log_kept="$data_dir/installer-case.log"
# Whatever an earlier run or a failed step left: the programs, the settings, the log.
clean_up() {
    msiexec /x "$(windows_path "$msi")" >/dev/null 2>&1
    [ -f "$older" ] && msiexec /x "$(windows_path "$older")" >/dev/null 2>&1
    wine reg delete "$settings_key" /f >/dev/null 2>&1
    rm -f "$log_kept"
    rmdir "$data_dir" "$(dirname "$data_dir")" 2>/dev/null
    rm -rf "$work"
}
clean_up
mkdir -p "$work"
trap clean_up EXIT

# The value of a REG_SZ in a `reg query /s` listing of the settings key, or nothing.
value_of() { # <listing> <subkey or ""> <name>
    KEY="HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvane\\Clavoro${2:+\\$2}" NAME=$3 awk '
        /^HKEY/ { here = ($0 == ENVIRON["KEY"]) }
        here && $1 == ENVIRON["NAME"] && $2 == "REG_SZ" { sub(/^ *[^ ]+ +REG_SZ +/, ""); print }' "$1"
}
settings() { wine reg query "$settings_key" /s 2>/dev/null | tr -d '\r' >"$work/settings.txt"; }
# The uninstall entries named Clavoro, one "<DisplayVersion> <Publisher> <InstallLocation>"
# line each.
uninstall_entries() {
    wine reg query "$uninstall_key" /s 2>/dev/null | tr -d '\r' | awk '
        function entry() { if (name == "Clavoro") print version, publisher, folder }
        /^HKEY/ { entry(); name = version = publisher = folder = "" }
        $1 == "DisplayName" { name = $3 }
        $1 == "DisplayVersion" { version = $3 }
        $1 == "Publisher" { publisher = $3 }
        $1 == "InstallLocation" { folder = $0; sub(/^ *InstallLocation +REG_SZ +/, "", folder) }
        END { entry() }'
}
shortcuts() { find "$drive_c/users" "$drive_c/ProgramData" -name Clavoro.lnk 2>/dev/null; }
# The installed program started without arguments: its Batch-ID dialog's fields, each
# "<field>=<text>" checked against the expected ones; the program is then ended.
batch_dialog() { # <field>=<text>...
    (cd "$work" && wine "$station_cases" --gtest_filter=Station.installed_program_batch_dialog \
        "$program_dir/Clavoro.exe") 2>&1 | tr -d '\r' >"$work/dialog.txt"
    check "the installed program opens its Batch-ID dialog" \
        grep -q '^\[  PASSED  \] 1 test' "$work/dialog.txt"
    local expected seen
    for expected in "$@"; do
        seen=$(sed -n "s/^${expected%%=*}=//p" "$work/dialog.txt")
        check "the Batch-ID dialog shows $expected (seen: $seen)" test "$seen" = "${expected#*=}"
    done
    echo "The installed program's Batch-ID dialog:"
    grep -E '^(Product|Batch|Keystrokes|LogFile|LogMode)=' "$work/dialog.txt" | sed 's/^/  /'
}

# ---- the older package: the same files, an older help page, one file of its own ----
mkdir -p "$work/older/Clavoro"
while read -r f; do
    [ -n "$f" ] || continue
    mkdir -p "$work/older/Clavoro/$(dirname "${f#"$root"/}")"
    cp "$f" "$work/older/Clavoro/${f#"$root"/}"
done <"$list"
echo "older help" >"$work/older/Clavoro/help/html/index.html"
echo "a file of the older version" >"$work/older/Clavoro/retired.txt"
find "$work/older/Clavoro" -type f >"$work/older.list"
CLAVORO_SIGN_PFX="" bash "$make_installer" --version 1.0.0 --root "$work/older/Clavoro" \
    --list "$work/older.list" --icon "$icon" --msi "$older" >/dev/null ||
    { echo "FAIL: the older package could not be made"; exit 1; }

# ---- 1. the older package with the station's settings, the log file left out ----
check "the older package installs" msiexec /i "$(windows_path "$older")" \
    'OPTIONS=/b /d /c 30' LAYOUT=US104 PRODUCT=KB-100 BATCH=B-0001 KEYSTROKES=2 LOGMODE=append
check "the older package's own file is installed" test -f "$program_dir/retired.txt"
check "the older package is listed as installed" \
    test "$(uninstall_entries)" = "1.0.0 Orvane $folder"
batch_dialog Product=KB-100 Batch=B-0001 Keystrokes=2 \
    'LogFile=C:\ProgramData\Orvane\Clavoro\test.log' LogMode=append

# ---- 2. this build's package over it ----
check "the package installs over the older one" msiexec /i "$(windows_path "$msi")" \
    LAYOUT=UK105 PRODUCT=KB-200 'LOGFILE=\\server\share\line3.log'
entries=$(uninstall_entries)
check "one uninstall entry, of version $version by Orvane (seen: ${entries:-none})" \
    test "$entries" = "$version Orvane $folder"
installed=0
while read -r f; do
    [ -n "$f" ] || continue
    check "${f#"$root"/} is installed as built" cmp -s "$f" "$program_dir/${f#"$root"/}"
    installed=$((installed + 1))
done <"$list"
check "the older package's own file is gone" test ! -e "$program_dir/retired.txt"
extra=$(cd "$program_dir" && find . -type f | wc -l)
check "the program folder holds $installed files, no more (seen $extra)" test "$extra" -eq "$installed"
link=$(shortcuts)
check "one Start menu entry Clavoro (seen: ${link:-none})" test "$(echo "$link" | grep -c .)" -eq 1
check "the Start menu entry starts the installed Clavoro.exe" \
    grep -aq 'C:\\Program Files\\Clavoro\\Clavoro.exe' "$link"
settings
for expected in 'Options=/b /d /c 30' 'Layout=UK105' 'LogFile=\\server\share\line3.log' \
    'Product=KB-200' 'Batch=B-0001' 'Keystrokes=2' 'LogMode=append'; do
    name=${expected%%=*}
    seen=$(value_of "$work/settings.txt" Station "$name")
    check "station setting $expected (seen: $seen)" test "$seen" = "${expected#*=}"
done
check "the program folder is recorded" \
    test "$(value_of "$work/settings.txt" "" InstallFolder)" = "$folder"

echo "Installed into $(windows_path "$program_dir"):"
(cd "$program_dir" && find . -type f | sort | sed 's|^\./|  |')
echo "Start menu entry: $(windows_path "$link")"
echo "Uninstall entry: $entries"
batch_dialog Product=KB-200 Batch=B-0001 Keystrokes=2 'LogFile=\\server\share\line3.log' \
    LogMode=append

# ---- 3. no downgrade ----
msiexec /i "$(windows_path "$older")" >/dev/null 2>&1
check "the older package is refused over the newer one" \
    test "$(uninstall_entries)" = "$version Orvane $folder"
check "the program folder keeps the newer files" test ! -e "$program_dir/retired.txt"

# ---- 4. uninstall ----
mkdir -p "$data_dir"
echo "a test log" >"$log_kept"
check "the package uninstalls" msiexec /x "$(windows_path "$msi")"
left=$(find "$program_dir" -type f 2>/dev/null)
check "no file is left in the program folder (seen: $left)" test -z "$left"
check "the Start menu entry is gone" test -z "$(shortcuts)"
check "the uninstall entry is gone" test -z "$(uninstall_entries)"
settings
check "the station settings are kept" test "$(value_of "$work/settings.txt" Station Layout)" = UK105
check "the program folder's record is gone" \
    test -z "$(value_of "$work/settings.txt" "" InstallFolder)"
check "the log in the data folder is kept" test -f "$log_kept"
echo "Left after msiexec /x:"
find "$program_dir" "$data_dir" 2>/dev/null | sed "s|^$drive_c/|  C:/|"
sed 's/^/  /' "$work/settings.txt"

[ $failed -eq 0 ] && echo "installer: install, upgrade, refused downgrade and uninstall as expected"
exit $failed
