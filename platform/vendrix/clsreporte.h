#pragma once

#include "platform/vb/variant.h"

#include <QString>
#include <QStringList>

#include <cstdint>

// The suite's report printer: runs a report form to the screen (a modal preview), the
// printer, or a file, with formula assignments, a record-selection formula and sort fields.
// The data come through the report engine's data service, which the program installs at
// start-up on the database class's connection (reportengine::Services). Every failure is
// raised as a vb::VbError.
class clsReporte {
public:
    // Destination codes.
    std::int16_t DestinoPantalla() const { return 0; }
    std::int16_t DestinoImpresora() const { return 1; }
    std::int16_t DestinoArchivo() const { return 2; }
    // Mail output is not available: a run to it raises.
    std::int16_t DestinoCorreo() const { return 3; }

    // Where the next runs go.
    std::int16_t Destino = 0;
    // The program folder (with its trailing separator): relative form names are found there.
    QString CarpetaBase;
    // Settings callers write around their runs and read back; the engine needs none of them.
    bool Opcion1 = false;
    bool Opcion2 = false;
    bool Opcion3 = false;
    std::int16_t CodigoFinal = 0;
    bool IndicadorPrevio = false;
    // Printer selection for the printer destination: DatoImpresora2 (or DatoImpresora1 when 2
    // is empty) names the printer, empty for the default one; DatoImpresora3, the port of
    // Windows' printer selection, has no counterpart here.
    QString DatoImpresora1;
    QString DatoImpresora2;
    QString DatoImpresora3;

    // Properties by name, without regard to case: "PrintFileName" (the file of the file
    // destination) and "PrintFileType" (7 a saved report, 22 HTML; a number or numeric text).
    // Another name raises 438, a type that is not a number 13.
    void Propiedad(const QString& nombre, const vb::Variant& valor);
    const QString& PrintFileName() const { return printFileName_; }
    int PrintFileType() const { return printFileType_; }

    // Runs a report to the current destination. `lista`: elements shaped "+{T.F}" or "-{T.F}"
    // are sort fields (replacing the form's order), other non-empty ones formula assignments
    // "name = 'value'". `conexion`: the logon text "DSN=…; UID=…; PWD=…". `formulas`: up to
    // five more assignments (empty ones count as not given). Assignments apply in order, the
    // list of AsignaFormulas first, so a later one wins. The subreports of the form named here
    // run (an empty name is none; a name the form does not hold is passed over); the others
    // draw nothing. A failed run writes no file.
    void EjecutaReporte(const QString& reporte, const QStringList& lista, const QString& seleccion,
                        const QString& conexion, const QStringList& formulas = {},
                        const QString& subreporte1 = {}, const QString& subreporte2 = {},
                        const QString& subreporte3 = {});

    // Formula assignments for the following runs (its last element usually empty); they stay
    // until the next call. `modo` is accepted for the callers' sake.
    void AsignaFormulas(const QStringList& formulas, std::int16_t modo = 0);
    // The closing call after a document's runs. Each run already released what it used, so
    // there is nothing left to close.
    void FinReporte(std::int16_t codigo);

private:
    QString printFileName_;
    int printFileType_ = 0;
    QStringList asignadas_;
};

// The program-wide report printer, created on first use.
clsReporte& gReporte();
