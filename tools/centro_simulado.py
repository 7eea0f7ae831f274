#!/usr/bin/python3
"""Simulated prevalidation centre: one patent's FTP/FTPS account on loopback.

Serves the account folder with REC/, ENV/ and ENV/general/. Every file
uploaded into REC/ is answered, after --retraso seconds, by its response in
ENV/ under the name the client will ask for. Notices, a server switch order,
"registro 001" files and the folio authorization are published with options
at start or, while running, through the control file (one order per line):

    aviso.gen TEXT | aviso.txt TEXT | server.dat HOST | r001 NAME | crece-al-subir PATH
    folios.aut | retraso SECONDS | nlst-extra NAME | muere-tras BYTES
    pausa-tras BYTES | muere-subida BYTES | pausa-subida BYTES | cierra-sesiones
    silencio | habla
    rechaza-auth | acepta-auth | rechaza-prot | acepta-prot | pwd-234 | pwd-normal
    rechaza-stor | acepta-stor

muere-tras and pausa-tras count the bytes each data connection has sent,
muere-subida and pausa-subida the bytes of an upload received (pausa-subida
stops reading it, the part received on disk); given without BYTES they are
off again. silencio makes every control connection, open or new, go silent
(commands are read and logged, nothing is answered, not even the greeting);
habla ends it. rechaza-auth answers AUTH with an error, as a centre that
stopped offering TLS (or someone in between) would; acepta-auth ends it.
rechaza-prot answers PROT P with 534 (data connections would stay in clear);
pwd-234 answers PWD with code 234, the code only AUTH should give;
rechaza-stor answers every upload with 553.
--lento SECONDS answers every command that many seconds late, as a
distant centre does.

The control file is read and deleted every 100 ms. Every command received is
appended to the log file (passwords masked). When ready it prints
"LISTO <port>" on stdout, preceded by "CA <path>" when serving FTPS.

crece-al-subir appends a line to the local file PATH once the next upload's
data has all arrived and before its reply, keeping the file's modification
time: the broker's software still writing the file it sends.
"""
import argparse
import os
import subprocess
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import DTPHandler, FTPHandler
from pyftpdlib.servers import FTPServer

try:
    from pyftpdlib.handlers import TLS_DTPHandler, TLS_FTPHandler
except ImportError:  # python3-openssl missing: plain FTP only
    TLS_DTPHandler = TLS_FTPHandler = None

# Type letters paired by position, as the broker's configuration does by default.
LETRAS_VALIDACION = "m,b,c,s,t,e,f,e"
LETRAS_PAGO = "m,r,c,x,t,r,a,a"


def nombre_respuesta(nombre):
    """The bare name of the response the client will ask for, or None."""
    if not nombre:
        return None
    primera = nombre[0]
    largo = 15 if primera in "SsxXfFaA" else 12
    ajuste = 1 if primera in "Ee" else (-3 if largo == 15 else 0)
    if len(nombre) >= 9 and nombre[8] == "." and ajuste == 1:
        ajuste = 0
    respuesta = None
    for k, letra in enumerate(LETRAS_VALIDACION):
        if primera not in (letra, letra.upper()):
            continue
        if primera in "eE" and len(nombre) >= 9 and nombre[8] == ".":
            respuesta = "a" + nombre[1:largo]
            continue
        pago = LETRAS_PAGO[k] if k < len(LETRAS_PAGO) else ""
        if pago == letra:
            cabeza = nombre[: ajuste + largo - 4]
            respuesta = letra + cabeza[-(largo - 5):] + ".err"
        else:
            respuesta = pago + nombre[1:largo]
        break
    return respuesta[-largo:] if respuesta else None


