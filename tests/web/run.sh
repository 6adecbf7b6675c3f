#!/usr/bin/env bash
# The browser build in a real browser: installs puppeteer-core (no browser download) into
# build-web/test/, then runs web_test.mjs against build-web/site with Debian's chromium.
#
#     tests/web/run.sh          # after web/build.sh and a desktop build (for qz001-tool)
set -euo pipefail
cd "$(dirname "$0")/../.."
work=build-web/test
mkdir -p "$work"
cp tests/web/package.json "$work/"
if [ ! -d "$work/node_modules/puppeteer-core" ]; then
  (cd "$work" && PUPPETEER_SKIP_DOWNLOAD=1 npm install --no-audit --no-fund --loglevel=error >&2)
fi
cp tests/web/web_test.mjs "$work/"
exec node "$work/web_test.mjs" "$PWD/build-web/site" "$PWD/build/tools/qz001-tool" "$PWD"
