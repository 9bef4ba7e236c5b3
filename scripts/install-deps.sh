#!/usr/bin/env bash
# Installs every Debian package varkit needs to build, test and benchmark; with --dev, also the
# development set that `make sanitize` and `make fuzz` use (clang, libFuzzer, llvm-symbolizer).
# Packages already present are skipped, so a second run does nothing.
set -euo pipefail

packages=(
  # toolchain
  g++ make cmake ninja-build pkg-config
  # libraries
  qtbase5-dev libsqlite3-dev zlib1g-dev libzstd-dev liblz4-dev libblosc-dev
  libhts-dev libbamtools-dev libjsoncpp-dev libleveldb-dev libsnappy-dev
  libmuparserx-dev libssl-dev libjansson-dev libsmithwaterman-dev
  libxlsxwriter-dev libbigwig-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev sqlite3 time unzip
  # peer tools the tests and benchmarks compare against
  bcftools tabix samtools bedtools vt
)
if [ "${1:-}" = "--dev" ]; then
  # clang with its sanitizer and libFuzzer runtimes; llvm for the symbolizer of their reports
  packages+=(clang libclang-rt-14-dev llvm)
fi

missing=()
for pkg in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$pkg" 2>/dev/null || true)
  [ "$status" = "installed" ] || missing+=("$pkg")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all ${#packages[@]} packages present"
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
