#!/usr/bin/env bash
# Installs what the program, its tests and its tools need on a Debian 12 machine.
# Run it as root, or as a user who may use sudo: it asks sudo only then.
set -euo pipefail
cd "$(dirname "$0")/.."
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo > /dev/null; then
        echo "Installing packages needs root: run this as root, or install sudo." >&2
        exit 1
    fi
    SUDO=sudo
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends $(grep -v '^#' scripts/packages.txt)
