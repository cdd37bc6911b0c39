#!/usr/bin/env bash
# Installs the Debian packages of tools/system-packages.txt that are missing,
# and, for an interpreter of Debian's own (under /usr), its headers and venv
# packages. As root (as CI runs) it installs them with apt-get; otherwise it
# stops and prints the exact command to run.
#
#   ensure_system_packages.sh [python]
set -euo pipefail
list="$(dirname "$0")/system-packages.txt"
if ! command -v dpkg-query >/dev/null 2>&1; then
  echo "Not a Debian system: make sure these are installed:" $(grep -v '^#' "$list") >&2
  exit 0
fi
wanted=()
while read -r pkg; do
  [[ -z "$pkg" || "$pkg" == \#* ]] && continue
  wanted+=("$pkg")
done < "$list"
if [[ -n "${1:-}" ]]; then
  # Debian splits its interpreters: Python.h and ensurepip are packages apart.
  prefix_version=$("$1" -c 'import sys; print(sys.base_prefix, f"{sys.version_info[0]}.{sys.version_info[1]}")')
  if [[ "${prefix_version% *}" == /usr ]]; then
    wanted+=("python${prefix_version#* }-dev" "python${prefix_version#* }-venv")
  fi
fi
missing=()
for pkg in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$pkg")
  fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0
if [[ $(id -u) -eq 0 ]]; then
  echo "Installing system packages: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
else
  echo "Missing system packages: ${missing[*]}" >&2
  echo "Install them with:  sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
