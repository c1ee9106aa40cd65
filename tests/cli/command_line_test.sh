#!/usr/bin/env bash
# For each manual page in MAN_DIR (PROGRAM.1.gz), the program of that name in
# BIN_DIR:
#   --help        usage on standard output, nothing on standard error, 0
#   --version     "PROGRAM VERSION" on standard output, 0
#   --no-such-option   nothing on standard output, the usage on standard
#                 error, 2
# (all without any display: no DISPLAY, WAYLAND_DISPLAY or Qt platform)
# and its page: groff finds no fault in it, it names the program and version,
# and every option --help lists appears in it.
# usage: command_line_test.sh BIN_DIR MAN_DIR VERSION
set -uo pipefail

bin=${1:?usage: command_line_test.sh BIN_DIR MAN_DIR VERSION}
man_dir=${2:?}
version=${3:?}
work=$(mktemp -d /tmp/qzt617-cli.XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# run NAME ARGS...: the program's output in $work/out and $work/err, its
# status in $status.
run() {
  local program=$1
  shift
  status=0
  "$bin/$program" "$@" >"$work/out" 2>"$work/err" </dev/null || status=$?
}

# The options a usage text names: -x and --long-name words.
options_in() { grep -oE '(^|[ [,|])--?[a-zA-Z][a-zA-Z-]*' "$1" | sed 's/^[ [,|]//' | sort -u; }

check_program() {
  local program=$1 page=$2 text
  (
    failures=0
    unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
    run "$program" --help
    ((status == 0)) || fail "$program --help ended with $status: $(head -3 "$work/err")"
    grep -qi '^usage:' "$work/out" || fail "$program --help shows no usage line"
    [[ ! -s "$work/err" ]] || fail "$program --help wrote to standard error: $(head -3 "$work/err")"
    cp "$work/out" "$work/help"
    run "$program" --version
    ((status == 0)) || fail "$program --version ended with $status"
    [[ "$(cat "$work/out")" == "$program $version" ]] ||
      fail "$program --version says '$(cat "$work/out")', not '$program $version'"
    run "$program" --no-such-option
    ((status == 2)) || fail "$program --no-such-option ended with $status, not 2"
    [[ ! -s "$work/out" ]] || fail "$program --no-such-option wrote to standard output"
    grep -qi 'usage:' "$work/err" || fail "$program --no-such-option shows no usage on standard error"
    exit "$failures"
  ) || failures=$((failures + $?))

  zcat "$page" | groff -man -Tascii -ww -z 2>"$work/groff" || true
  [[ ! -s "$work/groff" ]] || fail "groff finds faults in $page: $(head -3 "$work/groff")"
  # Unhyphenated and wide, so that no option is broken across two lines.
  text=$(zcat "$page" | groff -man -Tascii -rHY=0 -rLL=300n 2>/dev/null | col -b)
  grep -q "^ *$program - " <<<"$text" || fail "$page does not name $program"
  grep -qF "$program $version" <<<"$text" || fail "$page is not of version $version"
  while read -r option; do
    grep -qe "$option" <<<"$text" || fail "$page does not mention $option from --help"
  done < <(options_in "$work/help")
}

shopt -s nullglob
pages=("$man_dir"/*.1.gz)
((${#pages[@]})) || { echo "FAIL: no manual pages in $man_dir" >&2; exit 1; }
for page in "${pages[@]}"; do
  program=$(basename "$page" .1.gz)
  [[ -x "$bin/$program" ]] || { fail "$page has no program $bin/$program"; continue; }
  check_program "$program" "$page"
done
((failures == 0)) || exit 1
echo "${#pages[@]} programs: --help, --version, unknown options and manual pages OK"
