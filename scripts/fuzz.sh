#!/usr/bin/env bash
# Long fuzzing runs. Builds the fuzz tree (clang, libFuzzer, ASan/UBSan) and
# runs every fuzzer, or the ones named, for SECONDS each (default 600), one
# after the other, then prints one line per fuzzer: executions, edges and
# features covered, corpus size, findings.
#
#   bash scripts/fuzz.sh                  # every fuzzer, 10 minutes each
#   bash scripts/fuzz.sh 3600 parser ring # an hour each for two of them
#   bash scripts/fuzz.sh --summary LOG    # the same table from a ctest -V log
#
# New inputs collect in build/fuzz/corpus/<fuzzer>/ (kept between runs); a
# finding is written to build/fuzz/artifacts/<fuzzer>-crash-… . To keep one as
# a regression case: minimise it (build/fuzz/tests/fuzz/<fuzzer>_fuzz
# -minimize_crash=1 -exact_artifact_path=OUT FILE), fix the fault, and commit
# OUT as tests/fuzz/corpus/<fuzzer>/regress-<what>.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

# One table line per fuzzer from libFuzzer's output; the fuzzer's name comes
# from "Test command: …/<name>_fuzz" (ctest -V) or from the "== <name>" lines
# this script prints.
summarize() {
  awk '
    /Test command: .*_fuzz / { match($0, /[A-Za-z0-9]+_fuzz /); n = substr($0, RSTART, RLENGTH - 6)
                               split($1, a, ":"); names[a[1]] = n; order[++k] = n }
    /^== [A-Za-z0-9]+$/       { cur = $2; order[++k] = cur; next }
    {
      who = cur
      if (match($0, /^[0-9]+: /)) { split($1, a, ":"); who = names[a[1]] }
      if (who == "") next
      if ($0 ~ /DONE +cov:/) {
        for (i = 1; i <= NF; i++) {
          if ($i == "cov:") cov[who] = $(i + 1)
          if ($i == "ft:") ft[who] = $(i + 1)
          if ($i == "corp:") corp[who] = $(i + 1)
        }
      }
      if ($0 ~ /stat::number_of_executed_units:/) execs[who] = $NF
      if ($0 ~ /stat::average_exec_per_sec:/) rate[who] = $NF
      if ($0 ~ /Test unit written to/) found[who]++  # one line per finding, whatever found it
    }
    END {
      printf "%-10s %12s %10s %8s %8s %12s %9s\n", "fuzzer", "executions", "exec/s", "edges", "features", "corpus", "findings"
      for (j = 1; j <= k; j++) {
        n = order[j]; if (seen[n]++) continue
        printf "%-10s %12s %10s %8s %8s %12s %9d\n", n, execs[n], rate[n], cov[n], ft[n], corp[n], found[n]
      }
    }' "$1"
}

if [ "${1:-}" = "--summary" ]; then
  summarize "$2"
  exit 0
fi

seconds=${1:-600}
shift || true
bash scripts/setup.sh || exit 1
mkdir -p build
if ! { cmake --preset fuzz && cmake --build --preset fuzz -j2; } >build/build-fuzz.log 2>&1; then
  tail -40 build/build-fuzz.log
  echo "build of the fuzz tree failed (see build/build-fuzz.log)"
  exit 1
fi

fuzzers=("$@")
if [ ${#fuzzers[@]} -eq 0 ]; then
  for f in tests/fuzz/*_fuzz.cpp; do
    n=$(basename "$f" .cpp)
    fuzzers+=("${n%_fuzz}")
  done
fi

log=build/fuzz-long.log
: >"$log"
status=0
for n in "${fuzzers[@]}"; do
  echo "== $n" | tee -a "$log"
  mkdir -p "build/fuzz/corpus/$n" build/fuzz/artifacts
  if ! "build/fuzz/tests/fuzz/${n}_fuzz" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
      -print_final_stats=1 -close_fd_mask=2 -artifact_prefix="build/fuzz/artifacts/$n-" \
      "build/fuzz/corpus/$n" "tests/fuzz/corpus/$n" >>"$log" 2>&1; then
    status=1
  fi
done
summarize "$log"
exit $status
