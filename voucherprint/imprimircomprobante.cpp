#include "voucherprint/imprimircomprobante.h"

#include "core/config.h"
#include "core/errordialog.h"
#include "core/files.h"
#include "core/globals.h"
#include "db/db_dll.h"
#include "db/sql_text.h"
#include "platform/ado/ado.h"
#include "platform/ui/operator.h"
#include "platform/vb/app.h"
#include "platform/vb/conversions.h"
#include "platform/vb/steps.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clsreporte.h"
#include "platform/vendrix/clssistema.h"
#include "platform/vendrix/clsutil.h"
#include "platform/vendrix/paths.h"
#include "report/reportes.h"
#include "voucherprint/asientos.h"
#include "voucherprint/comandera.h"
#include "voucherprint/efectivotarjeta.h"
#include "voucherprint/impresoracomprobante.h"
#include "voucherprint/numeros.h"

#include <initializer_list>

namespace ModGlobal {

namespace {

bool es(const QString& valor, const char* texto) {
    return vb::StrComp(valor, QString::fromLatin1(texto), vb::Compare::Text) == 0;
}

// A value inside '...' of a statement or a selection formula: apostrophes doubled.
QString q(const QString& valor) {
    return sqltext::comillas(valor);
}

bool existeFormulario(const QString& ruta) {
    return !vb::Trim(ruta).isEmpty() && ExisteArchivo(vendrix::findFileIgnoringCase(ruta));
}

void faltaFormulario(const QString& ruta) {
    ui::op().msgBox(QStringLiteral("No se encuentra el Formulario ") + ruta,
                    vb::vbOKOnly + vb::vbInformation, QStringLiteral("Atención"));
}

const char* const kTiposConSubreporte[] = {"RMC",  "OC",  "FCC",  "NCCP", "NCC",
                                           "LNCC", "NDC", "LNDC", "FPC"};

bool tieneSubreporteCompras(const QString& tc, bool conNccp) {
    for (const char* t : kTiposConSubreporte) {
        if (!conNccp && es(QString::fromLatin1(t), "NCCP")) continue;
        if (es(tc, t)) return true;
    }
    return false;
}

// One call of ImprimirComprobante: its arguments and working state, and its steps under the
// one error handler of the procedure.
class Impresion {
public:
    Impresion(QStringList& Orden, QString& FormulaSeleccion, QStringList& FormulasAdicionales,
              std::int16_t& Destino)
        : Orden(Orden),
          FormulaSeleccion(FormulaSeleccion),
          FormulasAdicionales(FormulasAdicionales),
          Destino(Destino),
          paso(manejaError(QStringLiteral("ImprimirComprobante"))) {}

    QString TC, IdComprobante, IdComplemento, Reporte, Fecha, SeleccionFormulario;
    bool FormulaExterna = false;
    bool UnaCopia = false;
    QStringList& Orden;
    QString& FormulaSeleccion;
    QStringList& FormulasAdicionales;
    std::int16_t& Destino;

    // The first half; false when the voucher was accounting or the procedure was left.
    bool prepara(bool& EsContable);
    // The second half: destination, printer, dispatch, runs and the closing call.
    void imprime();

private:
    void agrega(const QString& formula);
    void une(const QString& termino);
    void ordenCero(const QString& valor);
    QString nombreReporte(const QString& nombre, const QString& dato, bool conComprobante);
    void porTipo();
    void seleccionaImpresora(const QString& texto);
    void copias();
    void unaCorrida();
    void divideOrden(const QString& formulario);
    void ejecuta(const QString& formulario, const QStringList& formulas = {},
                 const QString& sub1 = {}, const QString& sub2 = {}, const QString& sub3 = {});
    QStringList formulasEmpresaT3() const;

