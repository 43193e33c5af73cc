#include "voucherprint/comandera.h"

#include "core/config.h"
#include "core/errordialog.h"
#include "db/db_dll.h"
#include "db/sql_text.h"
#include "platform/ado/ado.h"
#include "platform/ui/operator.h"
#include "platform/vb/conversions.h"
#include "platform/vb/steps.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clsutil.h"
#include "voucherprint/comanderas.h"

FrmMvVentas& FrmMvVentas::Default() {
    static FrmMvVentas form;
    return form;
}

namespace ModGlobal {

namespace {

// ESC/POS: print mode (ESC !), justification (ESC a), line feed and full cut.
constexpr char kDobleAncho = 0x20;
constexpr char kNormal = 0x00;
constexpr char kIzquierda = 0x00;
constexpr char kCentro = 0x01;
constexpr char kDerecha = 0x02;
// Characters of a description per line on kitchen and bar tickets (34 wide, less 7).
constexpr int kAnchoDescripcion = 27;

QByteArray prefijo(char modo, char justificacion) {
    QByteArray b("\x1b\x21", 2);
    b += modo;
    b += QByteArray("\x0d\x1b\x61", 3);
    b += justificacion;
    return b;
}

// Halves to the even cent, as the amount of an item line is kept.
vb::Currency aDosDecimales(vb::Currency importe) {
    const std::int64_t s = importe.scaled();
    std::int64_t centavos = s / 100;
    const std::int64_t resto = s % 100;
    const std::int64_t mitad = resto < 0 ? -50 : 50;
    if ((resto > 0 && (resto > mitad || (resto == mitad && centavos % 2 != 0))))
        ++centavos;
    else if (resto < 0 && (resto < mitad || (resto == mitad && centavos % 2 != 0)))
        --centavos;
    return vb::Currency::fromScaled(centavos * 100);
}

// The text of a quantity column's difference; empty when either side is Null.
vb::Currency diferencia(const vb::Variant& a, const vb::Variant& b) {
    if (a.isNull() || a.isEmpty() || b.isNull() || b.isEmpty()) return {};
    return gUtil().ValorNumerico(vb::CCur(a) - vb::CCur(b));
}

// A line's text as the printer gets it. Control characters (C0 and DEL) in texts from the
// data would be taken as commands (a drawer kick, a paper cut): each goes out as a blank,
// which keeps the ticket's columns.
QByteArray imprimible(const QString& texto) {
    QByteArray bytes = vb::toCp1252(texto);
    for (char& c : bytes) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
    }
    return bytes;
}

bool comoBooleano(const QString& texto) {
    return !vb::Trim(texto).isEmpty() && vb::CBool(texto);
}

}  // namespace

QString RenglonImporte(const QString& Texto, vb::Currency Importe, int Ancho) {
    const QString texto = gUtil().AjustaTexto(vb::Left(Texto, Ancho - 9), Ancho - 9);
    return texto + QStringLiteral("$ ") +
           gUtil().AlineaDerecha(vb::Format(Importe, QStringLiteral("###0.00")), 7);
}

