#include "voucherdata/work_table_build.h"

#include "core/formats.h"
#include "db/column_fit.h"
#include "db/db_dll.h"
#include "platform/vb/conversions.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clsutil.h"

namespace voucherdata {

namespace {

QString tituloTareas(const WorkTableBuild& b) {
    return b.typeIs("PR") || b.typeIs("OT") ? QStringLiteral("Detalles de Tareas a Realizar")
                                            : QStringLiteral("Detalles de Tareas Realizadas");
}

}  // namespace

void WorkTableBuild::taskRow(vb::Steps& paso, const ado::Recordset& rs, const char* adicional,
                             const char* minutos, bool importes) {
    const auto texto = [&](const char* campo) { return field(rs, campo); };
    // Each text cut to its column as the database defines it: a long description or rich
    // text must not cost the task its row.
    const auto valor = [](const char* columna, const QString& text) {
        return quoted(columnfit::ajusta(gDB().gCnn, QStringLiteral("AUX_MV_CPTE"),
                                        QString::fromLatin1(columna), text));
    };
    const auto monto = [&](const char* columna, const char* campo) {
        return valor(columna, vb::CStr(ModGlobal::FmtMoneda(texto(campo), -1, false)));
    };
    paso([&] { startRow(QStringLiteral("TA")); });
    pair(paso, QStringLiteral("Columna1"),
         [&] { return valor("Columna1", vb::Trim(texto("IDTAREA"))); });
    // The additional text is rich text: it follows the plain description under an RTF header.
    pair(paso, QStringLiteral("Columna2"), [&] {
        const QString d = vb::Trim(texto("Descripcion"));
        const QString a = texto(adicional);
        if (gUtil().LimpiaTexto(vb::Trim(a)).isEmpty()) return valor("Columna2", d);
        return valor("Columna2",
                     QStringLiteral("{\\rtf1\\ansi\\deff0 ") + d + QStringLiteral("\r\n ") + a);
    });
    pair(QStringLiteral("Columna3"), QStringLiteral("' '"));
    pair(paso, QStringLiteral("Columna4"), [&] {
        // Work orders may hide their times; the amounts are written all the same.
        if (typeIs("OT") && NoMostrarImportesEnOT) return QStringLiteral("'      '");
        return valor("Columna4", vb::CStr(ModGlobal::FormatoHoras(texto(minutos))));
    });
    if (importes) {
        pair(paso, QStringLiteral("Columna5"), [&] { return monto("Columna5", "ValorHora"); });
        pair(paso, QStringLiteral("Columna6"), [&] { return monto("Columna6", "Total"); });
        pair(paso, QStringLiteral("Columna7"),
             [&] { return monto("Columna7", "valorHora_S_Iva"); });
    } else {
        pair(QStringLiteral("Columna5"), QStringLiteral("'0'"));
        pair(QStringLiteral("Columna6"), QStringLiteral("'0'"));
        pair(QStringLiteral("Columna7"), QStringLiteral("'0'"));
    }
    paso([&] { insertPairs(); });
}

void WorkTableBuild::taskRows(vb::Steps& paso, ado::Recordset& rs, const char* adicional,
                              const char* minutos, bool importes) {
    while (!atEnd(rs) && !paso.left()) {
        taskRow(paso, rs, adicional, minutos, importes);
        try {
            rs.MoveNext();
        } catch (const vb::VbError&) {
            break;
        }
    }
    gDB().CierraRecordset(rs);
}

void WorkTableBuild::tasks() {
    vb::Steps paso(stageHandler());
    ado::Recordset rs;
    const QString unaTarea =
        IdTarea.isEmpty() ? QString() : QStringLiteral(" and idtarea = ") + quoted(IdTarea);
    paso([&] {
        openRead(QStringLiteral("SELECT * FROM V_MV_CPTETAREAS  ") + filtro + unaTarea +
                     QStringLiteral(" ORDER BY ID "),
                 rs);
    });
    if (!atEnd(rs) && !paso.left()) {
        titleBlock(tituloTareas(*this));
        return taskRows(paso, rs, "descripcionadicional", "Horas", true);
    }
    gDB().CierraRecordset(rs);
    if (IdTarea.isEmpty() || paso.left()) return;

    // A single task asked for and the voucher has none: its daily-log entries instead. The
    // title goes first, even when the task has no entry.
    paso([&] {
        openRead(QStringLiteral("SELECT * FROM V_MV_DIARIOS ") + filtro + unaTarea +
                     QStringLiteral(" ORDER BY ID "),
                 rs);
    });
    if (paso.left()) return gDB().CierraRecordset(rs);
    titleBlock(tituloTareas(*this));
    taskRows(paso, rs, "Observaciones", "Minutos", false);
}

}  // namespace voucherdata
