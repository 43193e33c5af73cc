#include "voucherdata/work_table_build.h"

#include "core/config.h"
#include "core/formats.h"
#include "db/db_dll.h"
#include "platform/vb/conversions.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clsutil.h"

namespace voucherdata {

namespace {

const QString kInsertCabeza = QStringLiteral("INSERT INTO Aux_MV_Cpte ");

}  // namespace

bool WorkTableBuild::observation(const QString& condicion, QString& texto) {
    ado::Recordset rs;
    bool hay = false;
    vb::Steps paso(stageHandler());
    paso([&] {
        openRead(QStringLiteral("SELECT * FROM V_MV_CPTE_Observ ") + filtro + condicion, rs);
    });
    // Of several observations of the kind only the first one counts.
    paso([&] {
        if (rs.Eof()) return;
        texto = gUtil().NuloAVacio(rs[QStringLiteral("Observacion")]);
        hay = true;
    });
    gDB().CierraRecordset(rs);
    return hay;
}

void WorkTableBuild::textRow(const QString& columna, const QString& texto) {
    vb::Steps paso(stageHandler());
    paso([&] {
        execute(kInsertCabeza + QStringLiteral("(Usuario,TC,IdComprobante,IdComplemento,Tipo,") +
                columna + QStringLiteral(") VALUES (") + quoted(station()) + u',' + quoted(TC) +
                u',' + quoted(idComprobante()) + u',' + quoted(IdComplemento) +
                QStringLiteral(",'',") + quoted(texto) + u')');
    });
}

void WorkTableBuild::headerRow() {
    if (!IdTarea.isEmpty()) return;
    QString texto = QStringLiteral(".");
    observation(QStringLiteral(" AND Tipo_Obs = 'EN' "), texto);
    textRow(QStringLiteral("Encabezado "), texto);
}

void WorkTableBuild::footerRow() {
    if (!IdTarea.isEmpty()) return;
    QString texto;
    // A voucher without a footer observation gets no footer row at all.
    if (observation(QStringLiteral(" AND (Tipo_Obs = 'PP')"), texto))
        textRow(QStringLiteral("PieDePagina"), texto);
}

void WorkTableBuild::titleBlock(const QString& titulo) {
    vb::Steps paso(stageHandler());
    const std::int16_t mitad = LineasTitulo / 2;
    std::int16_t i = 0;
    // The test follows the first row: the block always has one.
    do {
        if (i == mitad) {
            paso([&] {
                execute(kInsertCabeza +
                        QStringLiteral("(Usuario, TC , IdComprobante , IdComplemento , Tipo , "
                                       "Seccion) VALUES (") +
                        quoted(station()) + u',' + quoted(TC) + u',' + quoted(idComprobante()) +
                        u',' + quoted(IdComplemento) + QStringLiteral(",'M',") + quoted(titulo) +
                        u')');
            });
        } else {
            paso([&] {
                execute(QStringLiteral(
                            "INSERT INTO Aux_MV_Cpte(Usuario,TC,IdComprobante,IdComplemento,Tipo) "
                            "VALUES (") +
                        quoted(station()) + u',' + quoted(TC) + u',' + quoted(idComprobante()) +
                        u',' + quoted(IdComplemento) + QStringLiteral(",'3')"));
            });
        }
        ++i;
    } while (i < LineasTitulo && !paso.left());
}

void WorkTableBuild::otherConcepts() {
    if (!IdTarea.isEmpty()) return;
    vb::Steps paso(stageHandler());
    bool ignoraCero = false;
    ado::Recordset rs;
    paso([&] {
        // Compared trimmed: the value may be stored padded.
        ignoraCero = vb::Trim(ModGlobal::Cfg(QStringLiteral("IgnoraImportesCeroEnOC")))
                         .compare(QLatin1String("SI"), Qt::CaseInsensitive) == 0;
    });
    paso([&] {
        openRead(QStringLiteral("SELECT * FROM V_MV_CPTE_Observ ") + filtro +
                     QStringLiteral(" AND Tipo_Obs = 'OC' ") + QStringLiteral(" ORDER BY ID"),
                 rs);
    });
    bool hay = false;
    paso([&] { hay = !rs.Eof(); });
    if (!hay || paso.left()) {
        gDB().CierraRecordset(rs);
        return;
    }
    titleBlock(QStringLiteral("Otros Conceptos - Observaciones - Comentarios"));
    const auto importe = [&](const QString& campo) {
        const QString valor = gUtil().NuloAVacio(rs[campo]);
        if (ignoraCero && gUtil().ValorNumerico(valor) == vb::Currency())
            return QStringLiteral("''");
        return quoted(vb::CStr(ModGlobal::FmtMoneda(valor, -1, false)));
    };
    bool fin = false;
    while (!fin && !paso.left()) {
        bool letraA = false;
        paso([&] {
            letraA = vb::Right(gUtil().NuloAVacio(rs[QStringLiteral("IdComprobante")]), 1)
                         .compare(QLatin1String("A"), Qt::CaseInsensitive) == 0;
        });
        paso([&] { startRow(QStringLiteral("OC")); });
        pair(QStringLiteral("Columna1"), QStringLiteral("''"));
        pair(paso, QStringLiteral("Columna2"), [&] {
            const QString texto = vb::Trim(gUtil().NuloAVacio(rs[QStringLiteral("Observacion")]));
            return quoted(gUtil().QuitaCaracter(texto, QStringLiteral("'")));
        });
        pair(QStringLiteral("Columna3"), QStringLiteral("'0'"));
        pair(QStringLiteral("Columna4"), QStringLiteral("'0'"));
        pair(QStringLiteral("Columna5"), QStringLiteral("'0'"));
        pair(paso, QStringLiteral("Columna6"), [&] {
            return importe(letraA ? QStringLiteral("Importe_S_IVA") : QStringLiteral("Importe"));
        });
        pair(paso, QStringLiteral("Columna7"),
             [&] { return importe(QStringLiteral("Importe_S_IVA")); });
        pair(QStringLiteral("Columna8"), QStringLiteral("'0'"));
        pair(paso, QStringLiteral("Columna12"), [&] {
            return vb::CStr(gDB().SQLValue(rs[QStringLiteral("fechavj")], QStringLiteral("'")));
        });
        pair(paso, QStringLiteral("Columna13"), [&] {
            return vb::CStr(gDB().SQLValue(rs[QStringLiteral("NroViaje")], QStringLiteral("'")));
        });
        paso([&] { insertPairs(); });
        paso([&] { rs.MoveNext(); });
        try {
            fin = rs.Eof();
        } catch (const vb::VbError&) {
            fin = true;
        }
    }
    gDB().CierraRecordset(rs);
}

}  // namespace voucherdata
