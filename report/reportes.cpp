#include "report/reportes.h"

#include "core/config.h"
#include "core/errordialog.h"
#include "core/files.h"
#include "db/db_dll.h"
#include "db/sql_text.h"
#include "platform/ui/operator.h"
#include "platform/vb/app.h"
#include "platform/vb/conversions.h"
#include "platform/vb/steps.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clssistema.h"
#include "platform/vendrix/clsutil.h"
#include "platform/vendrix/paths.h"

namespace {

const QString kCopias[4] = {QStringLiteral("Archivo"), QStringLiteral("Archivo2"),
                            QStringLiteral("Archivo3"), QStringLiteral("Archivo4")};

QString carpetaPrograma() {
    return gUtil().BarraFinal(vb::App().Path);
}

// The name's own file in the program folder, as it is spelt on disk.
QString porDefecto(const QString& nombre) {
    return vendrix::programFile(nombre + QStringLiteral(".rpt"));
}

bool existe(const QString& ruta) {
    return ModGlobal::ExisteArchivo(vendrix::findFileIgnoringCase(ruta));
}

// The voucher type of a form name: the text before its first "-" (empty without one).
QString tipoDe(const QString& nombre) {
    const int guion = vb::InStr(nombre, QStringLiteral("-"));
    return guion > 0 ? vb::Left(nombre, guion - 1) : QString();
}

bool esCompras(const QString& codigo) {
    const QString sistema = gUtil().NuloAVacio(
        gDB().DatosTabla(QStringLiteral("V_TA_CPTE"), codigo, QStringLiteral("SISTEMA"),
                         QStringLiteral("Codigo"), 8, QString(), true, false));
    return sistema.compare(QLatin1String("Compras"), Qt::CaseInsensitive) == 0;
}

QString texto(const ado::Recordset& rs, const QString& columna) {
    return gUtil().NuloAVacio(rs[columna]);
}

QString sqlReportes(const QString& nombre) {
    return QStringLiteral("SELECT * FROM TA_REPORTES  with(nolock)  WHERE NOMBRE = '") +
           sqltext::comillas(vb::Trim(nombre)) + QStringLiteral("'");
}

bool usaFacturaElectronica(const vb::Variant& valor) {
    if (valor.isBoolean()) return valor.boolean();
    if (valor.isNumber()) return valor.number() == 1;
    const QString t = vb::Trim(gUtil().NuloAVacio(valor));
    return t == QLatin1String("1") || t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}

}  // namespace

