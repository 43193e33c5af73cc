#include "voucherdata/auxiliar_comprobantes.h"

#include "core/config.h"
#include "core/formats.h"
#include "db/db_dll.h"
#include "db/sql_builders.h"
#include "db/sql_text.h"
#include "platform/vb/conversions.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clsutil.h"
#include "voucherdata/work_table_build.h"

namespace ModGlobal {

namespace {

using voucherdata::WorkTableBuild;

bool igual(const QString& a, const char* b) {
    return a.compare(QLatin1String(b), Qt::CaseInsensitive) == 0;
}

// The configuration key that says whether vouchers of this type print the company logo.
QString claveLogo(const QString& TC) {
    const QString tipo = vb::Trim(TC);
    for (const char* t : {"FC", "NC", "ND", "FCE"})
        if (igual(tipo, t)) return QStringLiteral("PrintLogo_FC_NC_ND");
    if (igual(tipo, "FP") || igual(tipo, "NCFP")) return QStringLiteral("PrintLogo_Proforma");
    return QStringLiteral("PrintLogo_Otros");
}

// A list of ids as numbers, so that nothing but numbers reaches the statement.
QString listaDeNumeros(const QString& lista) {
    QStringList out;
    for (const QString& item : lista.split(u',')) out.append(sqltext::numero(vb::Val(item)));
    return out.join(u',');
}

// A list of quoted identifiers ('0001000000010A','0001000000011A'), each item quoted again
// with its apostrophes doubled, so that an item cannot end its literal early.
QString listaDeTextos(const QString& lista) {
    QStringList out;
    QString item;
    bool dentro = false;
    const auto cierra = [&] {
        QString t = vb::Trim(item);
        if (t.size() >= 2 && t.startsWith(u'\'') && t.endsWith(u'\''))
            t = t.mid(1, t.size() - 2).replace(QStringLiteral("''"), QStringLiteral("'"));
        out.append(WorkTableBuild::quoted(t));
        item.clear();
    };
    for (const QChar c : lista) {
        // A doubled apostrophe turns the state twice: still inside the literal.
        if (c == u'\'') dentro = !dentro;
        if (c == u',' && !dentro)
            cierra();
        else
            item += c;
    }
    cierra();
    return out.join(u',');
}

QString seleccion(WorkTableBuild& b, const QString& SucursalDesde, const QString& NumeroDesde,
                  const QString& LetraDesde, const QString& IdComplementoDesde,
                  const QString& SucursalHasta, const QString& NumeroHasta,
                  const QString& LetraHasta, const QString& IdComplementoHasta,
                  const QString& ListaID, const QString& ListaIdComprobante) {
    const QString tipo = WorkTableBuild::quoted(b.TC);
    if (!ListaIdComprobante.isEmpty())
        return QStringLiteral(" WHERE TC = ") + tipo + QStringLiteral(" AND IdComprobante IN ( ") +
               listaDeTextos(ListaIdComprobante) + u')';
    if (vb::Trim(ListaID).isEmpty()) {
        const QString desde = vb::Trim(SucursalDesde + NumeroDesde + LetraDesde);
        const QString hasta = vb::Trim(SucursalHasta + NumeroHasta + LetraHasta);
        QString superior;
        if (!desde.isEmpty() || !hasta.isEmpty()) {
            const bool sinHasta = hasta.isEmpty();
            superior =
                QStringLiteral(" AND IDCOMPROBANTE <= ") +
                WorkTableBuild::quoted(sinHasta ? desde : hasta) +
                QStringLiteral(" AND IDCOMPLEMENTO <= ") +
                sqltext::numero(vb::Val(sinHasta ? IdComplementoDesde : IdComplementoHasta));
        }
        return QStringLiteral(" WHERE TC = ") + tipo + QStringLiteral(" AND IDCOMPROBANTE >= ") +
               WorkTableBuild::quoted(desde) + QStringLiteral(" AND IDCOMPLEMENTO >= ") +
               sqltext::numero(vb::Val(IdComplementoDesde)) + superior;
    }
    const QString ids = listaDeNumeros(ListaID);
    if (igual(b.TC, "Todo")) {
        // The type of the (first) listed voucher; every voucher of the run is taken as one of it.
        b.TC = gUtil().NuloAVacio(gDB().DatosTabla(
            QStringLiteral("v_mv_cpte"), ids.section(u',', 0, 0), QStringLiteral("tc"),
            QStringLiteral("id"), 8, QString(), true, false));
        return QStringLiteral(" WHERE ID IN(") + ids + u')';
    }
    return QStringLiteral(" WHERE TC = ") + tipo + QStringLiteral(" AND ID IN(") + ids + u')';
}

// The per-voucher values every stage reads, from the current row of the selection.
void valoresDelComprobante(WorkTableBuild& b, vb::Steps& paso) {
    ado::Recordset& rs = b.comprobante;
    // Values of the previous voucher never carry over to this one.
    b.Sucursal.clear();
    b.Numero.clear();
    b.Letra.clear();
    b.IdComplemento.clear();
    b.CAE.clear();
    b.EsFCE = false;
    b.Moneda = QStringLiteral("1");
    b.ImporteLetras.clear();
    QString id;
    paso([&] { id = vb::Trim(gUtil().NuloAVacio(rs[QStringLiteral("IdComprobante")])); });
    paso([&] {
        b.CAE = gUtil().NuloAVacio(gDB().DatosTabla(
            QStringLiteral("V_MV_CPTE_ELECTRONICOS"), id, QStringLiteral("CAE"),
            QStringLiteral("IDCOMPROBANTE"), 8,
            QStringLiteral(" TC=") + WorkTableBuild::quoted(b.TC) +
                QStringLiteral(" AND IDCOMPROBANTE=") + WorkTableBuild::quoted(id),
            true, false));
    });
    paso([&] {
        const double codigo = vb::Val(gUtil().NuloAVacio(rs[QStringLiteral("CodCpteAfip")]));
        b.EsFCE = false;
        for (int fce : {201, 202, 203, 206, 207, 208, 211, 212, 213})
            if (codigo == fce) b.EsFCE = true;
    });
    paso([&] {
        b.Moneda = gUtil().NuloAVacio(rs[QStringLiteral("Moneda")]);
        if (vb::Trim(b.Moneda).isEmpty()) b.Moneda = QStringLiteral("1");
    });
    paso([&] {
        const QString moneda = gUtil().NuloAVacio(rs[QStringLiteral("Moneda")]);
        const QString importe = gUtil().NuloAVacio(rs[QStringLiteral("Importe")]);
        if (gUtil().ValorNumerico(moneda) > vb::Currency::fromScaled(10000)) {
            const QString nombre = gUtil().NuloAVacio(
                gDB().DatosTabla(QStringLiteral("ta_monedas"), gUtil().Rellena(moneda, 4),
                                 QStringLiteral("Descripcion"), QStringLiteral("Codigo"), 8,
                                 QString(), true, false));
            b.ImporteLetras = ImporteEnLetras(importe, 0, nombre, QStringLiteral("Centavos"));
        } else {
            b.ImporteLetras =
                ImporteEnLetras(importe, 0, QStringLiteral("Pesos"), QStringLiteral("Centavos"));
        }
    });
    paso([&] {
        b.Sucursal = vb::Mid(id, 1, 4);
        b.Numero = vb::Mid(id, 5, 8);
        b.Letra = vb::Mid(id, 13, 1);
        b.IdComplemento = gUtil().NuloAVacio(rs[QStringLiteral("IdComplemento")]);
        b.filtro = QStringLiteral(" WHERE TC = ") +
                   WorkTableBuild::quoted(gUtil().Rellena(b.TC, 4)) +
                   QStringLiteral(" AND IDCOMPROBANTE = ") +
                   WorkTableBuild::quoted(vb::Trim(b.idComprobante())) +
                   QStringLiteral(" AND IDCOMPLEMENTO = ") + b.IdComplemento;
    });
}

}  // namespace

void GeneraAuxiliarComprobantes(QString& TC, const QString& SucursalDesde,
                                const QString& NumeroDesde, const QString& LetraDesde,
                                const QString& IdComplementoDesde, std::int16_t LineasTitulo,
                                const QString& SucursalHasta, const QString& NumeroHasta,
                                const QString& LetraHasta, const QString& IdComplementoHasta,
                                const QString& ListaID, const QString& ListaIdComprobante,
                                const QString& IdTarea, const vb::Variant& Agregar) {
    WorkTableBuild b;
    b.IdTarea = IdTarea;
    b.LineasTitulo = LineasTitulo;
    vb::Steps paso(vb::silentHandler());
    QString filtro;
    paso([&] {
        // Flags are compared trimmed: other programs store them padded ("SI" and eight
        // blanks), an operator types them plain.
        b.NoMostrarImportesEnOT =
            igual(vb::Trim(Cfg(QStringLiteral("NoMostrarImportesEnOT"))), "SI");
    });
    paso([&] {
        b.PosicionLogo = QStringLiteral("NO");
        if (igual(vb::Trim(Cfg(claveLogo(TC))), "SI"))
            b.PosicionLogo =
                igual(vb::Trim(Cfg(QStringLiteral("FORMULARIOS_LOGO_IZQUIERDA"))), "SI")
                    ? QStringLiteral("IZ")
                    : QStringLiteral("CE");
    });
    paso([&] {
        TC = gUtil().Rellena(TC, 4);
        b.TC = TC;
    });
    paso([&] {
        filtro =
            seleccion(b, SucursalDesde, NumeroDesde, LetraDesde, IdComplementoDesde, SucursalHasta,
                      NumeroHasta, LetraHasta, IdComplementoHasta, ListaID, ListaIdComprobante);
        TC = b.TC;
    });
    paso([&] {
        gDB().AbrirRecordset(QStringLiteral("SELECT * FROM V_MV_CPTE ") + filtro, b.comprobante,
                             nullptr, ado::adOpenForwardOnly, ado::adLockReadOnly, -1, true);
    });
    paso([&] {
        bool agregar = false;
        try {
            agregar = !Agregar.isEmpty() && !Agregar.isNull() && vb::CBool(Agregar);
        } catch (const vb::VbError&) {
        }
        if (agregar) return;
        gDB().EjecutaConsultaSQL(QStringLiteral("DELETE Aux_MV_Cpte where USUARIO = ") +
                                 WorkTableBuild::quoted(vb::Trim(WorkTableBuild::station())) +
                                 u' ');
    });
    // A selection that could not be opened has no vouchers.
    const auto hayComprobante = [&] {
        try {
            return b.comprobante.State() == ado::adStateOpen && !b.comprobante.Eof();
        } catch (const vb::VbError&) {
            return false;
        }
    };
    while (hayComprobante()) {
        vb::Steps pasada(vb::silentHandler());
        valoresDelComprobante(b, pasada);
        b.headerRow();
        b.qrImages();
        b.tasks();
        b.supplies();
        // The type is compared trimmed: the tables hold it padded to four characters.
        bool pendientes = false;
        pasada([&] {
            pendientes = igual(vb::Trim(b.TC), "RM") &&
                         igual(vb::Trim(Cfg(QStringLiteral("RETAIL"))), "SI");
        });
        if (pendientes) b.pendingSupplies();
        b.otherConcepts();
        b.footerRow();
        b.amountInWords();
        b.headerStamp();
        try {
            b.comprobante.MoveNext();
        } catch (const vb::VbError&) {
            break;
        }
    }
    ParesSQL().clear();
}

}  // namespace ModGlobal
