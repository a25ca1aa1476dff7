#!/usr/bin/env bash
# The project's test command: sets up, builds the trees, runs every native
# unit test, a short run of every fuzzer and every Win32 test under Wine, and
# closes with one line "N passed, N failed". Exit status 0 only when
# everything passed.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup.sh || { echo "setup failed"; echo "0 passed, 1 failed"; exit 1; }

if ! bash scripts/build.sh; then
  echo "0 passed, 1 failed"
  exit 1
fi

passed=0
failed=0
count() { # reads ctest's summary line from a log
  local line
  line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -1)
  if [ -z "$line" ]; then
    if grep -q 'No tests were found' "$1"; then return; fi
    failed=$((failed + 1)); return
  fi
  local f total
  f=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
  total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
  passed=$((passed + total - f))
  failed=$((failed + f))
}

echo "== native unit tests"
ctest --preset native 2>&1 | tee build/ctest-native.log | grep -E 'tests passed|Failed|\*\*\*' 
count build/ctest-native.log

echo "== fuzzers, a short run each"
ctest --preset fuzz -V >build/ctest-fuzz.log 2>&1
grep -E 'tests passed|Failed|\*\*\*' build/ctest-fuzz.log
bash scripts/fuzz.sh --summary build/ctest-fuzz.log
count build/ctest-fuzz.log

echo "== Win32 tests under Wine"
# shellcheck source=scripts/wineenv.sh
source scripts/wineenv.sh
if gyx_wine_up; then
  ctest --preset win64 2>&1 | tee build/ctest-win64.log | grep -E 'tests passed|Failed|\*\*\*'
  count build/ctest-win64.log
  gyx_wine_down
else
  echo "could not start the Wine environment"
  failed=$((failed + 1))
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
