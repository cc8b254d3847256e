#!/usr/bin/env bash
# Installs what the program, its tests and its tools need on a Debian 12 machine.
set -euo pipefail
cd "$(dirname "$0")/.."
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends $(grep -v '^#' scripts/packages.txt)
