#!/usr/bin/env bash
# When the build signed: every program, the DLL and the package carry a signature that
# osslsigncode verifies up to the build's certificate (CLAVORO_TEST_SIGN_CA, a self-signed
# root), and a program changed by one byte no longer verifies.
#   signatures.sh <package.msi> <list of the program folder's files>
set -uo pipefail
msi=$1 list=$2
if [ -z "${CLAVORO_SIGN_PFX:-}" ]; then
    echo "The build was not signed (no CLAVORO_SIGN_PFX): nothing to verify."
    exit 77
fi
[ -n "${CLAVORO_TEST_SIGN_CA:-}" ] || { echo "CLAVORO_TEST_SIGN_CA names no root"; exit 1; }

files=("$msi")
while read -r f; do
    case $f in *.exe | *.dll) files+=("$f") ;; esac
done <"$list"
failed=0
for f in "${files[@]}"; do
    if out=$(osslsigncode verify -CAfile "$CLAVORO_TEST_SIGN_CA" -in "$f" 2>&1); then
        echo "verified: $f"
    else
        echo "$out"
        echo "FAIL: the signature of $f does not verify"
        failed=1
    fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "${files[1]}" "$work/changed.exe"
# One byte of the code (past the headers) changed.
printf '\xcc' | dd of="$work/changed.exe" bs=1 seek=4200 conv=notrunc status=none
if osslsigncode verify -CAfile "$CLAVORO_TEST_SIGN_CA" -in "$work/changed.exe" >/dev/null 2>&1; then
    echo "FAIL: ${files[1]} changed by one byte still verifies"
    failed=1
fi
echo "${#files[@]} signatures checked"
exit $failed
