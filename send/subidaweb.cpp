#include "send/subidaweb.h"

#include "core/config.h"
#include "core/files.h"
#include "db/sql_builders.h"
#include "platform/ui/operator.h"
#include "platform/vb/app.h"
#include "platform/vb/steps.h"
#include "platform/vb/strings.h"
#include "platform/vb/textfile.h"
#include "platform/vendrix/clsini.h"
#include "platform/vendrix/clssistema.h"
#include "platform/vendrix/clsutil.h"
#include "send/hooks.h"

#include <QFile>

namespace send {

namespace {

const QString kIni = QStringLiteral("ZX900pr.INI");
const QString kSeccion = QStringLiteral("ServidorDocumentos");
const QString kComandos = QStringLiteral("ComandosI.txt");

void aviso(const QString& texto) {
    ui::op().msgBox(texto, vb::vbInformation, QStringLiteral("Aviso"));
}

}  // namespace

ServidorDocumentos LeeServidorDocumentos() {
    const auto lee = [](const char* clave) {
        return vb::Trim(gIni().LeeIni(kIni, kSeccion, QString::fromLatin1(clave)));
    };
    ServidorDocumentos s;
    s.Servidor = lee("Servidor");
    s.ServidorInterno = lee("ServidorInterno");
    for (const QString& equipo : lee("EquiposInternos").split(u',', Qt::SkipEmptyParts))
        if (!vb::Trim(equipo).isEmpty()) s.EquiposInternos << vb::Trim(equipo);
    s.Usuario = lee("Usuario");
    s.Password = gUtil().Decodifica(lee("Password"));
    s.Puerto = lee("Puerto");
    if (s.Puerto.isEmpty()) s.Puerto = QStringLiteral("21");
    return s;
}

QString EstampaServidor() {
    // One reading, padded: stamps of different moments never read alike.
    return ModGlobal::FechaServidor().toString(QStringLiteral("yyyyMMddHHmmss"));
}

void crearArchivo(const QString& Ruta, const QString& dato, bool NoAgrega) {
    vb::runSteps(vb::silentHandler(), {[&] {
                                           if (!vb::writeTextLines(Ruta, {dato}, !NoAgrega))
                                               vb::raise(75);
                                       },
                                       [&] { ui::op().doEvents(); }});
}

QString uploadAdjuntoWeb(DialogoEnvio& d, const QString& archivoOriginal, QString& NombreArchivo,
                         QString& ext, bool MantenerNombre) {
    const QString codigo = ModGlobal::CfgKQ(QStringLiteral("FTP_CODIGOCTA"));
    if (vb::Trim(codigo).isEmpty()) {
        aviso(
            QStringLiteral("Debe configurar el codigo de cliente!\r\nComuniquese con Vendrix "
                           "Plus."));
        return {};
    }
    const QString carpeta = gUtil().BarraFinal(vb::App().Path);
    QString nombre;
    QString copia;
    ServidorDocumentos servidor;
    QString ftp;
    std::int16_t hayError = -1;
    vb::runSteps(vb::silentHandler(),
                 {[&] {
                      if (NombreArchivo.isEmpty()) NombreArchivo = QStringLiteral("DOCUMENTO_TMP");
                  },
                  [&] { ext.remove(u'.'); },
                  [&] {
                      nombre = MantenerNombre
                                   ? NombreArchivo + u'.' + ext
                                   : NombreArchivo + u'_' + EstampaServidor() + u'.' + ext;
                      copia = carpeta + nombre;
                  },
                  [&] { ModGlobal::CopiaArchivo(archivoOriginal, copia); },
                  [&] {
                      servidor = LeeServidorDocumentos();
                      const QString equipo = gSistema().NombreMaquina().toUpper();
                      ftp = servidor.Servidor;
                      for (const QString& interno : servidor.EquiposInternos)
                          if (interno.toUpper() == equipo && !servidor.ServidorInterno.isEmpty())
                              ftp = servidor.ServidorInterno;
                  }});

    if (sendhooks::servicios().EjecutaFTP && !ftp.isEmpty()) {
        const QString mes = ui::clock().now().toString(QStringLiteral("yyyyMM"));
        const QString dirWeb = QStringLiteral("DOC_ONLINE/") + codigo + u'/' + mes + u'/';
        vb::runSteps(vb::silentHandler(),
                     {[&] { ui::op().doEvents(); },
                      [&] {
                          if (ModGlobal::ExisteArchivo(carpeta + kComandos))
                              QFile::remove(carpeta + kComandos);
                      },
                      [&] { crearArchivo(carpeta + kComandos, nombre, false); },
                      [&] {
                          const QString parametros =
                              QStringLiteral("DOWNLOAD=NO;PUERTO=") + servidor.Puerto +
                              QStringLiteral(";SERVER=") + ftp + QStringLiteral(";USUARIO=") +
                              servidor.Usuario + QStringLiteral(";PASSWORD=") + servidor.Password +
                              QStringLiteral(";ARCHIVO=") + kComandos +
                              QStringLiteral(";DIRWEB=") + dirWeb +
                              QStringLiteral(";DIRDESTINO=") + carpeta + u';';
                          sendhooks::servicios().EjecutaFTP(parametros, hayError);
                      },
                      [&] { ui::op().doEvents(); },
                      [&] {
                          if (hayError != 0) {
                              d.LinkDocumento.clear();
                              return;
                          }
                          QFile::remove(copia);
                          d.LinkDocumento = QStringLiteral("http://") + servidor.Servidor +
                                            QStringLiteral("/Clientes/") + codigo + u'/' + mes +
                                            u'/' + nombre;
                      },
                      [&] { ui::op().doEvents(); }});
    } else {
        aviso(QStringLiteral(
            "No se encuentra el cliente FTP KqFTP, comuniquelo a su proveedor de sistemas."));
    }
    vb::runSteps(vb::silentHandler(), {[&] {
                     if (ModGlobal::ArchivoExiste(copia)) QFile::remove(copia);
                 }});
    return {};
}

}  // namespace send
