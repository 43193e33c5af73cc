#include "platform/vendrix/clsreporte.h"

#include "platform/reportengine/engine.h"
#include "platform/reportengine/errors.h"
#include "platform/reportengine/layout.h"
#include "platform/ui/operator.h"
#include "platform/vb/app.h"
#include "platform/vb/conversions.h"

#include <optional>

namespace {

bool named(const QString& name, const char* property) {
    return name.trimmed().compare(QLatin1String(property), Qt::CaseInsensitive) == 0;
}

}  // namespace

void clsReporte::Propiedad(const QString& nombre, const vb::Variant& valor) {
    if (named(nombre, "PrintFileName")) {
        printFileName_ = vb::CStr(valor);
    } else if (named(nombre, "PrintFileType")) {
        if (!valor.isNumber() && !(valor.isString() && vb::IsNumeric(valor))) {
            vb::raise(vb::err::TypeMismatch, reportengine::errorSource());
        }
        printFileType_ = vb::CLng(valor);
    } else {
        throw vb::VbError(438, QStringLiteral("El reporte no tiene la propiedad %1").arg(nombre),
                          reportengine::errorSource());
    }
}

void clsReporte::EjecutaReporte(const QString& reporte, const QStringList& lista,
                                const QString& seleccion, const QString& conexion,
                                const QStringList& formulas, const QString& subreporte1,
                                const QString& subreporte2, const QString& subreporte3) {
    using namespace reportengine;
    // Everything about the destination is checked before any data is read.
    if (Destino == DestinoCorreo()) {
        fail(err::NotSupported,
             QStringLiteral("El destino correo electrónico no está disponible"));
    }
    if (Destino != DestinoPantalla() && Destino != DestinoImpresora() &&
        Destino != DestinoArchivo()) {
        fail(err::NotSupported, QStringLiteral("Destino de reporte desconocido: %1").arg(Destino));
    }
    if (Destino == DestinoArchivo()) {
        if (printFileName_.trimmed().isEmpty()) {
            fail(err::WriteFailed, QStringLiteral("No se indicó el archivo del reporte"));
        }
        if (printFileType_ != kReportFileType && printFileType_ != kHtmlFileType) {
            fail(
                err::NotSupported,
                QStringLiteral("Tipo de archivo de reporte no soportado: %1").arg(printFileType_));
        }
    }

    RunRequest request;
    request.form = reporte;
    request.baseFolder = CarpetaBase.isEmpty() ? vb::App().Path : CarpetaBase;
    request.selection = seleccion;
    request.assignments = asignadas_;
    for (const QString& element : lista) {
        if (const auto sort = parseSortField(element)) {
            request.sort.append(*sort);
        } else {
            request.assignments.append(element);
        }
    }
    request.assignments += formulas;
    for (const QString& nombre : {subreporte1, subreporte2, subreporte3})
        if (!nombre.trimmed().isEmpty()) request.subreports.append(nombre.trimmed());

    // The hourglass while the report is read, printed or written; the preview is the
    // operator's to use.
    std::optional<ui::BusyPointer> busy(std::in_place);
    const ReportDocument document = buildDocument(request, parseLogon(conexion));
    if (Destino == DestinoPantalla()) {
        busy.reset();
        showPreview(document);
    } else if (Destino == DestinoImpresora()) {
        PagedReport pages(document);
        printReport(pages, DatoImpresora2.trimmed().isEmpty() ? DatoImpresora1 : DatoImpresora2);
    } else {
        writeReportFile(document, printFileName_, printFileType_);
    }
}

void clsReporte::AsignaFormulas(const QStringList& formulas, std::int16_t) {
    asignadas_ = formulas;
}

// Nothing is left to close: each run released what it used before it returned.
void clsReporte::FinReporte(std::int16_t) {}

clsReporte& gReporte() {
    static clsReporte instance;
    return instance;
}
