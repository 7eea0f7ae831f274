#!/usr/bin/env bash
# The real program under a virtual display, driven by the keyboard like a
# broker: enter patent 4321, start the cycle, let two cycles run against a
# simulated centre, stop and close. Checks the result on disk and on the server.
#   recorrido.sh KORVAVAL_EXECUTABLE SOURCE_DIR
set -euo pipefail
exe=$1
src=$2
work=$(mktemp -d)
pids=()
limpia() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  chmod -R u+w "$work" 2>/dev/null || true
  rm -rf "$work"
}
trap limpia EXIT
falla() {
  echo "e2e: FAIL: $*"
  for f in centro.out korvaval.out; do [ -s "$work/$f" ] && { echo "--- $f"; tail -5 "$work/$f"; }; done
  exit 1
}

espera() { # espera SECONDS COMMAND...: polls every 0.2 s until COMMAND succeeds
  local hasta=$((SECONDS + $1)); shift
  until "$@" >/dev/null 2>&1; do
    [ $SECONDS -lt $hasta ] || return 1
    sleep 0.2
  done
}

# A display of our own, on a free number.
Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x900x24 3>"$work/display" 2>"$work/xvfb.err" &
pids+=($!)
espera 20 test -s "$work/display" || falla "Xvfb did not start: $(cat "$work/xvfb.err")"
export DISPLAY=":$(head -1 "$work/display")"

/usr/bin/python3 "$src/tools/centro_simulado.py" --raiz "$work/cuenta" --tls --certificados "$work/cert" \
  --bitacora "$work/bitacora.log" --retraso 0 >"$work/centro.out" 2>&1 &
pids+=($!)
espera 30 grep -q '^LISTO ' "$work/centro.out" || falla "the simulated centre did not start"
puerto=$(sed -n 's/^LISTO \([0-9]*\)$/\1/p' "$work/centro.out")

programa="$work/xdg/KORVAVal"
/usr/bin/python3 "$src/tools/oficina_demo.py" "$programa" "$work" "$puerto" --sin-depuracion
cp "$work/cert/ca.pem" "$programa/ca-centro.pem"
dia=$(ls "$work/env" | sed -n 's/^m4321101\.\([0-9]*\)$/\1/p')

XDG_DATA_HOME="$work/xdg" QT_QPA_PLATFORM=xcb "$exe" >"$work/korvaval.out" 2>&1 &
kv=$!
pids+=($kv)

ventana() { xdotool search --name "$1" 2>/dev/null | head -1; }
hay_ventana() { [ -n "$(ventana "$1")" ]; }
espera 30 hay_ventana 'KORVA - Centro' || falla "no patent selection window"
w=$(ventana 'KORVA - Centro')
xdotool windowfocus --sync "$w"
xdotool key alt+e
espera 30 hay_ventana 'Patente  >>> 4321' || falla "the main window did not open"
w=$(ventana 'Patente  >>> 4321')
xdotool windowfocus --sync "$w"
xdotool key alt+i

# First cycle: the uploads and the rejections.
espera 30 test -f "$work/cuenta/REC/m4321103.$dia" || falla "nothing was uploaded"
espera 10 test -f "$work/env/Pend/m4321103.$dia" || falla "no pending copy"
# The next cycle (31 ticks later) fetches the centre's answers.
for r in m4321101.err m4321102.err m4321103.err "r4321104.$dia"; do
  espera 60 test -s "$work/rec/$r" || falla "response $r not received"
done
pend_vacio() { [ -z "$(ls "$work/env/Pend")" ]; }
espera 10 pend_vacio || falla "pending copies left: $(ls "$work/env/Pend")"

[ "$(ls "$work/cuenta/REC" | sort | tr '\n' ' ')" = "a4321odbc0.reg b4321104.$dia m4321101.$dia m4321102.$dia m4321103.$dia " ] ||
  falla "server REC holds: $(ls "$work/cuenta/REC")"
[ "$(ls "$work/env/Rechaza" | tr '\n' ' ')" = "m4321105.$(printf %03d $((10#$dia > 1 ? 10#$dia - 1 : 365))) m4321600.$dia " ] ||
  falla "rejected: $(ls "$work/env/Rechaza")"
[ -f "$work/env/m4321105."* ] 2>/dev/null && falla "a rejected file stayed in the send folder"
log="$work/rec/4321$((10#$dia)).log"
# The last "R - " line follows its response's arrival by a moment.
cuatro_r() { [ "$(grep -c '^R - ' "$log")" = 4 ]; }
espera 10 cuatro_r || falla "log R lines: $(cat "$log")"
[ "$(grep -c '^E - ' "$log")" = 4 ] || falla "log E lines: $(cat "$log")"
[ "$(wc -l <"$work/env/bitacora")" = 4 ] || falla "register: $(cat "$work/env/bitacora")"

# Stop, then close: the program ends and hangs up.
xdotool windowfocus --sync "$w"
xdotool key alt+d
sleep 1
xdotool windowfocus --sync "$w"
xdotool key alt+s
espera 20 bash -c "! kill -0 $kv" || falla "the program did not close"
wait "$kv" || falla "the program ended with status $?"
grep -q '^QUIT' "$work/bitacora.log" || falla "no QUIT on the server"
echo "e2e: 1 passed, 0 failed"