class Centro:
    def __init__(self, args):
        self.args = args
        self.raiz = os.path.abspath(args.raiz)
        self.env = os.path.join(self.raiz, "ENV")
        self.general = os.path.join(self.env, "general")
        self.rec = os.path.join(self.raiz, "REC")
        for d in (self.rec, self.general):
            os.makedirs(d, exist_ok=True)
        self.retraso = args.retraso
        self.nlst_extra = []
        self.crece_al_subir = None
        self.muere_tras = None
        self.pausa_tras = None
        self.muere_subida = None
        self.pausa_subida = None
        self.rechaza_auth = False
        self.rechaza_prot = False
        self.pwd_234 = False
        self.rechaza_stor = False
        self.silencio = False
        self.lento = args.lento
        self.bitacora = open(args.bitacora, "a", buffering=1) if args.bitacora else None
        self.ioloop = None
        self.servidor = None

    def anota(self, linea):
        if self.bitacora:
            self.bitacora.write(linea + "\n")

    def escribe(self, ruta, contenido):
        tmp = ruta + ".tmp~"
        with open(tmp, "wb") as f:
            f.write(contenido.encode("cp1252", "replace"))
        os.replace(tmp, ruta)

    def orden(self, linea):
        partes = linea.strip().split(None, 1)
        if not partes:
            return
        clave, resto = partes[0], (partes[1] if len(partes) > 1 else "")
        if clave in ("aviso.gen", "aviso.txt"):
            self.escribe(os.path.join(self.general, clave), resto + "\r\n")
        elif clave == "server.dat":
            self.escribe(os.path.join(self.general, clave), resto + "\r\n")
        elif clave == "r001":
            self.escribe(os.path.join(self.env, resto),
                         "001|%s|registro 001 de prueba\r\n" % resto)
        elif clave == "folios.aut":
            self.escribe(os.path.join(self.env, "folios.aut"), "autorizado\r\n")
        elif clave == "retraso":
            self.retraso = float(resto)
        elif clave == "nlst-extra":
            self.nlst_extra.append(resto)
        elif clave == "crece-al-subir":
            self.crece_al_subir = resto or None
        elif clave == "muere-tras":
            self.muere_tras = int(resto) if resto else None
        elif clave == "pausa-tras":
            self.pausa_tras = int(resto) if resto else None
        elif clave == "muere-subida":
            self.muere_subida = int(resto) if resto else None
        elif clave == "pausa-subida":
            self.pausa_subida = int(resto) if resto else None
        elif clave in ("rechaza-auth", "acepta-auth"):
            self.rechaza_auth = clave == "rechaza-auth"
        elif clave in ("rechaza-prot", "acepta-prot"):
            self.rechaza_prot = clave == "rechaza-prot"
        elif clave in ("pwd-234", "pwd-normal"):
            self.pwd_234 = clave == "pwd-234"
        elif clave in ("rechaza-stor", "acepta-stor"):
            self.rechaza_stor = clave == "rechaza-stor"
        elif clave in ("silencio", "habla"):
            self.silencio = clave == "silencio"
        elif clave == "cierra-sesiones":
            for h in list(self.ioloop.socket_map.values()):
                if hasattr(h, "authorizer") and h is not self.servidor:
                    h.close()
            self.anota("SESIONES-CERRADAS")
        else:
            self.anota("ORDEN-DESCONOCIDA " + linea.strip())

    def lee_control(self):
        ruta = self.args.control
        if not ruta or not os.path.exists(ruta):
            return
        with open(ruta, encoding="utf-8") as f:
            lineas = f.readlines()
        for linea in lineas:
            self.orden(linea)
        os.remove(ruta)

    def responde(self, ruta):
        nombre = os.path.basename(ruta)
        respuesta = nombre_respuesta(nombre)
        if not respuesta:
            self.anota("SIN-RESPUESTA " + nombre)
            return
        contenido = ("KORVA Centro de Prevalidacion\r\n"
                     "Archivo: %s\r\nRespuesta: %s\r\nResultado: ACEPTADO\r\n"
                     % (nombre, respuesta))

        def coloca():
            self.escribe(os.path.join(self.env, respuesta), contenido)
            self.anota("RESPUESTA " + respuesta)

        if self.retraso <= 0:
            coloca()
        else:
            self.ioloop.call_later(self.retraso, coloca)


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--raiz", required=True, help="the account's folder")
    p.add_argument("--usuario", default="a4321")
    p.add_argument("--contrasena", default="secreto")
    p.add_argument("--puerto", type=int, default=0, help="0 picks a free port")
    p.add_argument("--tls", action="store_true", help="offer explicit FTPS")
    p.add_argument("--tls-implicito", action="store_true",
                   help="TLS from the first byte, as on port 990 (implies --tls)")
    p.add_argument("--certificados", help="folder for the throwaway CA and server certificate")
    p.add_argument("--retraso", type=float, default=1.0, help="seconds before a response appears")
    p.add_argument("--lento", type=float, default=0.0, help="seconds before every reply")
    p.add_argument("--bitacora", help="log of every command received")
    p.add_argument("--control", help="control file read every 100 ms")
    p.add_argument("--aviso-gen")
    p.add_argument("--aviso-txt")
    p.add_argument("--server-dat")
    p.add_argument("--r001", action="append", default=[])
    p.add_argument("--folios", action="store_true", help="publish ENV/folios.aut")
    args = p.parse_args()
    args.tls = args.tls or args.tls_implicito

    centro = Centro(args)
    if args.aviso_gen is not None:
        centro.orden("aviso.gen " + args.aviso_gen)
    if args.aviso_txt is not None:
        centro.orden("aviso.txt " + args.aviso_txt)
    if args.server_dat is not None:
        centro.orden("server.dat " + args.server_dat)
    for n in args.r001:
        centro.orden("r001 " + n)
    if args.folios:
        centro.orden("folios.aut")

    autorizador = DummyAuthorizer()
    autorizador.add_user(args.usuario, args.contrasena, centro.raiz, perm="elradfmw")

    if args.tls:
        if TLS_FTPHandler is None:
            sys.exit("centro_simulado: python3-openssl is needed for --tls")
        base, base_dtp = TLS_FTPHandler, TLS_DTPHandler
    else:
        base, base_dtp = FTPHandler, DTPHandler

    class Datos(base_dtp):
        enviados = 0
        recibidos = 0

        def use_sendfile(self):
            return False  # every byte through send(), so muere-tras can count them

        def readable(self):
            # libcurl sends its ClientHello before the server asks to read:
            # stay readable while the handshake is pending.
            if getattr(self, "_ssl_accepting", False):
                return True
            # A stalled centre: the upload stays open, unread, what came on disk.
            if self.receive and centro.pausa_subida is not None and self.recibidos >= centro.pausa_subida:
                if self.file_obj is not None and not self.file_obj.closed:
                    self.file_obj.flush()
                return False
            return super().readable()

        def writable(self):
            # A stalled centre: the data connection stays open, silent.
            if centro.pausa_tras is not None and self.enviados >= centro.pausa_tras:
                return False
            return super().writable()

        def send(self, data):
            if centro.muere_tras is not None and self.enviados + len(data) > centro.muere_tras:
                centro.anota("MUERE")
                os._exit(3)
            n = super().send(data)
            self.enviados += n or 0
            return n

        def handle_close(self):
            ruta = centro.crece_al_subir
            if self.receive and ruta and not self._closed:
                centro.crece_al_subir = None
                t = os.stat(ruta)
                with open(ruta, "ab") as f:
                    f.write(b"resto del archivo\r\n")
                os.utime(ruta, ns=(t.st_atime_ns, t.st_mtime_ns))
            super().handle_close()

        def recv(self, n):
            # The centre dies in the middle of an upload, part of it on its disk.
            datos = super().recv(n)
            self.recibidos += len(datos or b"")
            if centro.muere_subida is not None and self.recibidos > centro.muere_subida:
                centro.anota("MUERE")
                os._exit(3)
            return datos

    class Manejador(base):
        dtp_handler = Datos
        banner = "KORVA Centro de Prevalidacion (simulado)"

        if args.tls_implicito:
            def __init__(self, *a, **k):
                super().__init__(*a, **k)
                if self.connected:
                    # The handshake comes before the greeting.
                    self.secure_connection(self.ssl_context)

        if args.tls:
            def ftp_AUTH(self, line):
                if centro.rechaza_auth:
                    self.respond("502 AUTH no disponible.")
                    return
                return super().ftp_AUTH(line)

            def ftp_PROT(self, line):
                # A centre that encrypts the session but not its data.
                if centro.rechaza_prot:
                    self.respond("534 PROT P no disponible.")
                    return
                return super().ftp_PROT(line)

        def ftp_STOR(self, file, mode="w"):
            # A centre that refuses an upload by its name.
            if centro.rechaza_stor:
                self.respond("553 Nombre de archivo no permitido.")
                return
            return super().ftp_STOR(file, mode)

        def ftp_PWD(self, line):
            # A reply code that only AUTH should give, from a plain server.
            if centro.pwd_234:
                self.respond('234 "/" es la carpeta actual.')
                return
            return super().ftp_PWD(line)

        def handle(self):
            centro.anota("CONEXION")
            if not centro.silencio:
                super().handle()

        def pre_process_command(self, line, cmd, arg):
            centro.anota("PASS ****" if cmd == "PASS" else line)
            if centro.silencio:
                return None  # read, never answered
            if centro.lento <= 0:
                return super().pre_process_command(line, cmd, arg)
            procesa = super().pre_process_command

            def tarde():
                if not self._closed:
                    procesa(line, cmd, arg)

            centro.ioloop.call_later(centro.lento, tarde)

        def on_login(self, username):
            centro.anota("LOGIN " + username)

        def on_file_received(self, file):
            if os.path.dirname(os.path.abspath(file)) == centro.rec:
                centro.responde(file)

        def ftp_NLST(self, path):
            # Sorted by name, so a test knows which file is fetched first.
            try:
                nombres = self.run_as_current_user(self.fs.listdir, path)
            except OSError as err:
                self.respond("550 %s." % err.strerror)
                return
            nombres = sorted(nombres) + centro.nlst_extra
            data = "".join(n + "\r\n" for n in nombres)
            self.push_dtp_data(data.encode("utf8", self.unicode_errors), cmd="NLST")
            return path

    Manejador.authorizer = autorizador
    Manejador.auth_failed_timeout = 0.2  # a bad login answers at once, for quick tests
    Manejador.passive_ports = None
    Manejador.masquerade_address = None
    Manejador.permit_foreign_addresses = False

    if args.tls:
        carpeta = os.path.abspath(args.certificados or os.path.join(centro.raiz, "..", "certificados"))
        ca, cert, llave = genera_certificados(carpeta)
        Manejador.certfile = cert
        Manejador.keyfile = llave
        Manejador.tls_control_required = False
        Manejador.tls_data_required = False
        print("CA " + ca, flush=True)

    servidor = FTPServer(("127.0.0.1", args.puerto), Manejador)
    centro.ioloop = servidor.ioloop
    centro.servidor = servidor
    servidor.ioloop.call_every(0.1, centro.lee_control)
    print("LISTO %d" % servidor.address[1], flush=True)
    try:
        # Wake every 100 ms so the control file and delayed responses run
        # while no client is connected; every 5 ms when replies are late, so
        # each leaves on time rather than at the next wake.
        servidor.serve_forever(timeout=0.005 if args.lento > 0 else 0.1, handle_exit=True)
    finally:
        servidor.close_all()


