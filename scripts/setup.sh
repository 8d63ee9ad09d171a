#!/usr/bin/env bash
# Installs what the build needs (Debian 12), configures and builds.
#   scripts/setup.sh build   install and build
#   scripts/setup.sh run     install, build and start the program
#   scripts/setup.sh test    install, build and run the whole test suite (with
#                            CI=true also under AddressSanitizer and
#                            UndefinedBehaviorSanitizer, the threaded tests under
#                            ThreadSanitizer, and each fuzz target for 25 s)
#   scripts/setup.sh fuzz [SECONDS]   build the fuzz targets (clang) in <build>-fuzz
#                            and run each for SECONDS (default 60)
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
build="${VANTOSCOPE_BUILD_DIR:-$here/build}"
mode="${1:-build}"

packages=(build-essential cmake ninja-build pkg-config
          qtbase5-dev qttools5-dev qttools5-dev-tools qttranslations5-l10n
          qt5-image-formats-plugins
          libfftw3-dev libtiff-dev libgtest-dev libbenchmark-dev)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The file readers under libFuzzer: one program per reader, built with clang
# and the sanitizers in <build>-fuzz, run in parallel for $1 seconds each from
# a scratch copy of the seeds and the kept regression inputs. Prints runs,
# executions per second and findings per target; fails on any finding.
fuzz_targets=(image spectrum energyref errpoints cfg batch emp lines batchfile)
run_fuzz() {
  local seconds="$1" fuzz="${build}/fuzz" cxx=""
  for c in clang++-14 clang++; do
    command -v "$c" > /dev/null && { cxx="$c"; break; }
  done
  if [ -z "$cxx" ] || ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a > /dev/null 2>&1; then
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends clang libclang-rt-14-dev
    cxx="$(command -v clang++-14 || command -v clang++)"
  fi
  cmake -S "$here" -B "$fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER="$cxx" -DVANTOSCOPE_FUZZ=ON > /dev/null
  cmake --build "$fuzz" --parallel "$(nproc)" --target "${fuzz_targets[@]/#/fuzz_}"
  local runs="$fuzz/fuzz-runs"
  rm -rf "$runs"
  for t in "${fuzz_targets[@]}"; do
    mkdir -p "$runs/$t/corpus"
    cp "$here/tests/fuzz/corpus/$t/"* "$runs/$t/corpus/"
    cp "$here/tests/fuzz/regressions/$t/"* "$runs/$t/corpus/" 2> /dev/null || true
    local dict=()
    [ -f "$here/tests/fuzz/$t.dict" ] && dict=(-dict="$here/tests/fuzz/$t.dict")
    # Started from inside the run folder: files the inputs name land there.
    ( cd "$runs/$t" && ASAN_OPTIONS=detect_leaks=0 "$fuzz/tests/fuzz/fuzz_$t" "${dict[@]}" \
        -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$runs/$t/" corpus > log 2>&1; echo $? > rc ) &
  done
  wait
  local passed=0 failed=0
  for t in "${fuzz_targets[@]}"; do
    local n rate found
    n="$(sed -n 's/^stat::number_of_executed_units: *//p' "$runs/$t/log" | tail -1)"
    rate="$(sed -n 's/^stat::average_exec_per_sec: *//p' "$runs/$t/log" | tail -1)"
    found="$(cd "$runs/$t" && ls -d crash-* leak-* timeout-* oom-* slow-unit-* 2> /dev/null || true)"
    if [ "$(cat "$runs/$t/rc")" = 0 ] && [ -z "$found" ]; then
      passed=$((passed + 1))
      echo "fuzz_$t: ${n:-0} runs, ${rate:-0} exec/s, no findings"
    else
      failed=$((failed + 1))
      echo "fuzz_$t: ${n:-0} runs, ${rate:-0} exec/s, FINDING (exit $(cat "$runs/$t/rc")):" $found
      grep -E "^(==[0-9]+==ERROR|SUMMARY|.*runtime error)" "$runs/$t/log" | head -5 || true
      echo "  log: $runs/$t/log"
    fi
  done
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}

# The whole test suite once more, built with AddressSanitizer and
# UndefinedBehaviorSanitizer in <build>/asan.
run_sanitized_tests() {
  local asan="${build}/asan"
  cmake -S "$here" -B "$asan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTOSCOPE_SANITIZE=ON \
        -DVANTOSCOPE_BENCH=OFF > /dev/null
  cmake --build "$asan" --parallel "$(nproc)"
  ( cd "$asan" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$(nproc)" --timeout 300 )
  echo "sanitizer tests passed"
}

# The programs that start threads once more, built with ThreadSanitizer in
# <build>/tsan (Qt as the distribution ships it; tools/tsan/qtsync.cpp and
# tests/tsan.supp come with that build). A report ends the test program and
# fails its test.
run_tsan_tests() {
  local tsan="${build}/tsan"
  cmake -S "$here" -B "$tsan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTOSCOPE_TSAN=ON \
        -DVANTOSCOPE_BENCH=OFF > /dev/null
  cmake --build "$tsan" --parallel "$(nproc)" --target threaded_tests
  ( cd "$tsan" && QT_QPA_PLATFORM=offscreen TSAN_OPTIONS="halt_on_error=1 exitcode=66" \
      ctest -L threads --output-on-failure --parallel "$(nproc)" --timeout 600 )
  echo "thread sanitizer tests passed"
}

if [ "$mode" = fuzz ]; then
  run_fuzz "${2:-60}"
  exit
fi

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --parallel "$(nproc)"

case "$mode" in
  build) ;;
  run)
    # The demo stack (I1 and I0 images across the Fe K edge, two references)
    # goes to $build/demo; the demo batch reads and writes there.
    demo="$build/demo"
    rm -rf "$demo"
    "$build/vantoscope-makedemo" "$demo"
    cp "$here/data/demo.bat" "$demo/demo.bat"
    cd "$demo"
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
      # No screen: run the demo batch headless; it ends with "quit".
      QT_QPA_PLATFORM=offscreen "$build/vantoscope" -d "$demo" -b demo.bat -x
      echo "Demo maps in $demo: fe2o3_fraction-0.dat / .tif, feo_fraction-1.dat / .tif"
      echo "(text: one \"x y fraction\" line per pixel), fe2o3_fraction.png, spectrum_16_12-T.dat"
    else
      # The batch is loaded into the batch window ("Batch Ctrl."); Exec. runs it.
      "$build/vantoscope" -d "$demo" -b demo.bat
    fi
    ;;
  test)
    # One-definition check: both programs linked with link-time optimisation,
    # where a class laid out differently in two files is an error.
    odr="${build}/odr"
    cmake -S "$here" -B "$odr" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTOSCOPE_ODR_CHECK=ON \
          -DVANTOSCOPE_TESTS=OFF -DVANTOSCOPE_BENCH=OFF > /dev/null
    cmake --build "$odr" --parallel "$(nproc)" --target vantoscope vantoscope-classic
    echo "one-definition check passed"
    cd "$build"
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$(nproc)" --timeout 300
    # CI also runs the suite under the sanitizers and fuzzes every file reader
    # briefly; developers' runs stay fast.
    if [ "${CI:-}" = true ]; then
      run_sanitized_tests
      run_tsan_tests
      run_fuzz 25
    fi
    ;;
  *) echo "usage: $0 [build|run|test|fuzz [SECONDS]]" >&2; exit 2 ;;
esac
