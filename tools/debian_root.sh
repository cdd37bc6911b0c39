#!/usr/bin/env bash
# A cached Debian root to run tests in: made by debootstrap from the host's
# Debian mirror, for another architecture (run under qemu-user through
# binfmt_misc) or another release (interpreters built for a newer glibc).
#
#   debian_root.sh path <name>                          prints the root's path
#   debian_root.sh build <name> <arch> <suite> <pkg,..> makes it unless fresh
#   debian_root.sh run <name> [--bind DIR:MOUNT]... -- <command...>
#                                                       runs it in the root
#
# Roots live under ${KELVANE_CACHE:-~/.cache/kelvane}/roots, outside any
# clone, so that every clone shares them. A root is fresh while its stamp
# holds the same architecture, suite, mirror, packages and CA bundle as asked;
# otherwise it is made anew. It is made in a directory beside it and renamed
# only once complete, so an interrupted build leaves nothing that a later run
# takes for a root. Commands run as root in a private mount namespace with
# /proc mounted, so that no mount outlives them (and none is under the root
# when it is removed). The root gets the host's CA bundle and pip settings,
# so that pip inside reaches PyPI as the host's does.
set -euo pipefail
# debootstrap, chroot and update-binfmts are root's tools, outside a user's
# PATH.
export PATH=$PATH:/usr/local/sbin:/usr/sbin:/sbin
cache=${KELVANE_CACHE:-$HOME/.cache/kelvane}/roots
ca_bundle=/etc/ssl/certs/ca-certificates.crt

