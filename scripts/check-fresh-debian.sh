#!/usr/bin/env bash
# Checks the README's promise on a fresh machine: makes a minimal Debian 12 (bookworm) root with
# debootstrap, clones this repository into it and runs .ci/run there, as CI does on a clean
# clone. Run it before a release.
#
# Needs root (debootstrap, chroot and mounts) and the network: Debian's archive and the npm
# registry. Takes most of an hour on two cores and about 6 GB of disk.
#
# Usage: sudo scripts/check-fresh-debian.sh [WORK_DIR] [COMMIT]
#   WORK_DIR  where the root is made (default: a new folder under /var/tmp); removed at the end
#             unless KEEP_ROOT=1
#   COMMIT    what to check (default: HEAD); a clean clone, so uncommitted changes are not seen
set -euo pipefail

if [[ $(id -u) -ne 0 ]]; then
  echo "check-fresh-debian.sh needs root: debootstrap, chroot and mounts" >&2
  exit 2
fi

repo=$(cd "$(dirname "$0")/.." && pwd)
work=${1:-$(mktemp -d /var/tmp/snapnook-fresh.XXXXXX)}
commit=$(git -C "$repo" rev-parse "${2:-HEAD}")
root="$work/root"
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}
start=$(date +%s)

mounted=()
cleanup() {
  local i
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[i]}" 2>/dev/null || true; done
  if [[ "${KEEP_ROOT:-0}" != 1 ]]; then rm -rf "$work"; fi
}
trap cleanup EXIT

bind() {  # bind SOURCE TARGET [mount options...]
  mkdir -p "$2"
  mount "${@:3}" "$1" "$2"
  mounted+=("$2")
}

command -v debootstrap >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap

echo "== debootstrap bookworm (minbase, git, ca-certificates, sudo) into $root"
mkdir -p "$root"
debootstrap --variant=minbase --include=git,ca-certificates,sudo bookworm "$root" "$mirror" \
  >"$work/debootstrap.log" 2>&1 || { tail -20 "$work/debootstrap.log"; exit 1; }

# A machine installed from Debian's media also has the updates and security suites.
cat >"$root/etc/apt/sources.list" <<EOF
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb http://deb.debian.org/debian-security bookworm-security main
EOF
cp /etc/resolv.conf "$root/etc/resolv.conf"
# The network's own certificate authorities (a TLS proxy in front of the npm registry, say) are
# this machine's, not the new root's: carry them over, as an administrator of that network would.
if compgen -G "/usr/local/share/ca-certificates/*.crt" >/dev/null; then
  mkdir -p "$root/usr/local/share/ca-certificates"
  cp /usr/local/share/ca-certificates/*.crt "$root/usr/local/share/ca-certificates/"
  chroot "$root" update-ca-certificates >/dev/null
fi

bind proc "$root/proc" -t proc
bind sysfs "$root/sys" -t sysfs
bind /dev "$root/dev" --bind
bind devpts "$root/dev/pts" -t devpts
bind tmpfs "$root/dev/shm" -t tmpfs

echo "== clean clone of $commit"
git clone -q --no-local "$repo" "$root/root/snapnook"
git -C "$root/root/snapnook" checkout -q "$commit"

echo "== .ci/run inside the fresh root"
set +e
chroot "$root" /usr/bin/env -i HOME=/root TERM=dumb CI=true \
  NODE_EXTRA_CA_CERTS=/etc/ssl/certs/ca-certificates.crt \
  PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
  bash -c 'cd /root/snapnook && bash .ci/run' 2>&1 | tee "$work/ci.log"
status=${PIPESTATUS[0]}
set -e

elapsed=$(($(date +%s) - start))
echo "== fresh Debian 12 root: .ci/run exited $status after $((elapsed / 60)) min $((elapsed % 60)) s" \
  "(debootstrap to the end of .ci/run)"
exit "$status"
