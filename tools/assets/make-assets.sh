#!/usr/bin/env bash
# Regenerates the pictures of the desktop program into frontend/resources/ (or the directory
# given as the first argument). Safe to re-run: the output is byte-for-byte the same.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
out="${1:-$here/../../frontend/resources}"

# DejaVu Sans (regular, bold: core; oblique: extra) for every label.
if [ ! -f /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf ] ||
   [ ! -f /usr/share/fonts/truetype/dejavu/DejaVuSans-Oblique.ttf ]; then
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update
  $sudo_cmd apt-get install -y fonts-dejavu-core fonts-dejavu-extra
fi

command -v node >/dev/null || { echo "make-assets: node and npm are needed" >&2; exit 1; }

cd "$here"
# Exact versions from package-lock.json; reinstall only when they are missing or differ.
if ! npm ls --all >/dev/null 2>&1; then
  npm ci --no-audit --no-fund
fi

node src/main.mjs "$out"
