#!/usr/bin/env python3
"""Prepares a program folder with patent 4321 configured for a simulated centre
on 127.0.0.1, and sample files for today's Julian day in its send folder.

usage: oficina_demo.py PROGRAM_FOLDER BASE PORT [--sin-depuracion]
The send and receive folders are BASE/env and BASE/rec. Samples: three "m"
files and one "b" file for today, one "m" file dated yesterday (rejected as
JULIANO MAL) and one with folio 600 (rejected as FOLIOS MAL)."""
import datetime
import os
import socket
import sys


def revuelve(texto):
    # Scrambled password line: last character first, code page code x 20 + 6.
    return "".join("|%d" % (b * 20 + 6) for b in reversed(texto.encode("cp1252")))


def escribe(ruta, lineas, modo):
    if os.path.exists(ruta):
        os.chmod(ruta, 0o600)
    with open(ruta, "wb") as f:
        f.write("".join(l + "\r\n" for l in lineas).encode("cp1252"))
    os.chmod(ruta, modo)


def main():
    args = [a for a in sys.argv[1:] if not a.startswith("--")]
    if len(args) != 3:
        sys.exit(__doc__)
    programa, base, puerto = args
    depurar = "0" if "--sin-depuracion" in sys.argv else "1"
    for d in (programa, os.path.join(base, "env"), os.path.join(base, "rec")):
        os.makedirs(d, exist_ok=True)
    slots = ["127.0.0.1", "a4321", revuelve("secreto"), os.path.join(base, "env"), os.path.join(base, "rec"),
             "001", "500", puerto, "127.0.0.1", "127.0.0.1", "m,b,c,s,t,e,f,e", "m,r,c,x,t,r,a,a", "1",
             "Archivo KEY (13)", "Archivo CER (14)", revuelve("Contraseña(15)"), "0", "24", "1", "0",
             "ENV(20)", "REC(21)", depurar, "1", "000", socket.gethostname(), "127.0.0.1", "Versión 8.0.0"]
    escribe(os.path.join(programa, "odbc0.reg"), slots, 0o600)
    escribe(os.path.join(programa, "usuarios.dat"), ["4321"], 0o444)

    hoy = datetime.date.today().timetuple().tm_yday
    ayer = hoy - 1 if hoy > 1 else 365

    def muestra(nombre, folio):
        lineas = ["500|1|4321|%07d|470|" % folio, "501|1|4321|%07d|PEAJ800101HDFRRN09|" % folio,
                  "800|1|%07d|1|" % folio, "801|%s|1|3|000|" % nombre]
        escribe(os.path.join(base, "env", nombre), lineas, 0o644)

    for folio in (101, 102, 103):
        muestra("m4321%03d.%03d" % (folio, hoy), folio)
    muestra("b4321104.%03d" % hoy, 104)
    muestra("m4321105.%03d" % ayer, 105)
    muestra("m4321600.%03d" % hoy, 600)


if __name__ == "__main__":
    main()
