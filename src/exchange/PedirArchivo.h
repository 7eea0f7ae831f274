#pragma once

#include <QString>
#include <QStringList>

namespace korva {

struct Contexto;

// FrmPedirArchivo without its window: places an empty file under a chosen
// name in the pending folder so that the next cycle searches (again) for its
// response. The window reads the main window's slots 1, 3, 5, 6 and 10 and
// the Julian day label.
class PedirArchivo {
public:
    // The window's load: fills CboLetra from slot 10.
    explicit PedirArchivo(Contexto& ctx);

    static inline const QString kCaption = QStringLiteral("KORVA Centro de Prevalidación  - Pedir Archivo");
    static inline const QString kAyuda = QStringLiteral(
        "Esta opción solo buscará un archivo con previa respuesta en el día de hoy, el cual  hubiese sido "
        "borrado, NO genera un archivo de envio.");
    static inline const QString kNotaSagarpa =
        QStringLiteral("* Para los solicitar archivos de Sagarpa es necesario teclear el número de la OISA "
                       "seguido del número "
                       "de folio del archivo.");
    // The Sagarpa message carries the program's name, not the usual title.
    static inline const QString kTituloPrograma = QStringLiteral("KORVAVal");

    // Slot 10's letters, with "e" (either case) as two entries: "ea", "eb".
    static QStringList letras(const QString& LetrasValidacion);
    // The request's name: no "." for the "e" letters, the day on three digits.
    static QString nombre(const QString& letra, const QString& patente, const QString& folio,
                          const QString& dia);

    const QStringList& CboLetra() const { return cboLetra_; }
    int ListIndex() const { return indice_; }
    void setListIndex(int i);
    QString letra() const { return cboLetra_.value(indice_); }

    const QString& TxtFolio() const { return folio_; }
    // Typing: the box keeps at most MaxLength() characters.
    void setTxtFolio(const QString& texto);
    int MaxLength() const { return largo_; }
    // Leaving the letter list: 6 characters for "s" (the OISA number and the
    // folio), 3 otherwise; a longer text is cut, as the box does.
    void CboLetra_LostFocus();

    // Returns true when the request was placed and the window closes.
    bool CmdAceptar_Click();
    // The file the last accepted request created.
    const QString& creado() const { return creado_; }

private:
    Contexto& ctx_;
    QStringList cboLetra_;
    int indice_ = -1;
    QString folio_;
    int largo_ = 3;
    QString creado_;
};

// FrmEliminarBusqueda without its window: lists the patent's pending files
// and deletes the chosen one, so that the cycle stops searching its response.
class EliminarBusqueda {
public:
    // The window's load.
    explicit EliminarBusqueda(Contexto& ctx);

    static inline const QString kCaption =
        QStringLiteral("KORVA Centro de Prevalidación    - Eliminar Busqueda");
    static inline const QString kAyuda = QStringLiteral(
        "Esta opción cancela la busqueda de un Archivo específico, esto SOLO aplica para la transmisión del "
        "archivo, lo que siginifica que cancelar el archivo aquí no tiene ninguna relación con su sistema de "
        "Trabajo de Pedimentos, ni con la Aduana, el sistema solo dejará de buscar la respuesta del "
        "archivo.");

    // Lists the pending folder again.
    void carga();
    const QStringList& LstFiles() const { return lstFiles_; }
    // Disabled until a file is listed; stays enabled from then on.
    bool CmdEliminarHabilitado() const { return habilitado_; }
    // Cancels the search of entry `seleccion` of LstFiles (-1: none).
    void CmdEliminar_Click(int seleccion);

    QString carpetaPendientes() const;

private:
    Contexto& ctx_;
    QStringList lstFiles_;
    bool habilitado_ = false;
};

} // namespace korva