void ImprimeEnComandera(const QString& TC, const QString& IdComprobante, const QString& Destino,
                        bool Cocina, bool Barra) {
    MSComm& puerto = FrmMvVentas::Default().MSComm1;
    const auto envia = [&](const QByteArray& bytes) { puerto.Output(bytes); };
    const auto linea = [&](const QString& texto) {
        puerto.Output(imprimible(texto) + QByteArray(1, '\x0a'));
    };
    const auto cierraPuerto = [&] {
        try {
            puerto.setPortOpen(false);
        } catch (const vb::VbError&) {
        }
    };

    vb::Steps paso(manejaError(QStringLiteral("ImprimeEnComandera")));
    const bool Parcial = Cocina || Barra;
    bool encontrada = false;

    paso([&] {
        const QString nombre = vb::Trim(
            vb::Replace(Destino, QStringLiteral("Comandera :"), {}, 1, -1, vb::Compare::Text));
        LeeComanderas(encontrada, nombre);
    });
    if (paso.left()) return;
    if (!encontrada) {
        ui::op().msgBox(QStringLiteral("No se ha configurado una comandera en este equipo, "
                                       "verifiquelo y vuelva a intentarlo!!!"),
                        vb::vbOKOnly + vb::vbCritical, QStringLiteral("Aviso al operador!!! - 7"));
        return;
    }
    paso([&] {
        const QString numero =
            vb::Replace(gComandera.Puerto, QStringLiteral("COM"), {}, 1, -1, vb::Compare::Text);
        puerto.setCommPort(vb::CInt(numero));
    });
    if (paso.left()) return;
    try {
        puerto.setPortOpen(true);
    } catch (const vb::VbError&) {
        ui::op().msgBox(QStringLiteral("Error de Comunicacion con el Puerto seleccionado (") +
                            gComandera.Puerto +
                            QStringLiteral(") verifiquelo y vuelva a intentarlo. EL COMPROBANTE "
                                           "NO SE HA IMPRESO"),
                        vb::vbOKOnly + vb::vbCritical, QStringLiteral("Aviso al operador!!"));
        return;
    }

    // From here on, leaving after an error closes the port first.
    const auto sigue = [&](const std::function<void()>& paso1) {
        if (paso.left()) return false;
        paso(paso1);
        if (paso.left()) cierraPuerto();
        return !paso.left();
    };

    const QString clave = QStringLiteral("TC = '") + sqltext::comillas(TC) +
                          QStringLiteral("' AND IDCOMPROBANTE = '") +
                          sqltext::comillas(IdComprobante) + u'\'';
    ado::Recordset cabecera;
    ado::Recordset items;
    const auto campo = [&](ado::Recordset& rs, const char* nombre) {
        return gUtil().NuloAVacio(rs[QString::fromLatin1(nombre)]);
    };

    sigue([&] {
        gDB().AbrirRecordset(QStringLiteral("SELECT * FROM V_MV_CPTE WITH(NOLOCK) WHERE ") + clave,
                             cabecera, nullptr, ado::adOpenForwardOnly, ado::adLockReadOnly, -1,
                             true);
    });
    sigue([&] {
        gDB().AbrirRecordset(
            QStringLiteral("SELECT V_MV_CpteInsumos.IDARTICULO,V_MV_CpteInsumos.DESCRIPCION,"
                           "V_MV_CpteInsumos.CANTIDAD,V_MV_CpteInsumos.Cantidadpreparada,"
                           "V_MV_CpteInsumos.CANTIDADAFACTURAR, V_MV_CpteInsumos.IMPORTE_S_IVA, "
                           "V_MV_CpteInsumos.IMPORTE, v_ma_articulos.Pesable, "
                           "v_ma_articulos.talledefault FROM V_MV_CPTEINSUMOS LEFT OUTER JOIN "
                           "dbo.V_MA_ARTICULOS ON dbo.V_MV_CpteInsumos.IDARTICULO = "
                           "dbo.V_MA_ARTICULOS.IDARTICULO WHERE ") +
                clave + QStringLiteral(" ORDER BY V_MV_CpteInsumos.ID"),
            items, nullptr, ado::adOpenForwardOnly, ado::adLockReadOnly, -1, true);
    });

    // Header lines.
    if (Activo(gComandera.ImprimeEncabezado1)) {
        sigue([&] { envia(prefijo(kDobleAncho, kCentro)); });
        sigue([&] {
            QString texto = vb::Trim(gUtil().RecortaFijo(gComandera.Encabezado1));
            if (texto.isEmpty()) texto = Cfg(QStringLiteral("NOMBRE"));
            linea(texto);
        });
    }
    if (Activo(gComandera.ImprimeEncabezado2)) {
        sigue([&] { envia(prefijo(kNormal, kCentro)); });
        sigue([&] {
            QString texto = vb::Trim(gUtil().RecortaFijo(gComandera.Encabezado2));
            if (texto.isEmpty())
                texto = Cfg(QStringLiteral("CALLE")) + u' ' + Cfg(QStringLiteral("NUMERO")) +
                        QStringLiteral(" - ") + Cfg(QStringLiteral("LOCALIDAD"));
            linea(texto);
        });
    }
    sigue([&] { envia(prefijo(kNormal, kDerecha)); });
    sigue([&] { linea({}); });
    sigue([&] {
        const vb::DateTime ahora = ui::clock().now();
        linea(vb::Format(ahora, QStringLiteral("DD/MM/YY")) + u' ' +
              vb::Format(ahora, QStringLiteral("HH:MM")));
    });
    sigue([&] {
        const QString vendedor = vb::Trim(campo(cabecera, "IdVendedor"));
        const QString mozo = gUtil().NuloAVacio(
            gDB().DatosTabla(QStringLiteral("V_TA_VENDEDORES"), vendedor, QStringLiteral("NOMBRE"),
                             QStringLiteral("IdVendedor"), 8, {}, true, false));
        linea(QStringLiteral("MESA:") + vb::Trim(campo(cabecera, "transporte")) +
              QStringLiteral("  Mozo:") + vb::Trim(gUtil().AjustaTexto(mozo, 15)));
    });
    if (Activo(gComandera.ImprimeNumero)) {
        sigue([&] { envia(prefijo(kNormal, kDerecha)); });
        sigue([&] { linea(TC + u' ' + IdComprobante); });
    }
    if (Activo(gComandera.ImprimeCliente)) {
        sigue([&] { envia(prefijo(kNormal, kIzquierda)); });
        sigue([&] { linea(vb::Trim(campo(cabecera, "Nombre"))); });
        sigue([&] { linea({}); });
        sigue([&] { linea({}); });
    }

    // Items.
    bool hayFilas = false;
    sigue([&] { hayFilas = !items.Eof(); });
    const bool detalle = Activo(gComandera.DetalleRenglon);
    while (hayFilas && !paso.left()) {
        bool fin = false;
        if (!sigue([&] { fin = items.Eof(); }) || fin) break;
        QString Descripcion;
        vb::Currency Precio;
        double Cantidad = 0;
        vb::Currency ImporteRenglon;
        bool salta = false;
        const auto paraFila = [&](const std::function<void()>& f) {
            return sigue([&] {
                if (!salta) f();
            });
        };
        paraFila([&] {
            Descripcion = campo(items, "DESCRIPCION");
            Precio = gUtil().ValorNumerico(campo(items, "IMPORTE"));
            Cantidad = gUtil().ValorNumerico(campo(items, "CANTIDAD")).toDouble();
        });
        if (Cocina) {
            paraFila([&] {
                Cantidad = diferencia(items[QStringLiteral("CANTIDAD")],
                                      items[QStringLiteral("Cantidadpreparada")])
                               .toDouble();
                salta = Cantidad == 0 || !vb::Holds(campo(items, "talledefault"), "C");
            });
        }
        if (Barra) {
            paraFila([&] {
                Cantidad = diferencia(items[QStringLiteral("CANTIDAD")],
                                      items[QStringLiteral("CANTIDADAFACTURAR")])
                               .toDouble();
                salta = Cantidad == 0 || !vb::Holds(campo(items, "talledefault"), "B");
            });
        }
        paraFila([&] {
            // A weighed article prints the weight the order holds.
            if (comoBooleano(campo(items, "Pesable")))
                Cantidad = gUtil().ValorNumerico(campo(items, "CANTIDAD")).toDouble();
        });
        paraFila([&] {
            ImporteRenglon = aDosDecimales(vb::Currency::fromDouble(Precio.toDouble() * Cantidad));
        });
        if (!Parcial && detalle) {
            paraFila([&] { envia(prefijo(kNormal, kIzquierda)); });
            paraFila([&] {
                linea(u'[' + vb::Format(Cantidad, QStringLiteral("###0.00")) +
                      QStringLiteral(" X $ ") + vb::Format(Precio, QStringLiteral("#####0.00")) +
                      u']');
            });
            paraFila([&] { linea(RenglonImporte(Descripcion, ImporteRenglon, 33)); });
        } else if (!Parcial) {
            paraFila([&] {
                linea(RenglonImporte(u'[' + vb::Format(Cantidad, QStringLiteral("###0.00")) +
                                         QStringLiteral(" X $ ") +
                                         vb::Format(Precio, QStringLiteral("#####0.00")) +
                                         QStringLiteral("] ") + Descripcion,
                                     ImporteRenglon, 33));
            });
        } else {
            if (detalle) paraFila([&] { envia(prefijo(kNormal, kIzquierda)); });
            paraFila([&] {
                linea(vb::Format(Cantidad, QStringLiteral("###0.00  ")) +
                      vb::Mid(Descripcion, 1, kAnchoDescripcion));
            });
            paraFila([&] {
                if (Descripcion.size() >= kAnchoDescripcion + 1)
                    linea(QStringLiteral("      ") +
                          vb::Mid(Descripcion, kAnchoDescripcion + 1, kAnchoDescripcion));
            });
            paraFila([&] {
                if (Descripcion.size() >= 2 * kAnchoDescripcion + 1)
                    linea(QStringLiteral("      ") +
                          vb::Mid(Descripcion, 2 * kAnchoDescripcion + 1, kAnchoDescripcion));
            });
        }
        sigue([&] { items.MoveNext(); });
    }

    // Closing lines.
    sigue([&] { linea({}); });
    sigue([&] { linea({}); });
    sigue([&] { envia(prefijo(kDobleAncho, kDerecha)); });
    sigue([&] {
        if (Parcial)
            linea({});
        else
            linea(QStringLiteral("TOTAL $") +
                  gUtil().AlineaDerecha(vb::Format(cabecera[QStringLiteral("Importe")],
                                                   QStringLiteral("#######0.00")),
                                        9));
    });
    sigue([&] { linea({}); });
    if (Cocina) sigue([&] { linea(QStringLiteral("** COCINA **")); });
    if (Barra) sigue([&] { linea(QStringLiteral("** BARRA **")); });
    sigue([&] { linea({}); });
    sigue([&] { linea({}); });
    if (Activo(gComandera.ImprimePie) && !Parcial) {
        sigue([&] { envia(prefijo(kNormal, kCentro)); });
        sigue([&] { linea(vb::Trim(gUtil().RecortaFijo(gComandera.Pie))); });
    }
    sigue([&] { linea({}); });
    sigue([&] { linea({}); });
    sigue([&] { linea({}); });
    sigue([&] { envia(QByteArray("\x1d\x56\x00", 3)); });
    sigue([&] { puerto.setPortOpen(false); });
    gDB().CierraRecordset(items);
    gDB().CierraRecordset(cabecera);
}

}  // namespace ModGlobal
