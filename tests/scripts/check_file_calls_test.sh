#!/usr/bin/env bash
# scripts/check-file-calls passes on the tree as it is; on a copy with one
# ANSI path call or one system #if planted where the Windows build or a
# portable file has it, it fails naming file and call; what is allowed
# (the wide calls, each system's own files) stays unnamed.
# Usage: check_file_calls_test.sh REPO
set -u
REPO=$1
CHECK="$REPO/scripts/check-file-calls"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failed=0

"$CHECK" "$REPO" >"$tmp/out" 2>&1 || { echo "FAIL: the tree itself: $(cat "$tmp/out")"; failed=1; }

fresh_copy() {
    rm -rf "$tmp/copy" && mkdir -p "$tmp/copy/cmake"
    cp "$REPO/cmake/modules.txt" "$tmp/copy/cmake/"
    while read -r m; do cp -r "$REPO/$m" "$tmp/copy/"; done < <(grep '^[a-z]' "$REPO/cmake/modules.txt")
    cp -r "$REPO/cli" "$REPO/tools" "$tmp/copy/"
}

# file | line planted at its end | what the check must name ("" = nothing)
plants=(
    'shell/app_settings.cpp|static FILE* g() { return fopen("ZuvelS.ini", "r"); }|fopen'
    'link/port_win.cpp|static HANDLE g() { return CreateFileA("COM1", 0, 0, 0, 0, 0, 0); }|CreateFileA'
    'cli/platform_win.cpp|static DWORD g(char* b) { return GetModuleFileNameA(0, b, 9); }|GetModuleFileNameA'
    'shell/crash_report_win.cpp|static BOOL g() { return DeleteFile("x.dmp"); }|DeleteFile'
    'tools/soak_win.cpp|static std::ifstream g("Z:\\proc\\self\\status");|std::ifstream'
    'cli/road_commands.cpp|static const char* g() { return std::getenv("TEMP"); }|std::getenv'
    'shell/text_file.cpp|#ifdef _WIN32|#if on _WIN32'
    'cli/fields.h|#if defined(__linux__)|#if on __linux__'
    'shell/file_system_win.cpp|static FILE* g() { return _wfopen(L"x", L"r"); }|'
    'shell/file_system_posix.cpp|static FILE* g() { return fopen("x", "r"); }|'
    'link/wide_path_win.cpp|#ifdef _WIN32|'
    'tools/lpgsim.cpp|static FILE* g() { return fopen("x", "r"); }|'
    'config/page_view.cpp|// fopen( in a comment, as a remove() of ops->open(x)|'
)
for plant in "${plants[@]}"; do
    IFS='|' read -r file line expect <<<"$plant"
    fresh_copy
    printf '%s\n' "$line" >>"$tmp/copy/$file"
    "$CHECK" "$tmp/copy" >"$tmp/out" 2>&1
    rc=$?
    if [ -z "$expect" ]; then
        [ "$rc" -eq 0 ] || { echo "FAIL: $file: '$line' was named: $(cat "$tmp/out")"; failed=1; }
    elif [ "$rc" -eq 0 ]; then
        echo "FAIL: $file: '$line' passed"
        failed=1
    elif ! grep -qF "$file:" "$tmp/out" || ! grep -qF "$expect" "$tmp/out"; then
        echo "FAIL: $file: '$expect' not named: $(cat "$tmp/out")"
        failed=1
    fi
done
[ "$failed" -eq 0 ] && echo "PASS: file calls (${#plants[@]} plants judged)"
exit "$failed"
