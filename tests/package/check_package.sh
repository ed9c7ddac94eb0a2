#!/usr/bin/env bash
# The release zip as a user gets it (made by scripts/package, which scripts/test runs first):
#
#   check_package.sh ZIP OBJDUMP PACKAGE_CHECK_EXE VERSION
#
# unpacks it into a new folder; checks its files, that tuckbay.exe needs no DLL beyond the
# system's, that the README is readable in the Japanese code page; then, under Wine (the
# environment of scripts/test), starts the unpacked exe through PACKAGE_CHECK_EXE.
set -uo pipefail
zip=$1 objdump=$2 checker=$3 version=$4
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

if [ ! -f "$zip" ]; then
  echo "FAIL: $zip is missing: scripts/package makes it"
  exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/tuckbay" "$work/elsewhere"
(cd "$work/tuckbay" && cmake -E tar xf "$zip") || fail "the zip does not unpack"
dir=$work/tuckbay

listed=$(cd "$dir" && find . -mindepth 1 -printf '%P\n' | sort | tr '\n' ' ')
[ "$listed" = "LICENSE README.txt tuckbay.exe tuckbay2.chm " ] ||
  fail "the zip holds '$listed', not LICENSE README.txt tuckbay.exe tuckbay2.chm"

# DLLs that every Windows has; anything else would have to travel with the exe.
system_dlls=" advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ntdll.dll
  ole32.dll oleacc.dll oleaut32.dll psapi.dll shell32.dll shlwapi.dll user32.dll uxtheme.dll
  version.dll "
imports=$("$objdump" -p "$dir/tuckbay.exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
[ -n "$imports" ] || fail "objdump lists no imports of tuckbay.exe"
for dll in $imports; do
  case "$system_dlls" in
  *" $dll "*) ;;
  *) [[ $dll == api-ms-win-* ]] || fail "tuckbay.exe imports $dll, which is not a system DLL" ;;
  esac
done
"$objdump" -h "$dir/tuckbay.exe" | grep -q '\.debug_' && fail "tuckbay.exe is not stripped"

readme=$(iconv -f CP932 -t UTF-8 "$dir/README.txt") || fail "README.txt is not in code page 932"
for word in "Tuckbay v$version" tuckbay.exe tuckbay2.ini tuckbay2.chm "MIT ライセンス"; do
  [[ $readme == *"$word"* ]] || fail "README.txt does not mention $word"
done
grep -q "Tuckbay 開発チーム" "$dir/LICENSE" && grep -q "MIT License" "$dir/LICENSE" ||
  fail "LICENSE is not the MIT licence of Tuckbay 開発チーム"

winpath() { printf 'Z:%s' "${1//\//\\}"; }
wine "$checker" "$(winpath "$dir")" "$version" "$(winpath "$work/elsewhere")" 2>&1 | tr -d '\r'
[ "${PIPESTATUS[0]}" -eq 0 ] || fail "the unpacked program did not pass its checks"

[ "$failures" -eq 0 ] && echo "the release $(basename "$zip") unpacks, runs and finds its help"
exit $((failures > 0))
