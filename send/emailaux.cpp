#include "send/emailaux.h"

#include "core/errordialog.h"
#include "core/files.h"
#include "db/db_dll.h"
#include "platform/reportengine/engine.h"
#include "platform/ui/operator.h"
#include "platform/vb/conversions.h"
#include "platform/vb/steps.h"
#include "platform/vb/textfile.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clssistema.h"
#include "platform/vendrix/clsutil.h"

#include <QFile>
#include <QFileInfo>

namespace eMailAux {

namespace {

// A report file to export must be there; the operator is told when it is not.
bool reporteEncontrado(const QString& Reporte) {
    if (QFileInfo(Reporte).isFile()) return true;
    ui::op().msgBox(QStringLiteral("No se encontró el Reporte: \r\n") + Reporte, vb::vbInformation,
                    QStringLiteral("Aviso al Operador!!!"));
    return false;
}

}  // namespace

QString NombreArchivoTemporal(QString& Nombre, QString& Extension) {
    QString carpeta;
    QString archivo;
    vb::runSteps(vb::silentHandler(),
                 {[&] {
                      if (!Extension.startsWith(u'.')) Extension.prepend(u'.');
                  },
                  [&] {
                      // A name made of the time is guessable: it goes only in a folder that
                      // belongs to this user alone.
                      carpeta = Nombre.isEmpty() ? gSistema().CarpetaTemporal()
                                                 : core::temporaryFolder();
                      carpeta = gUtil().BarraFinal(carpeta);
                  },
                  [&] {
                      archivo = Nombre;
                      if (archivo.isEmpty()) archivo = core::timeNamedTemporary(ui::clock().now());
                  },
                  [&] {
                      const QString ruta = carpeta + archivo + Extension;
                      if (ModGlobal::ExisteArchivo(ruta)) QFile::remove(ruta);
                  }});
    return carpeta + archivo + Extension;
}

QString NombreArchivoTemporal(const QString& Nombre, const QString& Extension) {
    QString nombre = Nombre;
    QString extension = Extension;
    return NombreArchivoTemporal(nombre, extension);
}

bool ExportaReporte(const QString& Reporte, const QString& Archivo, long Formato,
                    QString* Motivo) {
    if (Motivo) Motivo->clear();
    if (!reporteEncontrado(Reporte)) return false;
    try {
        reportengine::exportReport(Reporte, Archivo, Formato);
    } catch (const vb::VbError& e) {
        if (Motivo) *Motivo = e.Description;
        return false;
    }
    return QFileInfo(Archivo).isFile();
}

void ExportarArchivo(const QString& Reporte, const QString& Archivo, long Formato) {
    if (!reporteEncontrado(Reporte)) return;
    vb::Steps paso([](const vb::VbError& e) {
        return ui::op().msgBox(
            QStringLiteral("Ha ocurrido el siguiente error al intentar exportar el Archivo ") +
                QString::number(e.Number) + u' ' + e.Description,
            vb::vbAbortRetryIgnore + vb::vbQuestion, QStringLiteral("ExportarArchivo"));
    });
    paso([&] { reportengine::exportReport(Reporte, Archivo, Formato); });
}

QString TextoAHTML(QString& Texto) {
    // The operator's text stays text: "<factura 15>" is read, not taken for a tag.
    Texto.replace(u'&', QStringLiteral("&amp;"))
        .replace(u'<', QStringLiteral("&lt;"))
        .replace(u'>', QStringLiteral("&gt;"));
    Texto.replace(u'\r', QStringLiteral("<BR>"));
    return QStringLiteral("<HTML><BODY>") + Texto + QStringLiteral("</BODY></HTML>");
}

void GeneraEstiloCSS(const QString& Carpeta) {
    QStringList lineas = {
        "/* Quastel: style sheet */",
        "/* Define colores, fuentes y atributos de estilo  */",
        "/* Background de página */",
        "body { background-color: #FFFFFF }",
        "/* Colores de los enlaces */",
        "A:active { COLOR: red; text-decoration: none}",
        "A:link { COLOR: black; text-decoration: none }",
        "A:visited { COLOR: black; text-decoration: none }",
        "A {COLOR: black; text-decoration: none }",
        "/* Colores generales */",
        ".Header { background: #EEEEEE; font-size: 17; FONT-WEIGHT: bolder; color: black;}",
        ".SubroutineHeader { COLOR: #3333cc; FONT-SIZE: 15; FONT-WEIGHT: bolder; "
        "Text-Decoration: Underline;}",
        "/* Colores de tabla */",
        ".TableTitulo{ background: #000066; font-size: 11; FONT-FAMILY: Verdana; "
        "Text-Decoration: Bold; color: #FFFFFF; }",
        ".TableCaption { background: #000066; font-size: 10; FONT-FAMILY: Verdana; color: "
        "#FFFFFF;}",
        ".TableSubcaption { background: #EEEEEE; font-size: 12; FONT-WEIGHT: bolder; color: "
        "#AA00AA;}",
        ".TableDetalles{ Border=0 CellPadding=3 CellSpacing=1;}",
        ".TableRow{ background: #E6E6E6; font-size: 10; FONT-FAMILY: Verdana; font-color: "
        "black;}",
        ".TableRow2{ background: #f0dab9; font-size: 10; FONT-FAMILY: Verdana; font-color: "
        "black;}",
        ".TableRowPar{ background: #E6E6E6; font-size: 10; FONT-FAMILY: Verdana; font-color: "
        "black;}",
        ".TableRowImpar{ background: white; font-size: 10; FONT-FAMILY: Verdana; font-color: "
        "black;}",
        ".TableNormal{ background: #E6E6E6; font-size: 10; FONT-FAMILY: Verdana; font-color: "
        "black;}",
    };
    ado::Recordset rs;
    gDB().AbrirRecordset(QStringLiteral("select * from ta_clasificaciones"), rs);
    // An empty table gives a sheet without row classes.
    while (rs.State() != ado::adStateClosed && !rs.Eof()) {
        if (!rs[QStringLiteral("Color")].isNull())
            lineas << QStringLiteral(".TableRowClasificacion") +
                          vb::Trim(gUtil().NuloAVacio(rs[QStringLiteral("Codigo")])) +
                          QStringLiteral("{ background: ") +
                          ColorHTML(vb::Trim(gUtil().NuloAVacio(rs[QStringLiteral("Color")]))) +
                          QStringLiteral(
                              "; font-size: 10; FONT-FAMILY: Verdana; font-color: black;}");
        rs.MoveNext();
    }
    gDB().CierraRecordset(rs);
    lineas << ".TableRowAbierto{  font-size: 10; FONT-FAMILY: Verdana; font-color: black;}"
           << ".TableRowColor { background: #FFFFFF; }"
           << ".RowHeader { background: #EEEEFF;}"
           << ".TableCABDetalle{ font-size: 10; FONT-FAMILY: verdana; font-color: black; "
              "Text-Decoration: Bold;}"
           << ".TableRowDetalle{ font-size: 10; FONT-FAMILY: verdana; font-color: black; "
              "Text-Decoration: Italic;}"
           << ".TableCabeceraCaption{ font-size: 11; FONT-FAMILY: arial; font-color: black; "
              "Text-Decoration: Bold;}"
           << ".TableCabeceraValor{ font-size: 10; FONT-FAMILY: arial; font-color: black; "
              "Text-Decoration: Bold;}"
           << ".TableCABpIE{ font-size: 10; FONT-FAMILY: verdana; font-color: black; "
              "Text-Decoration: Bold;}"
           << "/* Barra de navegación */"
           << ".BotonEnabled {background-color:#EEEEFF; color:#0000FF;}"
           << ".BotonDisabled {background-color:#CCCCFF; color:#000000;}";
    const QString ruta = gUtil().BarraFinal(Carpeta) + QStringLiteral("Style_Quastel.css");
    if (!vb::writeTextLines(ruta, lineas)) vb::raise(vb::err::PathFileAccess);
}

QString ColorHTML(const QString& Color) {
    const std::int32_t numero = vb::CLng(vb::Variant(Color));
    const QString hex = QString::number(static_cast<quint32>(numero), 16).toUpper();
    const QString h = vb::Right(QStringLiteral("00000") + hex, 6);
    return u'#' + h.mid(4, 2) + h.mid(2, 2) + h.mid(0, 2);
}

}  // namespace eMailAux
