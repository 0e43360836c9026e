#!/usr/bin/env bash
# Installs what is missing, builds, and opens Quillmark on the bundled sample
# game (build/weapons is a copy of sample-game/weapons).
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps
scripts/build
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting Quillmark on a virtual X display (xvfb-run)." >&2
  exec xvfb-run -a build/quillmark
fi
exec build/quillmark
