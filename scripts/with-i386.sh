#!/usr/bin/env bash
# Runs a command in which 32-bit x86 Linux programs can start, above all Wine's 32-bit
# loader /usr/lib/wine/wine (package wine32:i386), which runs 32-bit Windows programs:
#
#   scripts/with-i386.sh COMMAND [ARGUMENTS...]
#
# Where the kernel runs 32-bit programs itself, the command simply runs. Kernels built or
# booted without 32-bit support (ia32_emulation=off; the kernel log says "32-bit emulation
# disabled") refuse them with "Exec format error". There the command runs in a user and
# mount namespace of its own, whose binfmt_misc (one per user namespace since Linux 6.7)
# hands 32-bit programs to qemu-i386 (package qemu-user). Nothing outside
# the namespace changes; the command keeps the caller's user id, files and wineserver.
set -euo pipefail

[[ $# -gt 0 ]] || { echo "usage: $0 COMMAND [ARGUMENTS...]" >&2; exit 2; }

readonly PROBE=/usr/lib/wine/wine
readonly QEMU=/usr/bin/qemu-i386
readonly BINFMT=/proc/sys/fs/binfmt_misc
# ELF, 32-bit, little-endian, executable or shared object, machine i386 (as qemu registers it).
readonly MAGIC='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
readonly MASK='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

if [[ "${WAYLOOM_I386_NAMESPACE:-}" == inside ]]; then
  # Second stage, as root of the new namespace: register the emulator, then drop back to
  # the caller's user id (for root that is root already).
  unset WAYLOOM_I386_NAMESPACE
  if ! mount -t binfmt_misc binfmt_misc "$BINFMT" 2>/dev/null; then
    echo "with-i386: cannot mount binfmt_misc in a user namespace (needs Linux 6.7 or later)" >&2
    exit 1
  fi
  # F: the emulator is opened now, so it is found whatever the command's file system view.
  printf ':wayloom-i386:M::%s:%s:%s:F' "$MAGIC" "$MASK" "$QEMU" >"$BINFMT/register"
  uid=$1 gid=$2
  shift 2
  if [[ "$uid" == 0 ]]; then
    exec "$@"
  fi
  exec unshare --user --map-user="$uid" --map-group="$gid" -- "$@"
fi

if [[ ! -x "$PROBE" ]]; then
  echo "with-i386: $PROBE is missing (install the package wine32:i386)" >&2
  exit 1
fi
if "$PROBE" --version >/dev/null 2>&1; then
  exec "$@"
fi
if [[ ! -x "$QEMU" ]]; then
  echo "with-i386: this kernel does not run 32-bit programs and $QEMU is missing" \
    "(install the package qemu-user)" >&2
  exit 1
fi
WAYLOOM_I386_NAMESPACE=inside exec unshare --user --map-root-user --mount -- \
  bash "$(readlink -f "${BASH_SOURCE[0]}")" "$(id -u)" "$(id -g)" "$@"
