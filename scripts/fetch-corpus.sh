#!/usr/bin/env bash
# Fetches real-world VCF files that Debian packages ship as test data, for tests and benchmarks that
# need more variety than examples/ (`make test` runs it before the tests, which only read what it
# unpacked). The packages are downloaded and unpacked under
# <build-dir>/corpus/<package>/, never installed; a package already unpacked is skipped.
# Prints the path of every VCF file found (one a line) on standard output.
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 <build-dir>" >&2
  exit 1
fi

mkdir -p "$1/corpus"
corpus=$(cd "$1/corpus" && pwd)
cache="$corpus/.debs"

required=(htslib-test python3-cyvcf2)
optional=(python-pyvcf-examples python-pysam-tests vcfanno-examples golang-github-brentp-vcfgo-dev)
# vcfallelicprimitives, a peer the tests compare with, with the libraries it needs: unpacked like the
# data, since installing the package would pull in R.
peer_tools=(libvcflib-tools libvcflib1 libtabixpp0 libfastahack0 libsmithwaterman0 libdisorder0)

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
lists_updated=no

# Downloads as the current user: without the sandbox option apt warns when root downloads into a
# folder its _apt user cannot write.
download() {
  (cd "$cache" && apt-get download -qq -o APT::Sandbox::User="$(id -un)" "$1")
}

# A fresh machine may have no package lists yet; refresh them once, on the first failure.
fetch_deb() {
  local pkg=$1
  if ! download "$pkg" 2>/dev/null; then
    if [ "$lists_updated" = no ]; then
      echo "fetch-corpus: refreshing package lists" >&2
      $sudo apt-get update -qq
      lists_updated=yes
    fi
    download "$pkg" || return 1
  fi
}

# Called in a `||` list, where errexit is off, so every step checks its own status.
unpack() {
  local pkg=$1 dest="$corpus/$1" deb
  if [ -f "$dest/.unpacked" ]; then
    return 0
  fi
  deb=$(find "$cache" -maxdepth 1 -name "${pkg}_*.deb" | head -n 1)
  if [ -z "$deb" ]; then
    fetch_deb "$pkg" || return 1
    deb=$(find "$cache" -maxdepth 1 -name "${pkg}_*.deb" | head -n 1)
  fi
  rm -rf "$dest"
  mkdir -p "$dest"
  dpkg -x "$deb" "$dest" || return 1
  touch "$dest/.unpacked"
  echo "fetch-corpus: unpacked $pkg" >&2
}

mkdir -p "$cache"
for pkg in "${required[@]}"; do
  unpack "$pkg" || { echo "fetch-corpus: could not fetch $pkg" >&2; exit 1; }
done
for pkg in "${optional[@]}"; do
  unpack "$pkg" || echo "fetch-corpus: skipping $pkg (not available)" >&2
done

# <corpus>/bin/vcfallelicprimitives runs the unpacked tool against its unpacked libraries.
peer_tools_unpacked() {
  local pkg
  for pkg in "${peer_tools[@]}"; do
    unpack "$pkg" || return 1
  done
}
if peer_tools_unpacked; then
  mkdir -p "$corpus/bin"
  libs=""
  for pkg in "${peer_tools[@]}"; do
    libs="$libs:$corpus/$pkg/usr/lib/x86_64-linux-gnu"
  done
  cat >"$corpus/bin/vcfallelicprimitives" <<EOS
#!/bin/sh
LD_LIBRARY_PATH="${libs#:}\${LD_LIBRARY_PATH:+:\$LD_LIBRARY_PATH}" exec "$corpus/libvcflib-tools/usr/bin/vcfallelicprimitives" "\$@"
EOS
  chmod +x "$corpus/bin/vcfallelicprimitives"
else
  echo "fetch-corpus: skipping vcfallelicprimitives (not available)" >&2
fi

find "$corpus" -path "$cache" -prune -o -type f \( -name '*.vcf' -o -name '*.vcf.gz' \) -print | sort
count=$(find "$corpus" -path "$cache" -prune -o -type f \( -name '*.vcf' -o -name '*.vcf.gz' \) -print | wc -l)
echo "fetch-corpus: $count VCF files under $corpus" >&2
