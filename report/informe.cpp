#include "report/informe.h"

#include "core/config.h"
#include "core/errordialog.h"
#include "core/globals.h"
#include "platform/ui/operator.h"
#include "platform/vb/steps.h"
#include "platform/vendrix/clsreporte.h"
#include "report/envio.h"
#include "report/reportes.h"

#include <QFile>
#include <QFileInfo>

namespace ModGlobal {

QString gArchivoInformeMail;

}  // namespace ModGlobal

namespace report {

namespace {

constexpr std::int16_t adDouble = 5;
constexpr std::int16_t adDate = 7;
constexpr std::int16_t adChar = 129;

FiltroRango rango(const QString& campo, std::int16_t tipo, const QString& desde,
                  const QString& hasta) {
    FiltroRango f;
    f.Campo = campo;
    f.Tipo = tipo;
    f.Desde = desde;
    f.Hasta = hasta;
    return f;
}

}  // namespace

QList<FiltroRango> FiltrosInforme(const RangosInforme& r) {
    return {
        rango(QStringLiteral("{AUX_ERR.USUARIO}"), adChar, r.UsuarioDesde, r.UsuarioHasta),
        rango(QStringLiteral("{AUX_ERR.fecha}"), adDate, r.FechaDesde, r.FechaHasta),
        rango(QStringLiteral("{AUX_ERR.PC}"), adChar, r.PcDesde, r.PcHasta),
        rango(QStringLiteral("{AUX_ERR.ERROR}"), adDouble, r.ErrorDesde, r.ErrorHasta),
    };
}

void GeneraInforme(const RangosInforme& rangos, const QString& asunto) {
    clsReporte& reporte = gReporte();
    QString formula;
    QString mensaje;
    ModGlobal::ArmaFormulaSeleccion(FiltrosInforme(rangos), formula, &mensaje);
    if (!mensaje.isEmpty()) {
        ui::op().msgBox(mensaje, vb::vbOKOnly, QStringLiteral("Atención"));
        reporte.CodigoFinal = 20;
        return;
    }

    vb::Steps paso(ModGlobal::manejaError(QStringLiteral("GeneraInforme")));
    QString empresa;
    QString archivo;
    bool corrio = false;
    paso([&] {
        empresa = QStringLiteral("Nombreempresa = '") + ModGlobal::Cfg(QStringLiteral("NOMBRE")) +
                  QStringLiteral("'");
    });
    paso([&] {
        reporte.Opcion3 = true;
        reporte.Opcion1 = false;
        reporte.Opcion2 = true;
    });
    paso([&] { archivo = ModGlobal::NombreReporte(QStringLiteral("AUX_ERR")); });
    paso([&] {
        reporte.EjecutaReporte(archivo, {QString()}, formula, ModGlobal::gConexionReporte,
                               {empresa, QString(), QString(), QString(), QString()});
        corrio = true;
    });
    const bool aArchivo = reporte.Destino == reporte.DestinoArchivo();
    // A run that failed has already been told; no send dialog follows it.
    if (corrio && aArchivo) {
        paso([&] {
            const QFileInfo escrito(ModGlobal::gArchivoInformeMail);
            if (!escrito.isFile() || escrito.size() == 0) {
                ui::op().msgBox(QStringLiteral("No se generó el archivo del informe ") +
                                    ModGlobal::gArchivoInformeMail,
                                vb::vbExclamation, QStringLiteral("Atención"));
                return;
            }
            MuestraEnviar(ModGlobal::gArchivoInformeMail, asunto);
        });
    }
    // The temporary report file is of no use once the dialog is closed.
    if (aArchivo && !ModGlobal::gArchivoInformeMail.isEmpty())
        QFile::remove(ModGlobal::gArchivoInformeMail);
    reporte.CodigoFinal = 20;
}

}  // namespace report
