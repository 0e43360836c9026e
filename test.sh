#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; exits non-zero on
# any failure.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps
scripts/lint --check-format
scripts/build
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)")
# The same suite built with ASan and UBSan (build-asan/), then each fuzz
# target for 30 seconds (build-fuzz/); any finding fails the run.
scripts/sanitize
scripts/fuzz 30
