#!/usr/bin/env bash
# Installs into a temporary prefix, checks what lands where, starts the
# installed program far enough to show the patent selection window, and
# builds the Debian package with its dependencies declared.
#   instalacion.sh BUILD_DIR
set -euo pipefail
build=$(realpath "$1")
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
privada=$(cd "$work/usr" && { ls -d lib/*/korvaval lib/korvaval 2>/dev/null || true; } | head -1)
for f in bin/korvaval "$privada/libsgenc.so" share/applications/korvaval.desktop \
         share/icons/hicolor/scalable/apps/korvaval.svg share/icons/hicolor/48x48/apps/korvaval.png \
         share/icons/hicolor/256x256/apps/korvaval.png share/metainfo/mx.korvaval.KORVAVal.metainfo.xml \
         share/man/man1/korvaval.1.gz; do
  [ -e "$work/usr/$f" ] || falla "$f not installed"
done
escritorio="$work/usr/share/applications/korvaval.desktop"
grep -q '^Exec=korvaval$' "$escritorio" || falla "desktop entry"
# One main category, as the desktop menus expect.
principales=$(sed -n 's/^Categories=//p' "$escritorio" | tr ';' '\n' |
  grep -cxE 'AudioVideo|Audio|Video|Development|Education|Game|Graphics|Network|Office|Science|Settings|System|Utility' || true)
[ "$principales" = 1 ] || falla "the desktop entry has $principales main categories"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$escritorio" >"$work/desktop" 2>&1 || falla "desktop-file-validate: $(cat "$work/desktop")"
fi
# The icons have the sizes their folders say.
for t in 48 256; do
  medida=$(python3 -c "import struct,sys; d=open(sys.argv[1],'rb').read(24); print('%dx%d' % struct.unpack('>II', d[16:24]))" \
    "$work/usr/share/icons/hicolor/${t}x${t}/apps/korvaval.png")
  [ "$medida" = "${t}x${t}" ] || falla "the ${t}x${t} icon measures $medida"
done
command -v appstreamcli >/dev/null || falla "appstreamcli is not installed (scripts/install-deps)"
appstreamcli validate --no-net --explain "$work/usr/share/metainfo/mx.korvaval.KORVAVal.metainfo.xml" >"$work/appstream" 2>&1 ||
  falla "appstreamcli: $(cat "$work/appstream")"
zcat "$work/usr/share/man/man1/korvaval.1.gz" | grep -q '^\.TH KORVAVAL 1' || falla "manual page"

Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>"$work/display" 2>/dev/null &
pids+=($!)
espera 20 test -s "$work/display" || falla "Xvfb did not start"
export DISPLAY=":$(head -1 "$work/display")"
XDG_DATA_HOME="$work/datos" QT_QPA_PLATFORM=xcb "$work/usr/bin/korvaval" >"$work/salida" 2>&1 &
pids+=($!)
hay_ventana() { [ -n "$(xdotool search --name 'KORVA - Centro de Prevalidación' 2>/dev/null | head -1)" ]; }
espera 30 hay_ventana || falla "the installed program showed no patent selection window: $(tail -3 "$work/salida")"
[ -d "$work/datos/KORVAVal" ] || falla "no program folder created"
# The window carries the program's icon, and its class is the one the desktop
# entry names, so the desktop groups the windows under the entry.
# (The name is found before the window is complete: wait for its properties.)
ventana=$(xdotool search --name 'KORVA - Centro de Prevalidación' | head -1)
con_icono() { xprop -id "$ventana" _NET_WM_ICON | grep -q '_NET_WM_ICON(CARDINAL) ='; }
espera 10 con_icono || falla "the window carries no icon"
clase=$(xprop -id "$ventana" WM_CLASS | sed -n 's/.*= "[^"]*", "\([^"]*\)"/\1/p')
grep -qx "StartupWMClass=$clase" "$escritorio" || falla "desktop entry does not name the window class '$clase'"

(cd "$work" && cpack --config "$build/CPackConfig.cmake" -B "$work/paquete" >/dev/null) || falla "cpack"
deb=$(ls "$work/paquete"/korvaval_*.deb 2>/dev/null | head -1)
[ -n "$deb" ] || falla "no package built"
dpkg-deb -c "$deb" >"$work/contenido"
grep -q "./usr/$privada/libsgenc.so" "$work/contenido" || falla "the package lacks the signature library"
# Stripped for the package, the signature library keeps its two entry points.
dpkg-deb -x "$deb" "$work/extraido"
for s in BuscaCurpsG GeneraFirmaDigitalG; do
  nm -D --defined-only "$work/extraido/usr/$privada/libsgenc.so" | grep -qw "$s" || falla "libsgenc.so lost $s"
done
depende=$(dpkg-deb -f "$deb" Depends)
# ca-certificates: the trust store the FTPS verification reads; libqt6svg6:
# the reader of the program's icon, a plugin no binary links.
for d in libqt6widgets6 libcurl4 libssl3 ca-certificates libqt6svg6; do
  grep -q "$d" <<<"$depende" || falla "Depends lacks $d: $depende"
done
command -v lintian >/dev/null || falla "lintian is not installed (scripts/install-deps)"
# No error, no warning; and none of the hardening notes Debian's build flags
# would leave.
lintian --fail-on error,warning --display-info --tag-display-limit 0 "$deb" >"$work/lintian" 2>&1 ||
  falla "lintian: $(grep -E '^(E|W):' "$work/lintian" | tr '\n' ' ')"
if grep -qE 'hardening-no-(bindnow|pie|relro|stackprotector)' "$work/lintian"; then
  falla "not hardened: $(grep 'hardening-no-' "$work/lintian" | tr '\n' ' ')"
fi
# Debian's hardening, read off the binaries themselves: position-independent,
# bound at start, read-only relocations, a stack protector; and fortified
# calls compiled in (lintian's fortify note guesses from the calls it finds).
for b in "$work/extraido/usr/bin/korvaval" "$work/extraido/usr/$privada/libsgenc.so"; do
  readelf -h "$b" | grep -q 'Type:.*DYN' || falla "$(basename "$b") is not position-independent"
  readelf -d "$b" | grep -qE 'BIND_NOW|FLAGS.*NOW' || falla "$(basename "$b") is not bound at start"
  readelf -l "$b" | grep -q 'GNU_RELRO' || falla "$(basename "$b") lacks read-only relocations"
done
nm -D "$work/extraido/usr/bin/korvaval" | grep -q '__stack_chk_fail' || falla "korvaval has no stack protector"
grep -q -- '-D_FORTIFY_SOURCE=2' "$build/compile_commands.json" || falla "not compiled with _FORTIFY_SOURCE"
echo "install: $(basename "$deb") built; 1 passed, 0 failed"
