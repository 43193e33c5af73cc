#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

namespace ModGlobal {

// Prints, previews or exports one voucher through the report printer: the report form of each
// copy by voucher type and workstation, the record selection, the sort field and the company
// header formulas, the printer settings of the type (TA_CONFIG_IMP_CPTE), the copy headings,
// the subreports and the order split by item family. Accounting vouchers (`EsContable`, also
// set here from V_TA_CPTE) print their entries instead; a kitchen-printer destination prints
// the order ticket. `Destino` -1 takes the type's default destination. Errors go to the error
// dialog ("ImprimirComprobante").
void ImprimirComprobante(QString TC, QString IdComprobante, QString IdComplemento, QString Reporte,
                         QStringList& Orden, QString& FormulaSeleccion,
                         QStringList& FormulasAdicionales, std::int16_t& Destino,
                         bool& FormulaExterna, QString& Fecha, QString& SeleccionFormulario,
                         bool& EsContable, bool& UnaCopia);

// The company name and tax number a business unit prints under: the unit's own when it has a
// tax number, else the company's from the configuration. Values passed in stay when there is
// no unit. Errors reach the caller.
void DatosUnidadNegocio(const QString& CodigoUnidad, QString& RazonSocial, QString& Cuit);

// The executable name of the suite's deferred-printing program, the one program that sends
// vouchers whose destination is the fiscal printer through the report forms.
inline const QString kProgramaImpresionDiferida = QStringLiteral("ImpresionDiferida");

}  // namespace ModGlobal
