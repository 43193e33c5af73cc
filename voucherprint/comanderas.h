#pragma once

#include "platform/vb/textfile.h"

#include <QByteArray>
#include <QString>

namespace ModGlobal {

// One record of the station file "Comanderas.cfg", which another program of the suite writes:
// for a workstation and a named kitchen printer, its serial port and the parts of the ticket
// it prints. Fields hold their text as stored, padding included; switches hold "S" when on.
struct RegistroComandera {
    QString Equipo;  // station key: computer name, "|", Windows user name
    QString NombreComandera;
    QString Puerto;  // "COM" and the port number
    QString Reservado4;
    QString ImprimeEncabezado1;
    QString Encabezado1;  // blank: the company name
    QString ImprimeEncabezado2;
    QString Encabezado2;  // blank: the company's address
    QString ImprimeNumero;
    QString ImprimeCliente;
    QString ImprimePie;
    QString Pie;
    QString Reservado13;
    QString Reservado14;
    QString Reservado15;
    QString DetalleRenglon;  // item lines in the two-line layout
    QString Reservado17;

    // The 17 fields' widths, 910 bytes in all, kept byte for byte.
    static const vb::FixedRecord& Formato();
    static RegistroComandera desdeBytes(const QByteArray& bytes);
};

// The last record LeeComanderas read: the station's when it was found.
extern RegistroComandera gComandera;

// Whether a switch field is on: "S" in either case, padding aside.
bool Activo(const QString& interruptor);

// Looks for this station's record of the kitchen printer `Nombre` (any printer of the station
// when empty) in the program folder's "Comanderas.cfg", leaving it in gComandera. Sets
// `Encontrado` to true when found and never to false; shows and raises nothing.
void LeeComanderas(bool& Encontrado, const QString& Nombre);

}  // namespace ModGlobal