    vb::Steps paso;
    QString reporteLlamador;  // the report name as the caller passed it
    QString id;               // the voucher number without surrounding blanks
    QString estacion;         // computer name, "|", Windows user name as the system gives them
    QStringList ListaFormulas{QString()};
    CopiasReporte FormulariosCopia;
    QString Letra, Impresora, DestinoDefault;
    std::int16_t CantCopias = 0;
    std::int16_t CantLineas = 0;
    bool EsStock = false;
    bool EsElectronico = false;
    QString RazonSocial, Cuit;
    QString TextoDireccion, TextoLocalidad, TextoCodigoPostal, TextoTelefono;
    QString parte1, parte2;  // the printer text split at its first "|"
    QString encabezado;      // the copy heading
};

void Impresion::agrega(const QString& formula) {
    // The list always ends with an empty element: the next free slot.
    ListaFormulas.last() = formula;
    ListaFormulas.append(QString());
}

void Impresion::une(const QString& termino) {
    if (!vb::Trim(FormulaSeleccion).isEmpty()) FormulaSeleccion += QStringLiteral(" AND ");
    FormulaSeleccion += termino;
}

void Impresion::ordenCero(const QString& valor) {
    if (Orden.isEmpty()) vb::raise(vb::err::SubscriptOutOfRange);
    Orden[0] = valor;
}

QString Impresion::nombreReporte(const QString& nombre, const QString& dato, bool conComprobante) {
    return NombreReporte(nombre, dato, &FormulariosCopia, conComprobante ? id : QString());
}

bool Impresion::prepara(bool& EsContable) {
    reporteLlamador = Reporte;
    const auto campo = [](ado::Recordset& rs, const char* nombre) {
        return gUtil().NuloAVacio(rs[QString::fromLatin1(nombre)]);
    };
    paso([&] {
        id = vb::Trim(IdComprobante);
        estacion = gSistema().NombreMaquina() + u'|' + gSistema().NombreUsuario();
    });
    paso([&] {
        const bool contable = gDB().ExisteEnTabla(
            QStringLiteral("V_TA_CPTE"), TC, QStringLiteral("CODIGO"), nullptr, 8,
            QStringLiteral("CODIGO='") + q(TC) + QStringLiteral("' AND SISTEMA='CONTABLE'"), true);
        if (contable || vb::IsOneOf(TC, {"NCPE", "RN"})) EsContable = true;
    });
    paso([&] {
        EsStock = gDB().ExisteEnTabla(
            QStringLiteral("V_TA_CPTE"), TC, QStringLiteral("CODIGO"), nullptr, 8,
            QStringLiteral("CODIGO='") + q(TC) + QStringLiteral("' AND SISTEMA='STOCK'"), true);
    });
    if (paso.left()) return false;
    if (EsContable) {
        paso([&] {
            ImprimeAsientosComprobante(TC, IdComprobante, Fecha,
                                       es(SeleccionFormulario, "Asientos con Centro de Costo"));
        });
        return false;
    }

    // The complement stands bare in the selection formulas: only a whole number may go there,
    // anything else could widen the selection to other vouchers.
    bool complementoValido = false;
    paso([&] {
        const QString numero = vb::Trim(IdComplemento);
        if (!EsNumeroEntero(numero))
            throw vb::VbError(vb::err::TypeMismatch,
                              QStringLiteral("El complemento del comprobante no es un número: '") +
                                  IdComplemento + u'\'');
        IdComplemento = numero;
        complementoValido = true;
    });
    if (!complementoValido) return false;

    // Company name and tax number of the voucher's business unit.
    paso([&] {
        QString unidad;
        if (vb::IsOneOf(TC, {"OT", "PR", "RM", "FC", "FCE", "NC", "NCFP", "ND", "FP", "NP", "GF", "TK",
                       "TKFC", "CB", "CBFP", "CBCT", "OPG", "PG", "REC"})) {
            ado::Recordset rs;
            gDB().AbrirRecordset(
                QStringLiteral("Select UNegocio from v_mv_cpte WHERE TC = '") + q(TC) +
                    QStringLiteral("' AND IDCOMPROBANTE = '") + q(IdComprobante) + u'\'',
                rs, nullptr, ado::adOpenForwardOnly, ado::adLockReadOnly, -1, true);
            if (!rs.Eof()) unidad = campo(rs, "UNegocio");
            gDB().CierraRecordset(rs);
        }
        DatosUnidadNegocio(unidad, RazonSocial, Cuit);
    });

    // Company header.
    const auto direccion = [] {
        return QStringLiteral("Direccion = '") + Cfg(QStringLiteral("CALLE")) + u' ' +
               Cfg(QStringLiteral("NUMERO")) + QStringLiteral("  ") + Cfg(QStringLiteral("PISO")) +
               u' ' + Cfg(QStringLiteral("Departamento")) + u'\'';
    };
    const auto localidad = [] {
        return QStringLiteral("Localidad= '") + Cfg(QStringLiteral("LOCALIDAD")) + u'\'';
    };
    const auto codigoPostal = [] {
        return QStringLiteral("CodigoPostal= '") + Cfg(QStringLiteral("CPOSTAL")) + u'\'';
    };
    const auto telefono = [] {
        return QStringLiteral("Telefono= 'Telefono:") + vb::Trim(Cfg(QStringLiteral("TELEFONO"))) +
               u'\'';
    };
    paso([&] { ListaFormulas = QStringList{QString()}; });
    if (!es(TC, "IR") && !EsStock) {
        paso([&] { agrega(QStringLiteral("NombreEmpresa = '") + RazonSocial + u'\''); });
        paso([&] { agrega(direccion()); });
        paso([&] { agrega(localidad()); });
        paso([&] { agrega(codigoPostal()); });
        paso([&] { agrega(telefono()); });
    }
    if (!EsStock) {
        // Kept for the subreport runs, also for "IR", whose list does not carry them.
        paso([&] {
            TextoDireccion = direccion();
            TextoLocalidad = localidad();
            TextoCodigoPostal = codigoPostal();
            TextoTelefono = telefono();
        });
    }
    if (!vb::IsOneOf(vb::Trim(Reporte), {"STK5", "STK7", "RMC", "STK5CLIENTE"}) &&
        !vb::IsOneOf(TC, {"T3", "IR"}) && !EsStock) {
        paso([&] {
            const QString condicion = gUtil().NuloAVacio(gDB().DatosTabla(
                QStringLiteral("TA_CONDIVA"), Cfg(QStringLiteral("CONDIVA")),
                QStringLiteral("DESCRIPCION"), QStringLiteral("Codigo"), 8, {}, true, false));
            agrega(QStringLiteral("Condicion IVA= 'IVA:") + condicion + u'\'');
        });
        paso([&] { agrega(QStringLiteral("CUIT= 'CUIT:") + Cuit + u'\''); });
    }
    if (!EsStock) {
        paso([&] {
            for (const QString& f : FormulasAdicionales) agrega(f);
        });
    }

    // Printer settings, and the copies of electronic vouchers.
    paso([&] {
        Letra = vb::Mid(IdComprobante, 13, 1);
        QString usuario;
        ObtieneImpresoraComprobante(es(TC, "PEC") ? QStringLiteral("PE") : TC, Letra, Impresora,
                                    CantCopias, CantLineas, DestinoDefault, usuario);
    });
    paso([&] {
        const bool electronico = gDB().ExisteEnTabla(
            QStringLiteral("V_MV_CPTE_ELECTRONICOS"), TC, QStringLiteral("TC"), nullptr, 8,
            QStringLiteral(" TC='") + q(TC) + QStringLiteral("' AND IDCOMPROBANTE='") +
                q(IdComprobante) + u'\'',
            true);
        if (!electronico) return;
        CantCopias = vb::CInt(gUtil().ValorNumerico(Cfg(QStringLiteral("copias_efactura"))));
        if (CantCopias == 0) CantCopias = 1;
        EsElectronico = true;
    });
    paso([&] {
        if (UnaCopia) CantCopias = 1;
    });
    if (EsStock) {
        paso([&] { une(QStringLiteral(" {V_MV_STOCK.TC} = '") + q(TC) + u'\''); });
        if (!FormulaExterna)
            paso([&] {
                une(QStringLiteral("{V_MV_STOCK.IDCOMPROBANTE} = '") + q(id) +
                    QStringLiteral("' "));
            });
        paso([&] { ordenCero(QString()); });
        paso([&] { Reporte = nombreReporte(QStringLiteral("STK5"), {}, false); });
    }
    porTipo();

    // The "Su pago" footer of invoices.
    if (vb::IsOneOf(TC, {"FC", "FP"})) {
        paso([&] {
            vb::Currency efectivo, tarjeta;
            QString descEfectivo, descTarjeta;
            ObtieneEfectivoTarjeta(TC, IdComprobante, efectivo, tarjeta, descEfectivo,
                                   descTarjeta);
            agrega(QStringLiteral("PieDePagina = 'Su pago: ") + descEfectivo + u' ' +
                   vb::CStr(efectivo) + u' ' + descTarjeta + u' ' +
                   (tarjeta == vb::Currency() ? QString() : vb::CStr(tarjeta)) + u'\'');
        });
    }
    return !paso.left();
}

void Impresion::porTipo() {
    const QString tipo = vb::Trim(TC);
    const QString tc4 = gUtil().Rellena(TC, 4);
    const QString tcl = TC + u'-' + Letra;
    const QString comprobante = QStringLiteral("{V_MV_CPTE.IDCOMPROBANTE} = '") + q(id) +
                                QStringLiteral("' AND {V_MV_CPTE.IDCOMPLEMENTO} = ") +
                                IdComplemento + QStringLiteral(" AND {Aux_MV_CPte.USUARIO} = '") +
                                q(estacion) + u'\'';
    const auto pedido = [&] {
        une(QStringLiteral("{V_MV_CPTE.IDCOMPROBANTE} = '") + q(id) +
            QStringLiteral("' AND {V_MV_CPTE.TC} = 'PE'"));
    };
    const bool certificado = vb::IsOneOf(Reporte, {"RETIGAN", "RETIBR", "RETIVA", "RETSUSS"});

    if (vb::IsOneOf(tipo, {"OT", "PR", "RM", "FC", "FCE", "NC", "NCFP", "ND", "FP", "NP", "GF", "TK",
                     "TKFC", "REC"})) {
        paso([&] {
            const bool ot2 = es(vb::Trim(Reporte), "OT2");
            Reporte = nombreReporte(tcl, {}, true);
            if (!ot2) return;
            const auto dos = [](const QString& f) {
                return vb::Left(f, f.size() - 4) + QStringLiteral("2.rpt");
            };
            Reporte = dos(Reporte);
            for (QString& f : FormulariosCopia) f = dos(f);
        });
        paso([&] { une(QStringLiteral(" {V_MV_CPTE.TC} = '") + q(tc4) + u'\''); });
        if (!FormulaExterna) paso([&] { une(comprobante); });
    } else if (es(tipo, "OP")) {
        paso([&] { Reporte = nombreReporte(tcl, {}, false); });
        paso([&] { une(QStringLiteral(" {V_MV_CPTE.TC} = '") + q(tc4) + u'\''); });
        if (!FormulaExterna)
            paso([&] {
                une(QStringLiteral("{V_MV_CPTE.IDCOMPROBANTE} = '") + q(id) +
                    QStringLiteral("' "));
            });
        paso([&] { ordenCero(QStringLiteral("+{V_Mv_CpteInsumos.Id}")); });
    } else if (es(tipo, "PE")) {
        paso([&] { Reporte = nombreReporte(QStringLiteral("ParteConsumoPE"), {}, false); });
        paso([&] { ordenCero(QString()); });
    } else if (es(tipo, "IR")) {
        paso([&] { Reporte = nombreReporte(QStringLiteral("IR-OC"), {}, false); });
        paso([&] { une(QStringLiteral(" {V_MV_STOCK.TC} = 'IR'")); });
        if (!FormulaExterna)
            paso([&] {
                une(QStringLiteral("{V_MV_STOCK.IDCOMPROBANTE} = '") + q(id) +
                    QStringLiteral("' "));
            });
        paso([&] { ordenCero(QString()); });
    } else if (es(tipo, "PEC")) {
        paso([&] { Reporte = nombreReporte(QStringLiteral("COMANDA"), {}, false); });
        paso([&] {
            if (es(DestinoDefault, "Impresora")) {
                Destino = gReporte().DestinoImpresora();
                gReporte().Destino = Destino;
            } else {
                gReporte().Destino = gReporte().DestinoPantalla();
            }
        });
        paso(pedido);
    } else if (vb::IsOneOf(tipo, {"PECO", "PEBA", "PEBR"})) {
        const QString formulario = es(tipo, "PECO")   ? QStringLiteral("COMANDA_COCINA")
                                   : es(tipo, "PEBA") ? QStringLiteral("COMANDA_BAR")
                                                      : QStringLiteral("COMANDA_BAR2");
        paso([&] { Reporte = nombreReporte(formulario, {}, false); });
        paso(pedido);
    } else if (es(tipo, "T3")) {
        paso([&] { Reporte = nombreReporte(QStringLiteral("RP_MV_3ros"), gSeccionIni, false); });
        if (!FormulaExterna)
            paso([&] {
                FormulaSeleccion = QStringLiteral("({v_mv_cpte.tc} = 'OT') and (") +
                                   QStringLiteral("{V_MV_CPTE.IDCOMPROBANTE} = '") + q(id) +
                                   QStringLiteral("' ") + u')';
            });
    } else if (es(tipo, "LQ")) {
        paso([&] { Reporte = nombreReporte(QStringLiteral("RP_Liq_Com"), gSeccionIni, false); });
        paso([&] {
            FormulaSeleccion = QStringLiteral("{V_MV_CPTE.IDCOMPROBANTE} = '") + q(id) +
                               QStringLiteral("' AND {V_MV_CPTE.TC} = 'OT'");
        });
    } else if (vb::IsOneOf(tipo, {"STK5", "STK7"})) {
        paso([&] {
            if (!es(Reporte, "STK5CLIENTE")) Reporte = nombreReporte(tcl, {}, false);
        });
    } else if (es(tipo, "OPG")) {
        // A certificate name is looked up as the twin rule of "PG" does.
        paso([&] { Reporte = nombreReporte(certificado ? Reporte : tcl, {}, false); });
        paso([&] { FormulaSeleccion.clear(); });
        paso([&] { une(QStringLiteral("{V_MV_CPTE.TC} = '") + q(tc4) + u'\''); });
        if (!FormulaExterna)
            paso([&] {
                une(QStringLiteral(" {V_MV_CPTE.IDCOMPROBANTE} = '") + q(id) + u'\'' +
                    (certificado ? QString()
                                 : QStringLiteral(" and {AUX_MV_CPTE.USUARIO} = '") +
                                       q(gSeccionIni) + u'\''));
            });
    } else if (vb::IsOneOf(tipo, {"PG", "PGFP"})) {
        paso([&] {
            Reporte = nombreReporte(certificado ? Reporte : QStringLiteral("LiqOPG"), {}, false);
        });
        paso([&] { FormulaSeleccion.clear(); });
        if (certificado) {
            paso([&] { une(QStringLiteral("{V_MV_CPTE.TC} = '") + q(tc4) + u'\''); });
            if (!FormulaExterna)
                paso([&] {
                    une(QStringLiteral(" {V_MV_CPTE.IDCOMPROBANTE} = '") + q(id) + u'\'');
                });
        } else {
            paso([&] { une(QStringLiteral("{AUX_MV_CPTE.TC} = '") + q(tc4) + u'\''); });
            paso([&] {
                une(QStringLiteral("{AUX_MV_CPTE.USUARIO} = '") + q(gSeccionIni) + u'\'');
            });
            if (!FormulaExterna)
                paso([&] {
                    une(QStringLiteral(" {AUX_MV_CPTE.IDCOMPROBANTE} = '") + q(id) +
                        QStringLiteral("' AND {AUX_MV_CPTE.IDCOMPLEMENTO} = ") + IdComplemento);
                });
        }
    } else if (vb::IsOneOf(tipo, {"CB", "CBCT", "CBFP"})) {
        paso([&] { Reporte = nombreReporte(tcl, {}, false); });
        paso([&] { Orden = QStringList{QString()}; });
        paso([&] { une(QStringLiteral(" {AUX_MV_CPTE.TC} = '") + q(tc4) + u'\''); });
        paso([&] {
            une(QStringLiteral(" {AUX_MV_CPTE.IDCOMPROBANTE} = '") + q(id) +
                QStringLiteral("' AND {AUX_MV_CPTE.IDCOMPLEMENTO} = ") + IdComplemento);
        });
        paso([&] { une(QStringLiteral(" {AUX_MV_CPTE.USUARIO} = '") + q(gSeccionIni) + u'\''); });
        paso([&] { ordenCero(QString()); });
    } else if (es(tipo, "AutOt")) {
        paso([&] {
            Reporte = nombreReporte(QStringLiteral("AutOT"), {}, false);
            FormulariosCopia.fill(Reporte);
        });
        paso([&] {
            une(QStringLiteral(" {V_MV_CPTE.TC} = '") +
                q(gUtil().Rellena(QStringLiteral("OT"), 4)) + u'\'');
        });
        if (!FormulaExterna) paso([&] { une(comprobante); });
        paso([&] { ordenCero(QStringLiteral("+{Aux_Mv_Cpte.ID}")); });
    } else if (vb::IsOneOf(tipo,
                     {"RMC", "OC", "FCC", "NCC", "LNCC", "NCCP", "NDC", "LNDC", "FPC", "LQCO"})) {
        paso([&] { Reporte = nombreReporte(tcl, {}, false); });
        paso([&] {
            une(QStringLiteral("{C_MV_CPTE.IDCOMPROBANTE} = '") + q(id) +
                QStringLiteral("' AND {C_MV_CPTE.TC} = '") + q(tipo) + u'\'');
        });
    }
}

void Impresion::seleccionaImpresora(const QString& textoDado) {
    const QString texto = vb::Trim(textoDado);
    int p = 0;
    paso([&] {
        if (texto.isEmpty()) {
            parte1.clear();
            parte2.clear();
            return;
        }
        p = vb::InStr(texto, QStringLiteral("|"), vb::Compare::Text);
        // A text without "|" is the printer's name alone.
        parte1 = p == 0 ? texto : vb::Trim(vb::Left(texto, p - 1));
    });
    paso([&] {
        if (!texto.isEmpty()) parte2 = p == 0 ? QString() : vb::Trim(vb::Mid(texto, p + 1));
    });
    paso([&] {
        gReporte().DatoImpresora2 = parte1;
        gReporte().DatoImpresora1 = parte1;
        gReporte().DatoImpresora3 = parte2;
    });
}

void Impresion::ejecuta(const QString& formulario, const QStringList& formulas,
                        const QString& sub1, const QString& sub2, const QString& sub3) {
    gReporte().EjecutaReporte(formulario, Orden, FormulaSeleccion, gConexionReporte, formulas,
                              sub1, sub2, sub3);
}

QStringList Impresion::formulasEmpresaT3() const {
    return {QStringLiteral("Empresa='") + Cfg(QStringLiteral("Nombre")) + u'\'', TextoDireccion,
            TextoLocalidad, TextoCodigoPostal, TextoTelefono};
}

void Impresion::imprime() {
    clsReporte& reporte = gReporte();
    paso([&] { reporte.AsignaFormulas(ListaFormulas, 0); });
    paso([&] {
        if (Destino != -1) return;
        if (es(DestinoDefault, "Pantalla") || es(DestinoDefault, "Ninguno"))
            Destino = reporte.DestinoPantalla();
        else if (es(DestinoDefault, "Impresora"))
            Destino = reporte.DestinoImpresora();
        else if (es(DestinoDefault, "E-M@ail"))
            Destino = reporte.DestinoCorreo();
    });
    paso([&] {
        if (Destino == -1) Destino = 0;
    });
    paso([&] { reporte.Destino = Destino; });
    if (reporte.Destino == reporte.DestinoImpresora()) seleccionaImpresora(Impresora);
    paso([&] {
        if (CantCopias == 0) CantCopias = 1;
    });
    if (paso.left()) return;

    if (es(DestinoDefault, "Selectivo")) {
        // Nothing is printed or shown.
    } else if (DestinoDefault.compare(QLatin1String("Controlador Fiscal:"), Qt::CaseInsensitive) ==
                   0 &&
               vb::StrComp(vb::App().EXEName, kProgramaImpresionDiferida, vb::Compare::Text) !=
                   0) {
        // The fiscal printer's own program prints it.
    } else if (vb::Holds(DestinoDefault, QStringLiteral("Comandera"))) {
        paso([&] {
            const bool pedido = es(vb::Left(TC, 2), "PE");
            const QString tipo = pedido ? QStringLiteral("PE") : TC;
            const bool cocina = pedido && es(TC, "PECO");
            const bool barra = pedido && vb::IsOneOf(TC, {"PEBA", "PEBR"});
            ImprimeEnComandera(tipo, IdComprobante, DestinoDefault, cocina, barra);
        });
    } else if (es(vb::Trim(SeleccionFormulario), "Todos") ||
               vb::Trim(SeleccionFormulario).isEmpty()) {
        copias();
    } else {
        unaCorrida();
    }
    if (paso.left()) return;
    paso([&] { reporte.FinReporte(30); });
}

void Impresion::copias() {
    clsReporte& reporte = gReporte();
    const int total = CantCopias;
    int posicion = 0;
    QString ultimo;
    for (int k = 1; k <= total && !paso.left(); ++k) {
        if (reporte.Destino == reporte.DestinoImpresora()) seleccionaImpresora(Impresora);
        posicion = std::min(posicion + 1, 4);
        const QString formulario = FormulariosCopia[posicion - 1];
        if (vb::IsOneOf(TC, {"T3", "LQ"})) {
            paso([&] {
                if (!existeFormulario(formulario))
                    faltaFormulario(formulario);
                else
                    ejecuta(formulario, formulasEmpresaT3());
            });
        } else if (!existeFormulario(formulario)) {
            paso([&] { faltaFormulario(formulario); });
        } else if (reporte.Destino == reporte.DestinoPantalla() && !ultimo.isEmpty() &&
                   vb::StrComp(formulario, ultimo, vb::Compare::Text) == 0) {
            // On the screen each distinct form is shown once.
        } else if (tieneSubreporteCompras(TC, true)) {
            paso([&] {
                ejecuta(formulario, {}, QStringLiteral("RP_CPTESER"), {},
                        QStringLiteral("RP_CpteObs"));
            });
        } else if (vb::IsOneOf(reporteLlamador,
                         {"RETIGAN", "RETIBR", "RETIVA", "RETSUSS", "STK5CLIENTE"})) {
            paso([&] { ejecuta(Reporte); });
        } else if (vb::IsOneOf(vb::Trim(TC), {"OPG", "PG"})) {
            paso([&] {
                if (es(Cfg(QStringLiteral("ImpresionPagosConSubReporte")), "SI"))
                    ejecuta(formulario, {}, QStringLiteral("OPGSR"));
                else
                    ejecuta(formulario);
            });
        } else if (es(TC, "OP")) {
            paso([&] { ejecuta(formulario, {}, QStringLiteral("opSub")); });
        } else {
            if (k == 1) encabezado = QStringLiteral("ORIGINAL");
            if (k == 2) encabezado = QStringLiteral("DUPLICADO");
            if (k == 3) encabezado = QStringLiteral("TRIPLICADO");
            if (EsElectronico) {
                paso([&] {
                    const auto cfg = [](const char* clave) {
                        return vb::Trim(Cfg(QString::fromLatin1(clave)));
                    };
                    const QString domicilio = cfg("CALLE") + u' ' + cfg("NUMERO") +
                                              QStringLiteral(" (") + cfg("CPOSTAL") +
                                              QStringLiteral(") ") + cfg("Localidad") +
                                              QStringLiteral(" - ") + cfg("PROVINCIA") +
                                              QStringLiteral(" Tel:") + cfg("TELEFONO");
                    // The forms of electronic vouchers read these names so.
                    ejecuta(formulario, {QStringLiteral("NombreEmpresa='") + RazonSocial + u'\'',
                                         QStringLiteral("Localidad='Ingresos Brutos: ") +
                                             cfg("NROINGRESOSBRUTOS") + u'\'',
                                         QStringLiteral("Direccion='Inicio de Actividades: ") +
                                             cfg("INICIOACTIVIDADES") + u'\'',
                                         QStringLiteral("Encabezado='") + domicilio + u'\'',
                                         QStringLiteral("CodigoPostal='") + encabezado + u'\''});
                });
            } else {
                paso([&] {
                    ejecuta(formulario, {QStringLiteral("Encabezado = '") + encabezado + u'\''});
                });
                // Each family run would export again onto the same file (or mail): a file
                // or mail gets the whole order in the one document of the copy.
                if (es(TC, "NP") && reporte.Destino != reporte.DestinoArchivo() &&
                    reporte.Destino != reporte.DestinoCorreo())
                    divideOrden(formulario);
            }
        }
        ultimo = formulario;
    }
}

void Impresion::unaCorrida() {
    const QString ruta = SeleccionFormulario;
    if (vb::IsOneOf(TC, {"T3", "LQ"})) {
        paso([&] {
            if (!existeFormulario(ruta))
                faltaFormulario(ruta);
            else
                ejecuta(ruta, formulasEmpresaT3());
        });
        return;
    }
    paso([&] {
        if (!existeFormulario(ruta))
            faltaFormulario(ruta);
        else if (tieneSubreporteCompras(TC, false))
            ejecuta(ruta, {}, QStringLiteral("RP_CPTESER"), {}, QStringLiteral("RP_CpteObs"));
        else if (vb::IsOneOf(Reporte, {"RETIGAN", "RETIBR", "RETIVA", "STK5CLIENTE"}))
            ejecuta(Reporte);
        else
            ejecuta(ruta);
    });
}

// Filters of one order-split setting: " idrubro='...'" terms for the family codes before the
// "|" and " unegocio='...'" terms for the unit codes after it.
QString filtroDivision(const QString& valorAux) {
    const int p = vb::InStr(valorAux, QStringLiteral("|"), vb::Compare::Text);
    const auto terminos = [](const QString& codigos, const char* columna) {
        QStringList partes;
        for (const QString& codigo : codigos.split(u','))
            if (!vb::Trim(codigo).isEmpty())
                partes.append(u' ' + QString::fromLatin1(columna) + QStringLiteral("='") +
                              q(gUtil().Rellena(vb::Trim(codigo), 4)) + u'\'');
        return partes.join(QStringLiteral(" or "));
    };
    QString familias = terminos(vb::Left(valorAux, p - 1), "idrubro");
    if (!vb::Trim(familias).isEmpty())
        familias = QStringLiteral(" (") + familias + QStringLiteral(") ");
    const QString unidades = terminos(vb::Mid(valorAux, p + 1), "unegocio");
    if (vb::Trim(unidades).isEmpty()) return familias;
    if (!vb::Trim(familias).isEmpty())
        return familias + QStringLiteral(" and (") + unidades + QStringLiteral(") ");
    return QStringLiteral(" (") + unidades + QStringLiteral(") ");
}

void Impresion::divideOrden(const QString& formulario) {
    ado::Recordset filas;
    paso([&] {
        gDB().AbrirRecordset(
            QStringLiteral("SELECT * FROM TA_CONFIGURACION WHERE CLAVE LIKE 'NPS_IMPRESION_%'"),
            filas, nullptr, ado::adOpenForwardOnly, ado::adLockReadOnly, -1, true);
    });
    bool fin = true;
    paso([&] { fin = filas.Eof(); });
    while (!fin && !paso.left()) {
        QString valorAux, impresora, filtro;
        paso([&] {
            valorAux = vb::Trim(gUtil().NuloAVacio(filas[QStringLiteral("ValorAux")]));
            impresora = gUtil().NuloAVacio(filas[QStringLiteral("Valor")]);
        });
        if (!valorAux.isEmpty() && vb::InStr(valorAux, QStringLiteral("|")) > 0)
            paso([&] { filtro = filtroDivision(valorAux); });
        if (!vb::Trim(filtro).isEmpty()) {
            QStringList articulos;
            paso([&] {
                ado::Recordset rs;
                gDB().AbrirRecordset(
                    QStringLiteral("SELECT a.TC,a.IDCOMPROBANTE,a.unegocio,b.IDARTICULO,"
                                   "b.descripcion, c.idrubro ") +
                        QStringLiteral(" from V_MV_Cpte a LEFT JOIN V_MV_CpteInsumos b on "
                                       "a.TC=b.TC and a.IDCOMPROBANTE = b.IDCOMPROBANTE and "
                                       "a.IDCOMPLEMENTO = b.IDCOMPLEMENTO ") +
                        QStringLiteral(" LEFT JOIN V_MA_ARTICULOS c ON b.IDARTICULO=c.IDARTICULO "
                                       "WHERE a.TC='") +
                        q(TC) + QStringLiteral("' and a.IDCOMPROBANTE='") + q(IdComprobante) +
                        QStringLiteral("' ") + QStringLiteral(" and ") + filtro,
                    rs, nullptr, ado::adOpenForwardOnly, ado::adLockReadOnly, -1, true);
                for (; !rs.Eof(); rs.MoveNext())
                    articulos.append(
                        QStringLiteral(" {AUX_MV_CPTE.IDARTICULO}='") +
                        q(vb::Trim(gUtil().NuloAVacio(rs[QStringLiteral("IdArticulo")]))) +
                        QStringLiteral("' "));
                gDB().CierraRecordset(rs);
            });
            if (!articulos.isEmpty()) {
                seleccionaImpresora(impresora);
                paso([&] {
                    // Within the caller's selection, the work-table rows of those articles.
                    QString seleccion = FormulaSeleccion;
                    if (!vb::Trim(seleccion).isEmpty()) seleccion += QStringLiteral(" AND ");
                    seleccion += u'(' + articulos.join(QStringLiteral(" OR ")) + u')';
                    gReporte().EjecutaReporte(
                        formulario, Orden, seleccion, gConexionReporte,
                        {QStringLiteral("Encabezado = '") + encabezado + u'\''});
                });
            }
        }
        paso([&] { filas.MoveNext(); });
        paso([&] { fin = filas.Eof(); });
    }
    paso([&] { gDB().CierraRecordset(filas); });
}

}  // namespace

void DatosUnidadNegocio(const QString& CodigoUnidad, QString& RazonSocial, QString& Cuit) {
    if (!CodigoUnidad.isEmpty()) {
        ado::Recordset rs;
        if (gDB().ExisteEnTabla(QStringLiteral("v_ta_unidadNegocio"),
                                gUtil().Rellena(CodigoUnidad, 4), QStringLiteral("codigo"), &rs, 8,
                                {}, true)) {
            RazonSocial = gUtil().NuloAVacio(rs[QStringLiteral("razon_social")]);
            Cuit = gUtil().NuloAVacio(rs[QStringLiteral("Cuit")]);
            // A unit without a tax number contributes neither value.
            if (Cuit.isEmpty()) RazonSocial.clear();
        }
        gDB().CierraRecordset(rs);
    }
    if (RazonSocial.isEmpty()) RazonSocial = Cfg(QStringLiteral("NOMBRE"));
    if (Cuit.isEmpty()) Cuit = Cfg(QStringLiteral("cuit"));
}

void ImprimirComprobante(QString TC, QString IdComprobante, QString IdComplemento, QString Reporte,
                         QStringList& Orden, QString& FormulaSeleccion,
                         QStringList& FormulasAdicionales, std::int16_t& Destino,
                         bool& FormulaExterna, QString& Fecha, QString& SeleccionFormulario,
                         bool& EsContable, bool& UnaCopia) {
    Impresion impresion(Orden, FormulaSeleccion, FormulasAdicionales, Destino);
    impresion.TC = TC;
    impresion.IdComprobante = IdComprobante;
    impresion.IdComplemento = IdComplemento;
    impresion.Reporte = Reporte;
    impresion.Fecha = Fecha;
    impresion.SeleccionFormulario = SeleccionFormulario;
    impresion.FormulaExterna = FormulaExterna;
    impresion.UnaCopia = UnaCopia;
    if (impresion.prepara(EsContable)) impresion.imprime();
}

}  // namespace ModGlobal
