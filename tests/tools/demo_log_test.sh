#!/usr/bin/env bash
# The shipped demo log is what make-demo-log writes, byte for byte, to a file and to standard
# output alike; and the generator's refusals.
#   tests/tools/demo_log_test.sh MAKE-DEMO-LOG SHIPPED-LOG
set -uo pipefail
generator=${1:?usage: demo_log_test.sh MAKE-DEMO-LOG SHIPPED-LOG}
shipped=${2:?usage: demo_log_test.sh MAKE-DEMO-LOG SHIPPED-LOG}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0

check() {  # check DESCRIPTION COMMAND...: one named expectation
  local description=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAIL: $description" >&2
  fi
}
status_of() { "$@" >/dev/null 2>&1; echo $?; }

"$generator" "$work/file.log"
check "written to a file: status 0" [ $? -eq 0 ]
"$generator" >"$work/out.log"
check "written to standard output: status 0" [ $? -eq 0 ]
if ! cmp "$work/file.log" "$shipped"; then
  failed=$((failed + 1))
  echo "FAIL: $shipped is not make-demo-log's output; regenerate it with" >&2
  echo "  build/tools/make-demo-log assets/wspr-demo.log" >&2
else
  passed=$((passed + 1))
fi
check "standard output: the same bytes" cmp -s "$work/out.log" "$shipped"
check "two arguments: status 2" [ "$(status_of "$generator" a b)" -eq 2 ]
check "a file that cannot be made: status 1" \
  [ "$(status_of "$generator" "$work/none/x.log")" -eq 1 ]

echo "demo log: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
