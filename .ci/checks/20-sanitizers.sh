#!/usr/bin/env bash
# Memory and undefined-behaviour faults: the whole suite built with AddressSanitizer and
# UndefinedBehaviorSanitizer (clang, whose "undefined" group also covers float-to-integer
# overflow) in build-asan, every test run there; then the tests labelled "threads" built
# with ThreadSanitizer in build-tsan and run. Any report ends the test that made it.
set -euo pipefail
cd "$(dirname "$0")/../.."
source .ci/lib.sh
need_packages clang-14 cmake ninja-build qt6-base-dev libgtest-dev

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# -O1 keeps the tests quick while the stack traces stay readable; asserts stay on.
configure() {
  local dir=$1 flags=$2
  cmake -S . -B "$dir" -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 "${launcher[@]}" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" \
    -DCMAKE_CXX_FLAGS="$flags -fno-omit-frame-pointer" \
    -DCMAKE_EXE_LINKER_FLAGS="$flags" -DWITH_BENCHMARKS=OFF >/dev/null
}

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/.ci/lsan.supp:print_suppressions=0
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1

print_load
echo "AddressSanitizer + UndefinedBehaviorSanitizer: every test (build-asan)"
step "configure build-asan" configure build-asan "-fsanitize=address,undefined -fno-sanitize-recover=all"
step "build build-asan" nice cmake --build build-asan -j2
step "tests under ASan+UBSan" ctest --test-dir build-asan -j2 --output-on-failure

echo "ThreadSanitizer: the tests labelled threads (build-tsan)"
step "configure build-tsan" configure build-tsan "-fsanitize=thread"
step "build thread tests" nice cmake --build build-tsan -j2 --target thread_tests
if ctest --test-dir build-tsan -N -L threads | grep -q "Total Tests: 0"; then
  echo "no tests labelled threads: nothing to run under ThreadSanitizer"
else
  step "tests under TSan" ctest --test-dir build-tsan -j2 -L threads --output-on-failure
fi
print_load
