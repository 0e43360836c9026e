#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; exits non-zero on
# any failure. Each stage says how long it took.
set -euo pipefail
cd "$(dirname "$0")"

stage() {
  local name=$1 start=$SECONDS
  shift
  echo "== $name"
  "$@"
  echo "== $name: $((SECONDS - start)) s"
}

tests() { (cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"); }

stage "install what is missing" scripts/install-deps
stage "formatting" scripts/lint --check-format
stage "build (gcc, vector searches)" scripts/build
stage "tests" tests
# The same suite built with clang, ASan and UBSan and the plain byte loops
# (build-asan/), with the window tests, which run there only; then each fuzz
# target for 30 seconds in that build; any finding fails the run.
stage "sanitized build and tests (clang, plain loops)" scripts/sanitize
stage "fuzz targets, 30 s each" scripts/fuzz 30
echo "== all stages: $SECONDS s"
