#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QString>
#include <vector>

#include "comun/EstadoPrincipal.h"
#include "platform/ArchivoEnMemoria.h"

namespace korva {

struct Contexto;
class Dialogos;
class Impresoras;

// The file viewer's content: a file of records shown entry by entry, long
// records cut into pieces, with the split table that turns record numbers
// into list positions and back. It is the model of the viewer's list: the
// file's bytes are kept as read and an entry is decoded only when shown, so
// a large file costs one copy of itself and a few bytes per entry.
class Visor final : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int kRegistroMaximo = 32000; // records this long are not shown
    static constexpr int kLargoEntrada = 100;     // longer records are cut
    // The split table: the record number of every entry that is not its
    // record's first (a length cut or a line feed made it), in file order.
    // It keeps every cut, so record numbers and list positions translate
    // both ways in any file.
    using Arreglo = std::vector<qint32>;

    explicit Visor(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    // The view asks for every row's index while it lays out the list; a
    // flat list answers without the generic checks.
    QModelIndex index(int row, int column = 0, const QModelIndex& parent = QModelIndex()) const override {
        return row >= 0 && row < entradas() && column == 0 && !parent.isValid() ? createIndex(row, 0)
                                                                                : QModelIndex();
    }
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    int entradas() const { return int(piezas_.size()); }
    QString entrada(int i) const;
    // The viewer's copy of the split table.
    QList<qint32> tabla() const;

    const QString& caption() const { return caption_; }
    const QString& TxtRegistro() const { return registro_; }
    void setTxtRegistro(const QString& t);

    // Empties the list (the caption stays until the next load).
    void limpia();
    // Takes a file of code page text whose records end at CR LF or CR, cuts
    // it into entries and fills the split table.
    void carga(ArchivoEnMemoria archivo, Arreglo& arreglo);
    void setCaption(const QString& c);
    void RecibeArreglos(const Arreglo& arreglo);

    // "Ir al &Registro": the 0-based entry where the typed record starts,
    // or -1 after refusing it with a message.
    int CmdRegistro(Dialogos& dlg);
    // A click on entry L writes its record number into TxtRegistro.
    void LstArchivos_Click(int L);
    // What goes to the printer: caption, every entry, closing line.
    QStringList lineasImpresion() const;
    // "&Imprimir" on the printer at position `impresora` (-1: none chosen).
    void CmdImprimir(Dialogos& dlg, Impresoras* impresoras, const QString& impresora);

    // Where an entry's bytes lie in the file.
    struct Pieza {
        qint32 inicio; // -1: the too-long placeholder
        qint32 largo;
    };
    // How carga cuts a file's bytes into entries and fills the split table;
    // on its own so the cutting can be checked without a file.
    static void cortaEntradas(const char* datos, qint32 total, std::vector<Pieza>& piezas, Arreglo& arreglo);

signals:
    void registroCambiado();
    void enfocaRegistro();         // focus back to the record-number box
    void seleccionaEntrada(int i); // select and show that entry
    void mostrar();                // show the viewer and give it the focus
    void captionCambiado();

private:
    ArchivoEnMemoria archivo_;
    std::vector<Pieza> piezas_;
    Arreglo tabla_;
    QString caption_;
    QString registro_;
};

// Loads a file of a folder into the viewer and shows it.
void MuestraArchivo(Contexto& ctx, Visor& visor, const QString& Archivo, const QString& Directorio);

// The file a list entry names and the folder it lives in.
struct ArchivoDeLista {
    QString Archivo;
    QString Directorio;
};
// For the sent, received, pending and rejected lists.
ArchivoDeLista archivoDeEntrada(EstadoPrincipal& st, Lista lista, const QString& entrada);
// Double click on an entry of one of those lists.
void abreEntrada(Contexto& ctx, Visor& visor, Lista lista, const QString& entrada);

} // namespace korva
