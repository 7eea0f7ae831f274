#!/usr/bin/env bash
# Installs into a temporary prefix, checks what lands where, starts the
# installed program far enough to show the patent selection window, and
# builds the Debian package with its dependencies declared.
#   instalacion.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
pids=()
limpia() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap limpia EXIT
falla() { echo "install: FAIL: $*"; exit 1; }
espera() {
  local hasta=$((SECONDS + $1)); shift
  until "$@" >/dev/null 2>&1; do
    [ $SECONDS -lt $hasta ] || return 1
    sleep 0.2
  done
}

cmake --install "$build" --prefix "$work/usr" >/dev/null
for f in bin/korvaval lib/korvaval/libsgenc.so share/applications/korvaval.desktop \
         share/icons/hicolor/scalable/apps/korvaval.svg; do
  [ -e "$work/usr/$f" ] || falla "$f not installed"
done
grep -q '^Exec=korvaval$' "$work/usr/share/applications/korvaval.desktop" || falla "desktop entry"

Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>"$work/display" 2>/dev/null &
pids+=($!)
espera 20 test -s "$work/display" || falla "Xvfb did not start"
export DISPLAY=":$(head -1 "$work/display")"
XDG_DATA_HOME="$work/datos" QT_QPA_PLATFORM=xcb "$work/usr/bin/korvaval" >"$work/salida" 2>&1 &
pids+=($!)
hay_ventana() { [ -n "$(xdotool search --name 'KORVA - Centro de Prevalidación' 2>/dev/null | head -1)" ]; }
espera 30 hay_ventana || falla "the installed program showed no patent selection window: $(tail -3 "$work/salida")"
[ -d "$work/datos/KORVAVal" ] || falla "no program folder created"

(cd "$work" && cpack --config "$build/CPackConfig.cmake" -B "$work/paquete" >/dev/null) || falla "cpack"
deb=$(ls "$work/paquete"/korvaval_*.deb 2>/dev/null | head -1)
[ -n "$deb" ] || falla "no package built"
dpkg-deb -c "$deb" >"$work/contenido"
grep -q './usr/lib/korvaval/libsgenc.so' "$work/contenido" || falla "the package lacks the signature library"
depende=$(dpkg-deb -f "$deb" Depends)
for d in libqt6widgets6 libcurl4 libssl3; do
  grep -q "$d" <<<"$depende" || falla "Depends lacks $d: $depende"
done
echo "install: $(basename "$deb") built; 1 passed, 0 failed"
