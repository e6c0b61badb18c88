#!/usr/bin/env bash
# Installs what building and testing Vonu needs, and only what is missing: the Debian
# packages, node, and the extension tests' npm packages from their lock file.
# Idempotent: when everything is present it asks dpkg once and installs nothing.
set -euo pipefail

packages=(
  cmake ninja-build make
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
  binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  googletest
  wine wine64 fonts-wine
  xvfb xauth x11-utils imagemagick
  python3 nginx-light openssl python3-pyftpdlib
  ffmpeg
  chromium
  aria2 axel curl time bc
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
apt_updated=""
apt_install() {
  echo "Installing missing packages: $*"
  [[ -n "$apt_updated" ]] || $sudo apt-get update -qq
  apt_updated=1
  $sudo apt-get install -y -qq --no-install-recommends "$@"
}
[[ ${#missing[@]} -eq 0 ]] || apt_install "${missing[@]}"

# Node for the browser extension's tests: node and npm are taken from wherever they are
# installed (a newer node may have come with its own npm), the Debian packages otherwise.
node_missing=()
command -v node >/dev/null || node_missing+=(nodejs)
command -v npm >/dev/null || node_missing+=(npm)
[[ ${#node_missing[@]} -eq 0 ]] || apt_install "${node_missing[@]}"
node_major=$(node -p 'process.versions.node.split(".")[0]')
if (( node_major < 20 )); then
  echo "node $(node --version) is too old for the extension's tests (playwright-core needs 20 or newer)" >&2
  exit 1
fi

# The extension tests' npm packages, exactly as the lock file has them; again only when the
# lock file changed since the last install.
top=$(cd "$(dirname "$0")/.." && pwd)
ext_tests="$top/tests/extension"
if ! cmp -s "$ext_tests/package-lock.json" "$ext_tests/node_modules/.vonu-installed-lock.json" 2>/dev/null ||
   [[ ! -d "$ext_tests/node_modules" ]]; then
  echo "Installing the extension tests' npm packages (npm ci)"
  (cd "$ext_tests" && npm ci --no-audit --no-fund --loglevel=error)
  cp "$ext_tests/package-lock.json" "$ext_tests/node_modules/.vonu-installed-lock.json"
fi
