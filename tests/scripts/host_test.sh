#!/usr/bin/env bash
# The host decisions of scripts/setup, scripts/test and scripts/run, case by case: what to
# do about wine32, which builds' suites run, which bar starts.
set -uo pipefail
. "$(dirname "$0")/../../scripts/host.sh"

failures=0
# expect LABEL EXPECTED-OUTPUT EXPECTED-STATUS COMMAND...
expect() {
  local label=$1 want=$2 want_status=$3 got status
  shift 3
  got=$("$@" 2>/dev/null)
  status=$?
  if [ "$got" = "$want" ] && [ "$status" -eq "$want_status" ]; then
    echo "ok    $label"
  else
    echo "FAIL  $label: got '$got' (status $status), want '$want' (status $want_status)"
    failures=$((failures + 1))
  fi
}

#      case                                     output         status  call
expect "32-bit host without wine32 installs it"  install        0  wine32_action yes no
expect "32-bit host keeps its wine32"            keep           0  wine32_action yes yes
expect "64-bit-only host removes wine32"         remove         0  wine32_action no yes
expect "64-bit-only host goes without wine32"    none           0  wine32_action no no
expect "unknown answer is refused"               ""             2  wine32_action maybe no

expect "32-bit host tests both builds"           "i686 x86_64"  0  test_architectures yes ""
expect "64-bit-only host tests the x64 build"    x86_64         0  test_architectures no ""
expect "VANTELO_ARCH=i686 on a 32-bit host"      i686           0  test_architectures yes i686
expect "VANTELO_ARCH=i686 on a 64-bit-only host" ""             1  test_architectures no i686
expect "VANTELO_ARCH=x86_64 on a 32-bit host"    x86_64         0  test_architectures yes x86_64
expect "VANTELO_ARCH=x86_64 on 64-bit-only host" x86_64         0  test_architectures no x86_64
expect "unknown VANTELO_ARCH is refused"         ""             2  test_architectures yes arm64

expect "32-bit host runs the shipped bar"        i686           0  run_architecture yes
expect "64-bit-only host runs the x64 bar"       x86_64         0  run_architecture no

# The probe runs its program and answers yes or no; which, depends on the host.
answer=$(yes_no host_runs_32bit)
case $answer in yes | no) ;; *) echo "FAIL  probe answered '$answer'"; failures=$((failures + 1)) ;; esac
echo "this host runs 32-bit x86 programs: $answer"

[ "$failures" -eq 0 ]
