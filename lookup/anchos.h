#pragma once

#include <QList>
#include <QString>

// The column-width file "CONSULTASLEN.KQV": one line per looked-up table, two quoted fields
// (the table and its column widths in twips, each closed by "|"). Other programs of the
// suite share the file, so its format and units stay as they are.
namespace anchos {

struct Par {
    QString clave;   // the looked-up table
    QString anchos;  // "1440|2880|"
};

// The file in the program folder, and the temporary file of a rewrite beside it.
QString rutaArchivo();
QString rutaAuxiliar();

// The pairs of the file in order; an empty list when there is no file.
QList<Par> leePares(const QString& ruta);

// Applies every line stored for `tabla` (without regard to case), in file order, to
// `anchos`: the k-th number of a line sets column k. A line with fewer numbers than columns
// ends the reading there. "Stk_ma_articulos" is renamed "VT_MA_ARTICULOS" in `tabla` itself
// (the caller keeps the new name) when the file exists.
void LeerAnchosColumnas(const QString& ruta, QString& tabla, QList<double>& anchos);

// The widths text of a line: each width as text followed by "|".
QString textoAnchos(const QList<double>& anchos);

// Rewrites the file with the line of `tabla` replaced by `anchos`, every other table's line
// kept as it was. The new file is written whole as `auxiliar` and then renamed over `ruta`,
// so a failure never loses the stored widths. Raises a VbError on failure.
void GrabarAnchosColumnas(const QString& ruta, const QString& auxiliar, const QString& tabla,
                          const QList<double>& anchos);

}  // namespace anchos