# The mirror apt uses here: the first deb.debian.org-like URI of the main
# archive in the host's sources, else Debian's own.
host_mirror() {
  local uri
  uri=$(grep -h -E '^(URIs:|deb )' /etc/apt/sources.list /etc/apt/sources.list.d/*.list \
        /etc/apt/sources.list.d/*.sources 2>/dev/null |
        grep -o -E 'https?://[^ ]*/debian/?( |$)' | grep -v security | head -n1 | tr -d ' ') || true
  echo "${uri:-http://deb.debian.org/debian}"
}

stamp_of() {  # <arch> <suite> <packages>
  printf 'arch=%s\nsuite=%s\nmirror=%s\npackages=%s\nca=%s\n' "$1" "$2" "$(host_mirror)" "$3" \
    "$( (cat "$ca_bundle" 2>/dev/null || true) | sha256sum | cut -c1-16)"
}

# The host's pip settings and CA bundle, copied into the root: its CA
# bundle (a proxy's own authority may be in it), its timeout, and the
# indexes and options of its pip.conf files, less the local directories and
# file: indexes, which do not exist inside.
copy_host_settings() {  # <root>
  local root=$1 conf
  mkdir -p "$root/etc/ssl/certs"
  {
    echo "[global]"
    [[ -f $ca_bundle ]] && echo "cert = /etc/ssl/certs/kelvane-host-ca.crt"
    [[ -n ${PIP_DEFAULT_TIMEOUT:-} ]] && echo "timeout = $PIP_DEFAULT_TIMEOUT"
    [[ -n ${PIP_INDEX_URL:-} ]] && echo "index-url = $PIP_INDEX_URL"
    for conf in /etc/pip.conf "$HOME/.config/pip/pip.conf" "$HOME/.pip/pip.conf"; do
      [[ -f $conf ]] || continue
      grep -E '^\s*(index-url|extra-index-url|timeout|retries|trusted-host|proxy)\s*=' "$conf" |
        grep -v 'file:' || true
    done
  } > "$root/etc/pip.conf"
  [[ -f $ca_bundle ]] && cp "$ca_bundle" "$root/etc/ssl/certs/kelvane-host-ca.crt"
  return 0
}

build() {  # <name> <arch> <suite> <packages>
  local name=$1 arch=$2 suite=$3 packages=$4 root tmp
  root=$cache/$name
  if [[ -f $root/.kelvane-root && "$(cat "$root/.kelvane-root")" == "$(stamp_of "$arch" "$suite" "$packages")" ]]; then
    return 0
  fi
  if [[ $arch != "$(dpkg --print-architecture)" && ! -e /proc/sys/fs/binfmt_misc/qemu-${qemu_name[$arch]:-$arch} ]]; then
    enable_binfmt "$arch"
  fi
  mkdir -p "$cache"
  # What an interrupted build left behind.
  local partial
  for partial in "$cache/.$name.partial."*; do
    [[ -d $partial ]] && remove_root "$partial"
    rm -f "$partial"
  done
  tmp=$(mktemp -d "$cache/.$name.partial.XXXXXX")
  echo "debian_root: making the $suite $arch root $name (debootstrap; cached in $root)"
  local started=$SECONDS
  if ! debootstrap --arch="$arch" --variant=minbase --include="$packages" "$suite" "$tmp" "$(host_mirror)" \
       > "$tmp.log" 2>&1; then
    echo "debian_root: debootstrap failed; the end of its log ($tmp.log):" >&2
    tail -n 20 "$tmp.log" >&2
    remove_root "$tmp"
    return 1
  fi
  copy_host_settings "$tmp"
  rm -rf "$tmp"/var/cache/apt/archives/*.deb
  stamp_of "$arch" "$suite" "$packages" > "$tmp/.kelvane-root"
  remove_root "$root"
  mv "$tmp" "$root"
  rm -f "$tmp.log"
  echo "debian_root: $name made in $((SECONDS - started)) s"
}

# Removes a root, after unmounting whatever debootstrap may have left mounted.
remove_root() {  # <dir>
  local dir=$1 mnt
  [[ -e $dir ]] || return 0
  for mnt in $(awk -v d="$(realpath "$dir")" 'index($2, d "/") == 1 {print $2}' /proc/mounts | sort -r); do
    umount -l "$mnt" || true
  done
  rm -rf --one-file-system "$dir"
}

declare -A qemu_name=([arm64]=aarch64 [armhf]=arm [ppc64el]=ppc64le [s390x]=s390x [riscv64]=riscv64)

# qemu-user's handlers for foreign executables, registered with the kernel.
enable_binfmt() {  # <arch>
  local q=${qemu_name[$1]:-$1}
  [[ -e /proc/sys/fs/binfmt_misc/register ]] || mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
  [[ -e /proc/sys/fs/binfmt_misc/qemu-$q ]] || update-binfmts --enable "qemu-$q"
  if [[ ! -e /proc/sys/fs/binfmt_misc/qemu-$q ]]; then
    echo "debian_root: no binfmt_misc handler for $q (is qemu-user-static installed?)" >&2
    return 1
  fi
}

run() {  # <name> [--bind DIR:MOUNT]... -- <command...>
  local name=$1 root binds=()
  shift
  root=$cache/$name
  [[ -f $root/.kelvane-root ]] || { echo "debian_root: no root $name in $cache" >&2; return 1; }
  while [[ $# -gt 0 && $1 != -- ]]; do
    [[ $1 == --bind ]] && binds+=("$2") && shift 2 && continue
    echo "debian_root: unknown option $1" >&2; return 1
  done
  shift
  local arch
  arch=$(sed -n 's/^arch=//p' "$root/.kelvane-root")
  [[ $arch == "$(dpkg --print-architecture)" ]] || enable_binfmt "$arch"
  local script='mount -t proc proc "$ROOT/proc"; mount -t tmpfs tmpfs "$ROOT/dev/shm" 2>/dev/null || true'
  local b
  for b in "${binds[@]}"; do
    mkdir -p "$root/${b#*:}"
    script+="; mount --bind \"${b%%:*}\" \"\$ROOT/${b#*:}\""
  done
  local environment=(HOME=/root PATH=/usr/local/bin:/usr/bin:/bin LANG=C.UTF-8) v
  for v in http_proxy https_proxy no_proxy HTTP_PROXY HTTPS_PROXY NO_PROXY; do
    [[ -n ${!v:-} ]] && environment+=("$v=${!v}")
  done
  script+='; exec chroot "$ROOT" /usr/bin/env -i '"${environment[*]@Q}"' "$@"'
  cp -L /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
  mkdir -p "$root/dev/shm"
  ROOT=$root unshare --mount --propagation private bash -c "$script" - "$@"
}

case ${1:-} in
  path) echo "$cache/$2" ;;
  build) shift; build "$@" ;;
  run) shift; run "$@" ;;
  *) sed -n '2,19p' "$0" >&2; exit 2 ;;
esac
