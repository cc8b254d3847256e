#!/usr/bin/env bash
# Installs what the program, its tests and its tools need on a Debian 12 machine.
# When every package is already there it installs nothing and needs no rights;
# otherwise run it as root, or as a user who may use sudo: it asks sudo only then.
set -euo pipefail
cd "$(dirname "$0")/.."
packages=$(grep -v '^#' scripts/packages.txt)
missing=()
for package in $packages; do
    if [ "$(dpkg-query -W -f='${db:Status-Status}' "$package" 2> /dev/null)" != installed ]; then
        missing+=("$package")
    fi
done
if [ ${#missing[@]} -eq 0 ]; then
    echo "Every package of scripts/packages.txt is installed."
    exit 0
fi
echo "Missing packages: ${missing[*]}"
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
$SUDO apt-get install -y --no-install-recommends "${missing[@]}"
