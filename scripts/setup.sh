#!/usr/bin/env bash
# Installs what the build needs (Debian 12), configures and builds.
#   scripts/setup.sh build   install and build
#   scripts/setup.sh run     install, build and start the program
#   scripts/setup.sh test    install, build and run the whole test suite
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
build="${VANTOSCOPE_BUILD_DIR:-$here/build}"
mode="${1:-build}"

packages=(build-essential cmake ninja-build pkg-config
          qtbase5-dev qttools5-dev qttools5-dev-tools
          libfftw3-dev libtiff-dev libgtest-dev libbenchmark-dev)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --parallel "$(nproc)"

case "$mode" in
  build) ;;
  run)
    # The demo stack (I1 and I0 images across the Fe K edge, two references)
    # goes to $build/demo; the demo batch reads and writes there.
    demo="$build/demo"
    rm -rf "$demo"
    "$build/vantoscope-makedemo" "$demo"
    cp "$here/data/demo.bat" "$demo/demo.bat"
    cd "$demo"
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
      # No screen: run the demo batch headless; it ends with "quit".
      QT_QPA_PLATFORM=offscreen "$build/vantoscope" -d "$demo" -b demo.bat -x
      echo "Demo maps in $demo: fe2o3_fraction-0.dat / .tif, feo_fraction-1.dat / .tif"
      echo "(text: one \"x y fraction\" line per pixel), fe2o3_fraction.png, spectrum_16_12-T.dat"
    else
      # The batch is loaded into the batch window ("Batch Ctrl."); Exec. runs it.
      "$build/vantoscope" -d "$demo" -b demo.bat
    fi
    ;;
  test)
    # One-definition check: both programs linked with link-time optimisation,
    # where a class laid out differently in two files is an error.
    odr="${build}-odr"
    cmake -S "$here" -B "$odr" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTOSCOPE_ODR_CHECK=ON \
          -DVANTOSCOPE_TESTS=OFF -DVANTOSCOPE_BENCH=OFF > /dev/null
    cmake --build "$odr" --parallel "$(nproc)" --target vantoscope vantoscope-classic
    echo "one-definition check passed"
    cd "$build"
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$(nproc)" --timeout 300
    ;;
  *) echo "usage: $0 [build|run|test]" >&2; exit 2 ;;
esac
