#include "app/arranque.h"

#include "core/startup.h"
#include "db/frmacceso.h"
#include "db/origen_reportes.h"
#include "lookup/formularios_qt.h"
#include "lookup/lib_clscons3.h"
#include "platform/reportengine/engine.h"
#include "platform/reportengine/previewwindow.h"
#include "platform/reportengine/printing.h"
#include "receipts/imp_recibos.h"
#include "send/hooks.h"
#include "send/informe.h"
#include "transfer/hooks.h"
#include "voucherdata/auxiliar_comprobantes.h"
#include "voucherprint/imprimircomprobante.h"
#include "platform/ui/operator.h"
#include "platform/vb/app.h"

#include <QApplication>

#include <cstdlib>
#include <ctime>

namespace arranque {

void fijaZonaHoraria() {
    setenv("TZ", ":/etc/localtime", 0);
    tzset();
}

Programa::Programa(QApplication& app) {
    ui::installSpanishQtTexts(app, qtTexts_);
    ui::setOperator(&operador_);
    vb::App().Title = QStringLiteral("Zentrik");
    instalaServicios();
}

void instalaServicios() {
    frmAcceso::Instala();
    core::installDatabaseHooks();
    lookup::instalaFormularios();
    core::startupHooks().PreparaConsultas = lookup::PreparaConsultas;
    core::startupHooks().CreaMascarasSiFaltan = lookup::CreaMascarasSiFaltan;
    send::instalaEnInforme();
    transfer::instalaEnEnvio();
    transfer::instalaVentanas();
    instalaDocumentosEnEnvio();
    reportengine::services() = {dbreportes::abreDatos, reportengine::showPreviewWindow,
                                reportengine::printOnNamedPrinter};
}

void instalaDocumentosEnEnvio() {
    sendhooks::Servicios& servicios = sendhooks::servicios();
    servicios.GeneraAuxiliarComprobantes =
        [](QString& TC, const QString& SucursalDesde, const QString& NumeroDesde,
           const QString& LetraDesde, const QString& IdComplementoDesde, std::int16_t LineasTitulo,
           const QString& SucursalHasta, const QString& NumeroHasta, const QString& LetraHasta,
           const QString& IdComplementoHasta, const QString& ListaID,
           const QString& ListaIdComprobante, const QString& IdTarea, bool Agregar) {
            ModGlobal::GeneraAuxiliarComprobantes(
                TC, SucursalDesde, NumeroDesde, LetraDesde, IdComplementoDesde, LineasTitulo,
                SucursalHasta, NumeroHasta, LetraHasta, IdComplementoHasta, ListaID,
                ListaIdComprobante, IdTarea, vb::Variant(Agregar));
        };
    servicios.GeneraAuxiliarRecibo_PagoCobranza = IMP_Recibos::GeneraAuxiliarRecibo_PagoCobranza;
    servicios.ImprimirComprobante = ModGlobal::ImprimirComprobante;
}

}  // namespace arranque
