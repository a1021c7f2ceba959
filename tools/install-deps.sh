#!/usr/bin/env bash
# Installs what building and testing ascent needs, from Debian's packages.
# Packages already present are left alone, so a second run does nothing.
set -euo pipefail

packages=(
  g++ cmake make                     # compiler and build
  libgtest-dev libgmock-dev          # unit and end-to-end tests
  libbenchmark-dev                   # benchmarks
  libcli11-dev                       # command line of ascent-trim
  libtomlplusplus-dev                # vehicle decks and dispersion sets (TOML, header-only)
  libnlopt-cxx-dev pkg-config        # the payload optimiser (NLopt's COBYLA)
  libeigen3-dev                      # vectors and matrices of the three-dimensional flight
  libgeographiclib-dev               # geodetic coordinates of the ground track
  coinor-libipopt-dev                # the sparse NLP solver of the optimal ascent
  ccache                             # compiler cache: rebuilds of an unchanged file are free
  gnuplot-nox                        # plots of a run and of a sweep
  clang libclang-rt-14-dev           # libFuzzer targets
  valgrind                           # leak check of a whole session
  hyperfine                          # whole-process timings (bench/compare_with.sh)
  python3-dev pybind11-dev python3-pybind11   # the Python package's extension module
  python3-numpy python3-pandas python3-matplotlib python3-distributed  # its studies, plots and Dask runs
  python3-pytest                     # its tests
  python3-fastkml                    # reads the KML exports back in the tests
  chromium                           # the study reports opened in a headless browser (tests)
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
