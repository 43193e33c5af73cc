#include "voucherdata/work_table_build.h"

#include "core/config.h"
#include "core/files.h"
#include "core/globals.h"
#include "db/db_dll.h"
#include "platform/qr/pyqr.h"
#include "platform/vb/app.h"
#include "platform/vb/conversions.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clsarchivocampo.h"
#include "platform/vendrix/clsutil.h"
#include "voucherdata/fmtnroas400.h"
#include "voucherdata/stuff10.h"

#include <memory>

namespace voucherdata {

namespace {

// A tax number or document number as the QR takes it: digits without "-", " " or "/".
QString sinSeparadores(QString texto) {
    for (const char* c : {"-", " ", "/"})
        texto = vb::Replace(texto, QString::fromLatin1(c), QString(), 1, -1, vb::Compare::Text);
    return texto;
}

// The utility library's file-to-field object, one for every run.
clsArchivoCampo& archivoCampo() {
    static clsArchivoCampo instancia;
    return instancia;
}

}  // namespace

void WorkTableBuild::qrImages() {
    vb::Steps paso(stageHandler());
    std::unique_ptr<qr::PyQR> componente;
    QString archivo;
    vb::Variant v[13];
    QString fecha;
    QString moneda;
    paso([&] {
        componente = std::make_unique<qr::PyQR>();
        archivo = componente->crearArchivo();
    });
    paso([&] { v[0] = std::int16_t(1); });
    paso([&] {
        fecha = vb::Format(comprobante[QStringLiteral("fecha")], QStringLiteral("yyyy-mm-dd"));
        v[1] = fecha;
    });
    paso([&] { v[2] = sinSeparadores(ModGlobal::Cfg(QStringLiteral("CUIT"))); });
    paso([&] { v[3] = vb::CLng(vb::Variant(Sucursal)); });
    paso([&] { v[4] = Stuff10::CodigoTipoComprobante(TC, Letra, EsFCE); });
    paso([&] { v[5] = vb::CLng(vb::Variant(Numero)); });
    paso([&] {
        v[6] = FmtNroAS400::FormatoNumeroAS400(vb::CStr(comprobante[QStringLiteral("Importe")]),
                                               13, 2);
    });
    paso([&] {
        moneda = vb::Trim(Moneda);
        if (moneda.isEmpty() || moneda == u"0") moneda = QStringLiteral("1");
    });
    paso([&] { v[7] = QStringLiteral("PES"); });
    paso([&] { v[8] = std::int16_t(1); });
    if (moneda != u"1") {
        ado::Recordset rs;
        paso([&] { v[7] = QStringLiteral("DOL"); });
        // The day's last quotation row: one column per currency, "MONEDA" and the code. The
        // date goes as ISO text, the form dates take in this program's SQL.
        paso([&] {
            const QString dia = quoted(fecha);
            openRead(
                QStringLiteral("SELECT top 1 * FROM TA_COTIZACION WITH(NOLOCK) WHERE "
                               "DBO.FN_SOLO_FECHA(FECHA_HORA) = ") +
                    dia +
                    QStringLiteral(" AND ID = (SELECT MAX(ID) AS ELID FROM TA_COTIZACION WHERE "
                                   "DBO.FN_SOLO_FECHA(FECHA_HORA) = ") +
                    dia + QStringLiteral(" )"),
                rs);
        });
        paso([&] {
            if (rs.Eof()) return;
            v[8] = FmtNroAS400::FormatoNumeroAS400(vb::CStr(rs[QStringLiteral("MONEDA") + moneda]),
                                                   13, 6);
        });
        gDB().CierraRecordset(rs);
    }
    paso([&] {
        v[9] = Stuff10::CodigoTipoDocumento(
            gUtil().NuloAVacio(comprobante[QStringLiteral("documentotipo")]));
    });
    paso([&] {
        v[10] = sinSeparadores(gUtil().NuloAVacio(comprobante[QStringLiteral("DOCUMENTONUMERO")]));
    });
    paso([&] { v[11] = QStringLiteral("A"); });
    paso([&] { v[12] = CAE; });
    paso([&] {
        if (!componente) vb::raise(vb::err::ObjectVariableNotSet);
        componente->GenerarImagen(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9],
                                  v[10], v[11], v[12]);
    });
    if (paso.left()) return;

    QString afip;
    QString logo;
    ado::Recordset rs;
    paso([&] { afip = gUtil().BarraFinal(vb::App().Path) + QStringLiteral("AFIP.PNG"); });
    paso([&] {
        // The configured folder ends with its separator: nothing is put between.
        logo = ModGlobal::RutaCompleta(ModGlobal::Cfg(QStringLiteral("RutaImagenes")) +
                                       QStringLiteral("logo.jpg"));
        if (!ModGlobal::ArchivoExiste(logo)) logo.clear();
    });
    // Whichever station wrote the voucher's earlier row, it goes.
    paso([&] {
        execute(QStringLiteral("DELETE AUX_MV_CPTEQR WHERE TC = ") + quoted(TC) +
                QStringLiteral(" AND IDCOMPROBANTE = ") + quoted(idComprobante()));
    });
    paso([&] {
        gDB().AbrirRecordset(QStringLiteral("SELECT TOP 0 * FROM AUX_MV_CPTEQR"), rs, nullptr,
                             ado::adOpenDynamic, ado::adLockOptimistic, -1, true);
    });
    paso([&] { rs.AddNew(); });
    paso([&] { rs.Fields(QStringLiteral("Usuario")).setValue(ModGlobal::gSeccionIni); });
    paso([&] { rs.Fields(QStringLiteral("TC")).setValue(TC); });
    paso([&] { rs.Fields(QStringLiteral("IdComprobante")).setValue(idComprobante()); });
    paso([&] { rs.Fields(QStringLiteral("muestra_logo")).setValue(PosicionLogo); });
    paso([&] { archivoCampo().CargaArchivo(rs.Fields(QStringLiteral("QR_AFIP")), archivo); });
    paso([&] { archivoCampo().CargaArchivo(rs.Fields(QStringLiteral("IMG_AFIP")), afip); });
    if (!vb::Trim(logo).isEmpty()) {
        paso([&] { rs.Fields(QStringLiteral("muestra_logo")).setValue(PosicionLogo); });
        paso([&] {
            if (vb::Trim(PosicionLogo) != u"NO")
                archivoCampo().CargaArchivo(rs.Fields(QStringLiteral("LOGO_EMPRESA")), logo);
        });
    } else {
        paso([&] { rs.Fields(QStringLiteral("muestra_logo")).setValue(QStringLiteral("NO")); });
    }
    paso([&] { rs.Update(); });
    gDB().CierraRecordset(rs);
}

}  // namespace voucherdata