namespace ModGlobal {

QString VerificaReporte(const QString& archivoDado, const QString& nombre) {
    // Nothing here stops the resolution: a failing step counts as a file not found.
    vb::Steps paso(vb::silentHandler());
    // Columns of fixed width come padded with blanks.
    QString archivo = vb::Trim(archivoDado);
    const bool vacio = archivo.isEmpty();
    paso([&] {
        if (!vacio) return;
        archivo = porDefecto(nombre);
        if (existe(archivo)) return;
        archivo.clear();
        const int largo = nombre.size();
        const int guion = vb::InStr(nombre, QStringLiteral("-"));
        if ((largo == 4 && guion == 3) || (largo == 5 && guion == 4) ||
            (largo == 6 && guion == 5)) {
            const QString tipo =
                vendrix::programFile(vb::Left(nombre, guion - 1) + QStringLiteral(".RPT"));
            if (existe(tipo)) archivo = tipo;
        } else if (esCompras(nombre)) {
            archivo = vendrix::programFile(QStringLiteral("CpteCompras.RPT"));
        }
    });
    paso([&] {
        if (!vacio || !archivo.isEmpty()) return;
        const QString tipo = tipoDe(nombre);
        if (esCompras(tipo.isEmpty() ? nombre : tipo))
            archivo = vendrix::programFile(QStringLiteral("CpteCompras.RPT"));
    });
    paso([&] {
        if (vb::Right(vb::Trim(archivo), 4).compare(QLatin1String(".rpt"), Qt::CaseInsensitive) ==
            0) {
            archivo = vendrix::programFile(archivo);
        } else if (archivo.isEmpty()) {
            archivo = carpetaPrograma() + QStringLiteral(".rpt");
        } else {
            archivo = vendrix::programFile(archivo + QStringLiteral(".rpt"));
        }
    });
    bool falta = false;
    paso([&] { falta = !ExisteArchivo(archivo); });
    if (!falta) return archivo;
    const QString defecto = porDefecto(nombre);
    paso([&] {
        ui::op().msgBox(QStringLiteral("No se encuentra el Archivo ") + archivo + " (" + nombre +
                            ")" +
                            QStringLiteral(" por favor verifique la configuración de Reportes") +
                            QStringLiteral("\r\n") +
                            QStringLiteral(" Se tomara en su lugar el formulario ") + defecto,
                        vb::vbCritical + vb::vbOKOnly, QStringLiteral("Aviso al Operador"));
    });
    return defecto;
}

QString NombreReporte(const QString& nombre, const QString& dato, CopiasReporte* copias,
                      const QString& idComprobante) {
    vb::Steps paso(ModGlobal::manejaError(QStringLiteral("NombreReporte$")));
    QString resultado;
    ado::Recordset rs;
    auto termina = [&] {
        vb::runSteps(vb::silentHandler(), {[&] {
                         if (rs.State() != 0) gDB().CierraRecordset(rs);
                     }});
        return resultado;
    };
    auto todasLasCopias = [&](const QString& ruta) {
        if (copias) copias->fill(ruta);
    };
    const QString tipo = tipoDe(nombre);
    const QString id = vb::Trim(idComprobante);

    // Electronic voucher: only a voucher number can have one.
    bool electronico = false;
    vb::Variant fechaCpte;
    if (!id.isEmpty()) {
        ado::Recordset prueba;
        paso([&] {
            gDB().AbrirRecordset(
                QStringLiteral("select * from V_MV_CPTE_ELECTRONICOS WHERE TC='") +
                    sqltext::comillas(tipo) + QStringLiteral("' AND IDCOMPROBANTE='") +
                    sqltext::comillas(id) + QStringLiteral("'"),
                prueba);
        });
        paso([&] {
            if (prueba.Eof()) return;
            electronico = true;
            fechaCpte = prueba[QStringLiteral("fecha_CPTE")];
        });
        paso([&] { gDB().CierraRecordset(prueba); });
    }

    const QString plano = nombre;
    const QString buscado =
        vb::Trim(dato).isEmpty()
            ? gSistema().NombreMaquina() + "|" + gSistema().NombreUsuario() + "|" + nombre
            : nombre;
    bool hallado = false;
    // A row's report and copies, a blank column giving the name's default file.
    auto desdeFila = [&] {
        resultado = VerificaReporte(texto(rs, kCopias[0]), plano);
        if (copias) {
            for (int k = 0; k < 4; ++k)
                (*copias)[k] = VerificaReporte(texto(rs, kCopias[k]), plano);
        }
    };
    paso([&] { gDB().AbrirRecordset(sqlReportes(buscado), rs); });
    paso([&] {
        if (rs.Eof()) return;
        hallado = true;
        desdeFila();
    });
    if (!hallado) {
        paso([&] { gDB().AbrirRecordset(sqlReportes(plano), rs); });
        paso([&] {
            if (rs.Eof()) return;
            hallado = true;
            resultado = VerificaReporte(texto(rs, kCopias[0]), plano);
            if (!copias) return;
            // A general row's blank copy repeats the copy before it.
            (*copias)[0] = VerificaReporte(texto(rs, kCopias[0]), plano);
            for (int k = 1; k < 4; ++k) {
                const QString columna = vb::Trim(texto(rs, kCopias[k]));
                (*copias)[k] =
                    columna.isEmpty() ? (*copias)[k - 1] : VerificaReporte(columna, plano);
            }
        });
    }
    if (!hallado && plano.compare(QLatin1String("LiqOpg"), Qt::CaseInsensitive) == 0) {
        paso([&] {
            gDB().AbrirRecordset(QStringLiteral("SELECT * FROM TA_REPORTES  with(nolock)  WHERE "
                                                "NOMBRE = 'OPG-X' OR NOMBRE = 'PG-X' "),
                                 rs);
        });
        paso([&] {
            if (rs.Eof()) return;
            hallado = true;
            desdeFila();
        });
    }
    if (!hallado) {
        paso([&] { resultado = VerificaReporte(QString(), plano); });
        paso([&] {
            if (!copias) return;
            for (int k = 0; k < 4; ++k) (*copias)[k] = VerificaReporte(QString(), plano);
        });
    }
    if (paso.left()) return termina();

    // A business unit's own delivery-note form.
    if (vb::Trim(tipo).compare(QLatin1String("RM"), Qt::CaseInsensitive) == 0 &&
        vb::Right(idComprobante, 1).compare(QLatin1String("R"), Qt::CaseInsensitive) == 0) {
        QString unidad;
        paso([&] {
            unidad = gUtil().NuloAVacio(
                gDB().DatosTabla(QStringLiteral("V_MV_CPTE"), idComprobante,
                                 QStringLiteral("UNEGOCIO"), QStringLiteral("IDCOMPROBANTE"), 8,
                                 QStringLiteral(" TC='RM' AND IDCOMPROBANTE='") +
                                     sqltext::comillas(idComprobante) + QStringLiteral("'"),
                                 true, false));
        });
        bool deLaUnidad = false;
        if (!vb::Trim(unidad).isEmpty()) {
            paso([&] {
                gDB().AbrirRecordset(
                    QStringLiteral("SELECT * FROM V_TA_UNIDADNEGOCIO WHERE CODIGO='") +
                        sqltext::comillas(gUtil().Rellena(unidad, 4)) + QStringLiteral("'"),
                    rs);
            });
            paso([&] {
                if (rs.Eof()) return;
                const QString ruta = vb::Trim(texto(rs, QStringLiteral("ruta_reporte")));
                if (ruta.isEmpty()) return;
                deLaUnidad = true;
                const QString forma = gUtil().BarraFinal(ruta) + QStringLiteral("RM-R.rpt");
                if (existe(forma)) {
                    resultado = vendrix::findFileIgnoringCase(forma);
                    todasLasCopias(resultado);
                }
            });
        }
        paso([&] {
            if (deLaUnidad) return;
            const QString carpeta = vb::Trim(Cfg(QStringLiteral("RUTA_FORMULARIOS_EFACTURA")));
            if (carpeta.isEmpty()) return;
            const QString forma = gUtil().BarraFinal(carpeta) + QStringLiteral("RM-R.rpt");
            if (existe(forma)) {
                resultado = vendrix::findFileIgnoringCase(forma);
                todasLasCopias(resultado);
            }
        });
        if (paso.left()) return termina();
    }

    if (electronico) {
        QString inicioQR;
        QString carpeta;
        paso([&] {
            inicioQR = vb::Trim(Cfg(QStringLiteral("FechaInicioeFacQR")));
            if (inicioQR.isEmpty()) inicioQR = QStringLiteral("01/03/2021");
        });
        paso([&] {
            gDB().AbrirRecordset(
                QStringLiteral("SELECT * FROM V_TA_UNIDADNEGOCIO WHERE LTRIM(PDV)='") +
                    sqltext::comillas(vb::Trim(vb::Left(idComprobante, 4))) + QStringLiteral("'"),
                rs);
        });
        paso([&] {
            if (rs.Eof() || !usaFacturaElectronica(rs[QStringLiteral("usaefc")])) return;
            carpeta = vb::Trim(texto(rs, QStringLiteral("ruta_reporte")));
        });
        paso([&] {
            if (carpeta.isEmpty())
                carpeta = vb::Trim(Cfg(QStringLiteral("RUTA_FORMULARIOS_EFACTURA")));
        });
        paso([&] {
            if (carpeta.isEmpty()) return;
            QString forma =
                gUtil().BarraFinal(carpeta) + QStringLiteral("e") + plano + QStringLiteral(".RPT");
            if (vb::CDate(fechaCpte).date() < vb::CDate(inicioQR).date())
                forma = vb::Replace(forma, QStringLiteral(".RPT"), QStringLiteral("_SINQR.RPT"), 1,
                                    -1, vb::Compare::Text);
            resultado = VerificaReporte(forma, plano);
            todasLasCopias(resultado);
        });
    }
    return termina();
}

}  // namespace ModGlobal
