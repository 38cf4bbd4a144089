# kestrin.exe under wine (win32/tests/run-under-wine, with a prefix of its
# own): what a PC without the unit's drivers shows, the RDS check and tool
# over COM7 with the native tuner module on the other end, and the window
# under Xvfb; for the 64-bit and the 32-bit build. The module comes from
# the Linux build (the Release stage's, or built here when the stage runs
# alone).
linux_build=$root/build-ci
if [ ! -x "$linux_build/tuner-module" ]; then
  cmake -S . -B "$linux_build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_UNITY_BUILD=ON \
    -DKESTRIN_TESTS=OFF -DKESTRIN_BENCH=OFF
  cmake --build "$linux_build" -j "$jobs" --target tuner-module
fi
win32/tests/run-under-wine "$win64" "$linux_build" "$work/kestrin-wine"
# The 32-bit kestrin.exe, the unit's word size, the same way.
if [ "$run32" = 1 ]; then
  WINE=$wine32 win32/tests/run-under-wine "$win32" "$linux_build" "$work/kestrin-wine32"
fi
