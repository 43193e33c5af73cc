#pragma once

#include "transfer/cdirlist.h"

#include <QDateTime>
#include <QList>
#include <QString>

// What the FTP client window shows of a listing, worked out without the window.
namespace transfer {

// One row of the window's list: its text, its small icon (1 folder, 2 file) and the three
// columns "Size", "Last Accessed" (which shows the last-write time) and "Attributes".
struct FilaFTP {
    QString texto;
    int icono = 0;
    QString tamano, fecha, atributos;
};

// Nine cells of three characters: archive " A ", compressed " C ", directory " D ",
// hidden " H ", normal " N ", offline " O ", read-only " R ", system " S ", temporary " T ";
// " - " for an attribute that is not set.
QString CadenaAtributos(const cDirItem& item);

// The ".." row, then one row per entry in the list's order.
QList<FilaFTP> FilasDelListado(const cDirList& lista);

// The seconds from the instant `inicio` to the instant `fin`, with their fractions, as
// "###,##0.00".
QString SegundosTranscurridos(const QDateTime& inicio, const QDateTime& fin);

}  // namespace transfer
