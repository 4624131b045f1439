#!/usr/bin/env bash
# What Windows Installer does with the package and Wine's msiexec does not show, read
# from the package's tables as Microsoft's documentation of them describes it:
#  - Component Table: a component with msidbComponentAttributesPermanent (16) is not
#    removed by an uninstall. Wine leaves a conditioned registry component's values in
#    place either way, so the install case cannot tell a station setting kept on purpose.
#  - Upgrade Table: msidbUpgradeAttributesVersionMaxInclusive (512) makes a package of the
#    same version (a rebuild) replace the installed one instead of being installed beside it.
#  - SecureCustomProperties Property: only the public properties it names reach the
#    installation's server side in a managed (elevated) install; Wine has no such side.
#   tables.sh <package.msi>
set -uo pipefail
msi=$1
failed=0
fail() { echo "FAIL: $*"; failed=1; }
table() { msiinfo export "$msi" "$1" | tr -d '\r' | tail -n +4; }
version=$(table Property | awk -F'\t' '$1 == "ProductVersion" { print $2 }')

components=$(table Component)
for setting in OPTIONS:Options LAYOUT:Layout LOGFILE:LogFile PRODUCT:Product BATCH:Batch \
    KEYSTROKES:Keystrokes LOGMODE:LogMode; do
    row=$(echo "$components" | awk -F'\t' -v c="Station${setting#*:}" '$1 == c { print $4, $5 }')
    read -r attributes condition <<<"$row"
    [ -n "$attributes" ] || { fail "no component Station${setting#*:}"; continue; }
    [ $((attributes & 16)) -ne 0 ] || fail "Station${setting#*:} is not permanent ($attributes)"
    [ "$condition" = "${setting%%:*}" ] ||
        fail "Station${setting#*:} is installed on '$condition', not on ${setting%%:*}"
done

upgrade=$(table Upgrade | awk -F'\t' '$7 == "WIX_UPGRADE_DETECTED" { print $3, $5 }')
read -r version_max attributes <<<"$upgrade"
[ "$version_max" = "$version" ] || fail "older versions are looked for up to '$version_max', not $version"
[ $((${attributes:-0} & 512)) -ne 0 ] || fail "a rebuild of $version is not replaced (${attributes:-no row})"
[ $((${attributes:-0} & 2)) -eq 0 ] || fail "an older version is only detected, not removed"

secure=$(table Property | awk -F'\t' '$1 == "SecureCustomProperties" { print $2 }')
for property in OPTIONS LAYOUT LOGFILE PRODUCT BATCH KEYSTROKES LOGMODE; do
    [[ ";$secure;" == *";$property;"* ]] || fail "$property is not a secure property ($secure)"
done
[ $failed -eq 0 ] && echo "the package's tables are as Windows Installer needs them"
exit $failed
