#!/usr/bin/env bash
# Builds the libFuzzer configuration and runs every fuzzer for a bounded time.
# Exits non-zero when any fuzzer finds a crash, a leak, a timeout or runs out of memory.
#
# Usage: tests/fuzz/run-fuzzers.sh [SECONDS] [BUILD_DIR]
#   SECONDS    time per fuzzer (default 30)
#   BUILD_DIR  fuzz build directory (default <source>/build-fuzz); configured here with
#              clang, -DKORVEX_FUZZ=ON and RelWithDebInfo
#
# Conventions, for a fuzzer named foo_fuzz:
#   - it is registered with korvex_add_fuzzer(foo_fuzz <sources> LIBS <libs>), so the
#     executable is named foo_fuzz;
#   - its seed corpus is the directory tests/<area>/corpus/foo/ (anywhere under tests/,
#     exactly one such directory); a fuzzer without one starts from nothing;
#   - an optional libFuzzer dictionary sits beside it: tests/<area>/corpus/foo.dict.
# Each run works on a scratch copy of the seeds in BUILD_DIR/fuzz-work/foo/, so the
# source tree is never changed; the input of a finding is written to
# BUILD_DIR/fuzz-artifacts/foo/. Turn a finding into a regression test before fixing it.
#
# Environment: CC/CXX (default clang/clang++), FUZZ_JOBS (build jobs, default 2),
# FUZZ_TIMEOUT (seconds one input may take, default 25), FUZZ_RSS_MB (default 2048).
set -euo pipefail

seconds="${1:-30}"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${2:-$root/build-fuzz}"
jobs="${FUZZ_JOBS:-2}"
timeout="${FUZZ_TIMEOUT:-25}"
rss="${FUZZ_RSS_MB:-2048}"

# A build folder already configured for fuzzing (the test script's sanitizer build) is
# used as it is; anything else is configured here.
if ! grep -q '^KORVEX_FUZZ:BOOL=ON' "$build/CMakeCache.txt" 2>/dev/null; then
    CC="${CC:-clang}" CXX="${CXX:-clang++}" \
        cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVEX_FUZZ=ON >/dev/null
fi

# Every target whose name ends in _fuzz.
mapfile -t targets < <(cmake --build "$build" --target help | sed -n 's/^\([A-Za-z0-9_]*_fuzz\): .*/\1/p' | sort -u)
if [ "${#targets[@]}" -eq 0 ]; then
    echo "run-fuzzers: no fuzz targets found" >&2
    exit 1
fi
cmake --build "$build" -j "$jobs" --target "${targets[@]}"

# Fuzzers run side by side, FUZZ_PARALLEL at a time (default: the number of cores);
# each writes its own log, shown in full when it fails.
parallel="${FUZZ_PARALLEL:-$(nproc)}"
logs="$build/fuzz-logs"
rm -rf "$logs"
mkdir -p "$logs"

run_one() {  # run_one NAME EXE ARGS...: exit status of the fuzzer
    local name="$1" exe="$2"
    shift 2
    if "$exe" "$@" >"$logs/$name.log" 2>&1; then
        echo "=== $name: $(grep -m1 -o 'Done [0-9]* runs in [0-9]* second(s)' "$logs/$name.log" || echo done)"
    else
        echo "=== $name FAILED; inputs in $build/fuzz-artifacts/${name%_fuzz}" >&2
        tail -n 60 "$logs/$name.log" >&2
        touch "$logs/$name.failed"
    fi
}

failed=()
for name in "${targets[@]}"; do
    exe="$(find "$build" -path '*/CMakeFiles' -prune -o -type f -perm -u+x -name "$name" -print | head -n 1)"
    if [ -z "$exe" ]; then
        echo "run-fuzzers: $name was not built" >&2
        failed+=("$name")
        continue
    fi
    base="${name%_fuzz}"
    mapfile -t seeds < <(find "$root/tests" -type d -path "*/corpus/$base" | sort)
    work="$build/fuzz-work/$base"
    artifacts="$build/fuzz-artifacts/$base"
    rm -rf "$work"
    mkdir -p "$work" "$artifacts"
    args=(-max_total_time="$seconds" -timeout="$timeout" -rss_limit_mb="$rss" -print_final_stats=1
          -artifact_prefix="$artifacts/")
    if [ "${#seeds[@]}" -gt 0 ]; then
        cp -R "${seeds[0]}/." "$work/"
        dict="$(dirname "${seeds[0]}")/$base.dict"
        [ -f "$dict" ] && args+=(-dict="$dict")
    else
        echo "run-fuzzers: $name has no seed corpus (tests/<area>/corpus/$base/)" >&2
    fi
    echo "--- $name: ${seconds}s, seeds: ${seeds[0]:-none}"
    while [ "$(jobs -rp | wc -l)" -ge "$parallel" ]; do
        sleep 1
    done
    run_one "$name" "$exe" "${args[@]}" "$work" &
done
wait
for name in "${targets[@]}"; do
    [ -e "$logs/$name.failed" ] && failed+=("$name")
done

if [ "${#failed[@]}" -gt 0 ]; then
    echo "run-fuzzers: failures: ${failed[*]}" >&2
    exit 1
fi
echo "run-fuzzers: all ${#targets[@]} fuzzer(s) ran ${seconds}s without a finding"