def genera_certificados(carpeta):
    """A throwaway CA and a server certificate for 127.0.0.1 and localhost."""
    os.makedirs(carpeta, exist_ok=True)
    ca = os.path.join(carpeta, "ca.pem")
    ca_llave = os.path.join(carpeta, "ca.key")
    cert = os.path.join(carpeta, "servidor.pem")
    llave = os.path.join(carpeta, "servidor.key")
    if os.path.exists(cert) and os.path.exists(ca):
        return ca, cert, llave
    ext = os.path.join(carpeta, "ext.cnf")
    with open(ext, "w") as f:
        f.write("subjectAltName=IP:127.0.0.1,DNS:localhost\n"
                "basicConstraints=CA:FALSE\nkeyUsage=digitalSignature,keyEncipherment\n"
                "extendedKeyUsage=serverAuth\n")
    csr = os.path.join(carpeta, "servidor.csr")

    def corre(*orden):
        subprocess.run(("openssl",) + orden, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    corre("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", ca_llave, "-out", ca,
          "-days", "2", "-subj", "/CN=Centro Simulado CA",
          "-addext", "basicConstraints=critical,CA:TRUE",
          "-addext", "keyUsage=critical,keyCertSign,cRLSign")
    corre("req", "-newkey", "rsa:2048", "-nodes", "-keyout", llave, "-out", csr,
          "-subj", "/CN=127.0.0.1")
    corre("x509", "-req", "-in", csr, "-CA", ca, "-CAkey", ca_llave, "-CAcreateserial",
          "-out", cert, "-days", "2", "-extfile", ext)
    return ca, cert, llave


if __name__ == "__main__":
    main()
