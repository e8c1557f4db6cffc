#!/bin/sh
# Huge designs under an address-space limit: every one ends with the range message and a clean
# exit, none with the kernel's out-of-memory kill or a crash.
# Usage: memory_limit.sh <reliability_tests> <firxover-cli>
set -u
tests=$1
cli=$2
# 512 MiB: room for the programs and a design of a few million taps, not for the largest the tap
# limit admits (16777215 taps, about 1.3 GiB at the peak of a cascaded Calc), which then fails at
# its first band array instead of after minutes of work.
limit_kb=524288
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# The pipeline's own tests of huge designs, including the one that only a limit makes meaningful.
( ulimit -v $limit_kb && exec "$tests" --gtest_filter='*HugeCalcs*:*HugeSliders*' ) || fail "reliability_tests under ulimit -v $limit_kb"

# The CLI: exit status 1, the range message on stderr, nothing on stdout.
for taps in 2147483647 1073741824 100000000 16777215 -5 -2147483648; do
  for option in --low-taps --mid-taps --high-taps; do
    out=$( (ulimit -v $limit_kb && exec "$cli" design "$option" "$taps" --shelf-cut 3) 2>/tmp/memory_limit_err.$$)
    status=$?
    err=$(cat /tmp/memory_limit_err.$$)
    if [ $status -ne 1 ]; then
      fail "$option $taps: exit status $status (stderr: $err)"
    elif [ "$err" != "範囲チェックエラー" ]; then
      fail "$option $taps: stderr '$err'"
    elif [ -n "$out" ]; then
      fail "$option $taps: stdout '$out'"
    fi
  done
done
rm -f /tmp/memory_limit_err.$$

# A design that fits still runs under the limit.
out=$( (ulimit -v $limit_kb && exec "$cli" design --low-taps 31 --mid-taps 31 --high-taps 31) 2>&1)
case "$out" in
  *"Total Ntap = 31"*) ;;
  *) fail "a small design under the limit printed '$out'" ;;
esac

[ $failures -eq 0 ] && echo "all huge designs refused under ulimit -v $limit_kb"
exit $failures
