#!/usr/bin/env bash
# Runs npm_client_test.js with the `onvif` package that scripts/setup
# installs from the npm registry into a cache outside the repository
# ($CORVANE_NPM_DIR, default /var/cache/corvane-npm). Skipped, saying so,
# when that install is missing; nothing is downloaded here.
set -uo pipefail
modules=${CORVANE_NPM_DIR:-/var/cache/corvane-npm}/node_modules
if ! command -v node >/dev/null || [ ! -f "$modules/onvif/package.json" ]; then
    echo "SKIPPED: the npm onvif package is not installed in $modules (run scripts/setup)"
    exit 77
fi
NODE_PATH=$modules exec timeout 120 node "$(dirname "$0")/npm_client_test.js"
