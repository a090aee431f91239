#!/bin/sh
# Each dependency that is missing stops the configure with a message naming its Debian
# package. Missing is simulated with CMAKE_DISABLE_FIND_PACKAGE_<name>, so nothing is
# uninstalled. Usage: missing_packages_test.sh SOURCE_DIR CMAKE
set -u
src="$1"
cmake="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
for case in nlohmann_json:nlohmann-json3-dev CLI11:libcli11-dev GTest:libgtest-dev \
    benchmark:libbenchmark-dev Osmium:libosmium2-dev Protozero:libprotozero-dev EXPAT:libexpat1-dev \
    BZip2:libbz2-dev ZLIB:zlib1g-dev GeographicLib:libgeographiclib-dev GDAL:libgdal-dev; do
  package="${case%%:*}"
  debian="${case#*:}"
  "$cmake" -S "$src" -B "$work/$package" -G Ninja -DSCENARIO_BUILD_BENCH=ON \
    "-DCMAKE_DISABLE_FIND_PACKAGE_$package=ON" > "$work/out" 2>&1
  status=$?
  # CMake wraps the message; its words are compared across line ends.
  if [ "$status" -eq 0 ] ||
     ! tr -s " \n" "  " < "$work/out" | grep -q "install the Debian package $debian"; then
    echo "FAILED: without $package the configure gave status $status and said:"
    cat "$work/out"
    failures=$((failures + 1))
  fi
done
[ "$failures" -eq 0 ]
