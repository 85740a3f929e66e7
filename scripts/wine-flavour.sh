# Sourced by the Wine helpers: which Wine runs the build's Windows programs. Each Windows test
# names it in ZM_WINE_ARCH, from the build's toolchain file: win32 (the default) or win64. 64-bit
# Wine also runs on machines that cannot run 32-bit code at all, so a win64 run must never reach
# the 32-bit loader, which /usr/bin/wine prefers wherever it is installed.
#
# Sets zm_wine (the loader) and zm_wineserver, and exports WINEARCH to match.
case ${ZM_WINE_ARCH:=win32} in
win32)
  zm_wine=wine
  zm_wineserver=wineserver
  ;;
win64)
  zm_wine=/usr/lib/wine/wine64
  zm_wineserver=/usr/lib/wine/wineserver64
  ;;
*)
  echo "ZM_WINE_ARCH must be win32 or win64, not '$ZM_WINE_ARCH'" >&2
  exit 2
  ;;
esac
export ZM_WINE_ARCH WINEARCH=$ZM_WINE_ARCH
