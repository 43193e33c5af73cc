#include "lookup/search_grid.h"

#include "core/errordialog.h"
#include "db/connection_string.h"
#include "db/sql_text.h"
#include "lookup/anchos.h"
#include "lookup/sql_texto.h"
#include "platform/ui/operator.h"
#include "platform/vb/conversions.h"
#include "platform/vb/steps.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clsutil.h"

#include <QRegularExpression>
#include <QVarLengthArray>

#include <algorithm>
#include <numeric>

namespace {

const QString kColumnaCantidad = QStringLiteral("**Cantidad**");

bool igual(const QString& a, const QString& b) {
    return vb::Trim(a).compare(vb::Trim(b), Qt::CaseInsensitive) == 0;
}

// Whether the cell, without its leading and trailing blanks, begins with `valor`.
bool empiezaCon(QAnyStringView celda, QStringView valor) {
    return celda.visit([&](auto v) {
        if constexpr (std::is_same_v<decltype(v), QUtf8StringView>) {
            return empiezaCon(v.toString(), valor);  // the rows hold no UTF-8
        } else {
            qsizetype desde = 0, hasta = v.size();
            while (desde < hasta && QChar(v.at(desde)) == u' ') ++desde;
            while (hasta > desde && QChar(v.at(hasta - 1)) == u' ') --hasta;
            return v.sliced(desde, hasta - desde).startsWith(valor, Qt::CaseInsensitive);
        }
    });
}

// A quantity cell as a number, with "," or "." as the decimal separator.
double numeroDe(QString texto) {
    return vb::Val(texto.replace(',', '.'));
}

int indiceCampo(const QList<lookup::CampoConsulta>& campos, const QString& nombre) {
    for (int i = 0; i < campos.size(); ++i) {
        if (igual(campos[i].nombre, nombre)) return i;
    }
    return -1;
}

}  // namespace

class SearchGrid::Cambio {
public:
    explicit Cambio(SearchGrid& grid) : grid_(grid) {
        if (grid_.cambios_++ == 0) emit grid_.filasPorCambiar();
    }
    ~Cambio() {
        if (--grid_.cambios_ == 0) emit grid_.filasCambiadas();
    }
    Cambio(const Cambio&) = delete;
    Cambio& operator=(const Cambio&) = delete;

private:
    SearchGrid& grid_;
};

void SearchGrid::mideLetrasCon(const QObject* ventana, std::function<double(int)> medida) {
    medidor_ = ventana;
    anchoLetras_ = std::move(medida);
}

void SearchGrid::seleccionaFila(int fila) {
    if (fila < -1 || fila >= filas_.size() || fila == seleccion_) return;
    seleccion_ = fila;
    emit seleccionCambiada();
}

void SearchGrid::Form_Load() {
    if (carga()) aplicaFiltroInicial();
}

bool SearchGrid::carga() {
    const Cambio cambio(*this);
    vb::Steps steps(ModGlobal::manejaError(QStringLiteral("FORM_LOAD")));
    EsConsultaArticulos = vb::Holds(sql, QStringLiteral("articulos"));
    Valores = QStringList();
    Cantidades = QList<double>();
    filas_.clear();
    seleccion_ = -1;
    oculta_ = false;
    if (vb::Trim(sql).isEmpty()) {
        columnas_.clear();
        cajas_.clear();
        return false;
    }
    sql = QStringLiteral(" ") + sql;
    TablaConsultada = sqltexto::tablaConsultada(sql);
    if (SqlInicial.isEmpty()) SqlInicial = sql;
    SqlBase = sql;

    // The rows become the grid's texts as the engine reads them: the result is never held.
    bool leida = false;
    QList<lookup::CampoConsulta> campos;
    steps([&] {
        leida = lookup::datos().recorre(
            sql, UsarUDBC, [this](const QList<lookup::CampoConsulta>& c) { empiezaLectura(c); },
            [this](const QList<vb::Variant>& valores) { Leer(valores); }, campos);
    });
    if (!leida) {
        columnas_.clear();
        cajas_.clear();
        filas_.clear();
        return false;
    }
    terminaLectura(campos);
    return true;
}

void SearchGrid::muestraResultado(const lookup::ResultadoConsulta& resultado) {
    {
        const Cambio cambio(*this);
        empiezaLectura(resultado.campos);
        filas_.reserve(resultado.filas.size());
        for (const QList<vb::Variant>& valores : resultado.filas) Leer(valores);
        terminaLectura(resultado.campos);
    }
    aplicaFiltroInicial();
}

void SearchGrid::empiezaLectura(const QList<lookup::CampoConsulta>& campos) {
    // Password columns (users' mail passwords live in columns so named) are never shown,
    // whether the columns were discovered, listed by a definition record or named by a SELECT.
    lectura_ = Lectura();
    QList<lookup::CampoConsulta> mostrados;
    for (int i = 0; i < campos.size(); ++i) {
        if (vb::Holds(campos[i].nombre, QStringLiteral("PASSWORD"))) continue;
        lectura_.campos.append(i);
        mostrados.append(campos[i]);
    }
    auto indice = [&](const QString& nombre) {
        const int k = indiceCampo(mostrados, nombre);
        return k < 0 ? -1 : lectura_.campos[k];
    };
    lectura_.devuelto = indice(CampoDevuelto);
    lectura_.puntoPedido = indice(QStringLiteral("PUNTOPEDIDO"));
    lectura_.stock = indice(QStringLiteral("Stock"));
    lectura_.colorea = EsConsultaArticulos && igual(MuestraStock, QStringLiteral("SI")) &&
                       lectura_.puntoPedido >= 0 && lectura_.stock >= 0;
    filas_.clear();
    seleccion_ = -1;
    ContadorFilas = 0;
}

void SearchGrid::terminaLectura(const QList<lookup::CampoConsulta>& campos) {
    // The columns as the rows told of them: an expression's type is known once they are read.
    QList<lookup::CampoConsulta> mostrados;
    for (const int i : std::as_const(lectura_.campos)) mostrados.append(campos.value(i));
    Encolumnar(mostrados);

    if (OrdenarPorLwv) ordenada_ = true;
    if (ordenada_) ordena();
    if (!filas_.isEmpty()) seleccion_ = 0;

    QList<double> anchos;
    for (const Columna& c : columnas_) anchos.append(c.ancho);
    anchos::LeerAnchosColumnas(anchos::rutaArchivo(), TablaConsultada, anchos);
    for (int k = 0; k < columnas_.size(); ++k) columnas_[k].ancho = anchos[k];
}

void SearchGrid::aplicaFiltroInicial() {
    if (!vb::Trim(FiltroInicial).isEmpty()) ponCaja(0, FiltroInicial);
}

void SearchGrid::Encolumnar(const QList<lookup::CampoConsulta>& campos) {
    columnas_.clear();
    const bool articulos = vb::Holds(sql, QStringLiteral("V_MA_ARTICULOS")) ||
                           vb::Holds(sql, QStringLiteral("STK_MA_ARTICULOS"));
    for (const lookup::CampoConsulta& campo : campos) {
        int w = static_cast<int>(std::min<long>(campo.tamano, 1000000));
        if (campo.tipo == 6 || campo.tipo == 131) w = 12;
        // A size the provider does not tell still needs a column the operator can read.
        if (w <= 0) w = static_cast<int>(campo.nombre.size());
        if (w >= 60) w = 60;
        QString titulo = campo.nombre;
        if (articulos) {
            for (int n = 1; n <= 8; ++n) {
                if (igual(campo.nombre, QStringLiteral("PRECIO%1").arg(n))) {
                    titulo = lookup::datos().Cfg(QStringLiteral("NOM_PCLASE%1").arg(n));
                }
            }
        } else if (igual(ValoresDefault, QStringLiteral("@10"))) {
            w += 10;
        }
        const double ancho = medidor_ && anchoLetras_ ? anchoLetras_(w) : 120.0 * w;
        columnas_.append({titulo, campo.nombre, ancho});
    }
    while (cajas_.size() < columnas_.size()) cajas_.append(QString());
    while (cajas_.size() > columnas_.size()) cajas_.removeLast();
    IndiceBusqueda = std::min<int>(IndiceBusqueda, std::max<int>(0, columnas_.size() - 1));
}

bool SearchGrid::esPorDefecto(const QString& valor) const {
    const QString v = vb::Trim(valor);
    for (const QString& parte : ValoresDefault.split(QRegularExpression(QStringLiteral("[,;]")))) {
        if (igual(parte, v)) return true;
    }
    return false;
}

void SearchGrid::Leer(const QList<vb::Variant>& valores) {
    ++ContadorFilas;
    const clsUtil& util = gUtil();
    static const vb::Variant ninguno;
    auto valor = [&](int i) -> const vb::Variant& {
        return i < valores.size() ? valores[i] : ninguno;
    };
    QVarLengthArray<QString, 16> celdas;
    for (int j = 0; j < lectura_.campos.size(); ++j) {
        const QString texto = util.NuloAVacio(valor(lectura_.campos[j]));
        celdas.append(j == 0 ? vb::Trim(texto) : util.Rellena(texto));
    }
    bool marcada = false;
    std::optional<qint64> colorFila;
    if (CheckBoxes && lectura_.devuelto >= 0 && lectura_.devuelto < valores.size()) {
        marcada = esPorDefecto(util.NuloAVacio(valor(lectura_.devuelto)));
    }
    if (lectura_.colorea) {
        const vb::Currency punto =
            util.ValorNumerico(util.NuloAVacio(valor(lectura_.puntoPedido)));
        const vb::Currency enStock = util.ValorNumerico(util.NuloAVacio(valor(lectura_.stock)));
        const vb::Currency cero;
        const vb::Variant* nivel = &StkNivel4;
        if (punto == cero && cero < enStock) {
            nivel = &StkNivel1;
        } else if (cero < punto && punto < enStock) {
            nivel = &StkNivel2;
        } else if (cero < punto && enStock < punto) {
            nivel = &StkNivel3;
        }
        const QString color = vb::Trim(util.NuloAVacio(*nivel));
        if (!color.isEmpty()) colorFila = static_cast<qint64>(vb::Val(color));
    }
    filas_.agrega(celdas.constData(), celdas.size(), marcada, colorFila);
}

void SearchGrid::ordena() {
    const int clave = claveOrden_;
    const bool descendente = descendente_;
    QList<int> orden(filas_.size());
    std::iota(orden.begin(), orden.end(), 0);
    // Each row's text in the sorted column, read in place once.
    std::vector<QAnyStringView> textos(orden.size());
    for (int i = 0; i < orden.size(); ++i) textos[i] = filas_.celda(i, clave);
    std::stable_sort(orden.begin(), orden.end(), [&](int a, int b) {
        const int r = QAnyStringView::compare(textos[a], textos[b], Qt::CaseInsensitive);
        return descendente ? r > 0 : r < 0;
    });
    int seleccion = -1;
    for (int i = 0; i < orden.size(); ++i) {
        if (orden[i] == seleccion_) seleccion = i;
    }
    filas_.reordena(orden);
    seleccion_ = seleccion;
}

void SearchGrid::Form_Unload() {
    const Cambio cambio(*this);
    UsarUDBC = false;
    if (GrabarCfg) {
        QList<double> anchos;
        for (const Columna& c : columnas_) anchos.append(c.ancho);
        try {
            anchos::GrabarAnchosColumnas(anchos::rutaArchivo(), anchos::rutaAuxiliar(),
                                         TablaConsultada, anchos);
        } catch (const vb::VbError& e) {
            ui::op().msgBox(e.Description, vb::vbCritical, QStringLiteral("Aviso al Operador"));
        }
    }
    filas_.clear();
    seleccion_ = -1;
}

void SearchGrid::defineColumnaUnica(const QString& titulo, double ancho) {
    const Cambio cambio(*this);
    columnas_ = {{titulo, titulo, ancho}};
    cajas_ = {QString()};
}

void SearchGrid::agregaFila(const QString& texto, bool marcada) {
    const Cambio cambio(*this);
    filas_.agrega(&texto, 1, marcada, std::nullopt);
    if (seleccion_ < 0) seleccion_ = 0;
}

long SearchGrid::Busqueda(long Clave, const QString& QueValor) const {
    const QString valor = vb::Trim(QueValor);
    const int columna = Clave < 1 ? 0 : static_cast<int>(Clave);
    for (int i = 0; i < filas_.size(); ++i) {
        if (columna < filas_.celdas(i) && empiezaCon(filas_.celda(i, columna), valor))
            return i + 1;
    }
    return 0;
}

int SearchGrid::IndiceColumna(const QString& Columna) const {
    for (int k = 0; k < columnas_.size(); ++k) {
        if (igual(columnas_[k].titulo, Columna)) return k + 1;
    }
    return 0;
}

QString SearchGrid::celda(int fila, int columna) const {
    if (fila < 0 || fila >= filas_.size() || columna < 1) return {};
    return filas_.texto(fila, columna - 1);
}

void SearchGrid::ponCaja(int index, const QString& texto) {
    if (index < 0 || index >= cajas_.size()) return;
    cajas_[index] = texto;
    emit cajaCambiada(index);
    CmbSearch_Change(index, texto);
}

void SearchGrid::CmbSearch_GotFocus(int Index) {
    IndiceBusqueda = Index;
}

void SearchGrid::CmbSearch_Change(int Index, const QString& texto) {
    if (Index < 0 || Index >= cajas_.size()) return;
    cajas_[Index] = texto;
    const long fila = Busqueda(Index, texto);
    if (fila > 0) seleccionaFila(static_cast<int>(fila - 1));
}

QString SearchGrid::sqlRequery(const QString& campo, QString& textoCaja) {
    RestoSql.clear();
    QString prefijo;
    SqlBase = sql;
    const int orden = sqltexto::buscaClave(sql, QStringLiteral("ORDER BY"));
    if (orden >= 0) {
        RestoSql = sql.mid(orden);
        SqlBase = sql.left(orden);
    }
    const int grupo = sqltexto::buscaClave(sql, QStringLiteral("GROUP BY"));
    if (grupo >= 0 && !vb::Trim(sql.mid(grupo)).isEmpty()) {
        RestoSql = sql.mid(grupo);
        SqlBase = sql.left(grupo);
    }
    if (vb::Holds(SqlBase, QStringLiteral("stk_ma_articulos."))) {
        prefijo = QStringLiteral("stk_ma_articulos.");
    }
    if (vb::Holds(SqlBase, QStringLiteral("v_ma_articulos."))) {
        prefijo = QStringLiteral("v_ma_articulos.");
    }
    const int donde = sqltexto::buscaClave(SqlBase, QStringLiteral("WHERE"));
    if (donde >= 0) {
        // " and" binds tighter than OR: a condition with an OR of its own goes between
        // parentheses, so the search narrows every one of its terms.
        const int inicio = donde + 5;
        const QString condicion = SqlBase.mid(inicio);
        if (sqltexto::buscaClave(condicion, QStringLiteral("OR")) >= 0) {
            SqlBase = SqlBase.left(inicio) + QStringLiteral(" (") + vb::Trim(condicion) +
                      QStringLiteral(") ");
        }
    }
    const QString union_ = donde >= 0 ? QStringLiteral(" and ") : QStringLiteral(" where ");
    const bool oracle =
        lookup::datos().cadenaConexion && connstr::isOracle(lookup::datos().cadenaConexion());
    QString patron;
    if (CfgUsaConsultaLIKE) {
        patron = QStringLiteral("%") + patronLike(textoCaja, true, oracle) + QStringLiteral("%");
    } else {
        patron = patronLike(textoCaja, false, oracle) + QStringLiteral("%");
        textoCaja = gUtil().Reemplaza(textoCaja, QStringLiteral("*"), QStringLiteral("%"));
    }
    const QString escape =
        oracle && patron.contains(u'\\') ? QStringLiteral(" ESCAPE '\\'") : QString();
    return SqlBase + union_ + prefijo + campo + QStringLiteral(" like '") +
           sqltext::comillas(patron) + u'\'' + escape + u' ' + RestoSql;
}

QString SearchGrid::patronLike(const QString& texto, bool blancoComodin, bool oracle) {
    QString patron;
    patron.reserve(texto.size() + 8);
    for (const QChar c : texto) {
        if (c == u'*' || (blancoComodin && c == u' ')) {
            patron += u'%';
        } else if (oracle && (c == u'%' || c == u'_' || c == u'\\')) {
            patron += u'\\';
            patron += c;
        } else if (!oracle && (c == u'%' || c == u'_' || c == u'[')) {
            patron += u'[';
            patron += c;
            patron += u']';
        } else {
            patron += c;
        }
    }
    return patron;
}

void SearchGrid::CmbSearch_KeyDown(int Index, int KeyCode, int Shift) {
    if (Index < 0 || Index >= cajas_.size()) return;
    if (KeyCode == 116) {
        QString texto = cajas_[Index];
        const QString nuevo = sqlRequery(columnas_[Index].campo, texto);
        ponCaja(Index, QString());
        SqlBase = nuevo;
        sql = nuevo;
        Form_Load();
    } else if (KeyCode == 40 || KeyCode == 38 || KeyCode == 34 || KeyCode == 33) {
        ListView1_KeyDown(KeyCode, Shift);
        emit pideFoco(-1);
    }
}

double SearchGrid::cantidad(int fila) const {
    return numeroDe(celda(fila, IndiceColumna(kColumnaCantidad)));
}

void SearchGrid::ponCantidad(int fila, const QString& texto, bool marcada) {
    const int columna = IndiceColumna(kColumnaCantidad);
    if (columna < 1) return;
    filas_.ponTexto(fila, columna - 1, texto);
    filas_.marca(fila, marcada);
    emit filaCambiada(fila);
}

void SearchGrid::marca(int fila, bool marcada) {
    if (fila < 0 || fila >= filas_.size()) return;
    filas_.marca(fila, marcada);
    emit filaCambiada(fila);
}

void SearchGrid::ListView1_ItemCheck(int fila, bool marcada) {
    marca(fila, marcada);
}

void SearchGrid::ListView1_KeyDown(int KeyCode, int Shift, const QString& texto) {
    const bool conCantidad =
        UsaCantidades && seleccion_ >= 0 && IndiceColumna(kColumnaCantidad) > 0;
    if (KeyCode == 32 && CheckBoxes) {
        if (seleccion_ >= 0) marca(seleccion_, !filas_.marcada(seleccion_));
    } else if (KeyCode == 13) {
        CmdAceptar_Click();
    } else if (KeyCode == 45 && Shift == 1 && UsaCantidades) {
        if (!conCantidad) return;
        const int fila = seleccion_;
        const QString actual = celda(fila, IndiceColumna(kColumnaCantidad));
        const auto respuesta =
            ui::op().inputBox(QStringLiteral("Ingrese la Cantidad del Articulo..."),
                              QStringLiteral("Carga de Datos"), actual);
        // An empty answer, Cancel or 0 all read as 0: the row is checked with "0.00".
        const double n = respuesta ? numeroDe(*respuesta) : 0.0;
        ponCantidad(
            fila, n == 0 ? QStringLiteral("0.00") : vb::Format(n, QStringLiteral("########0.00")),
            true);
    } else if (KeyCode == 45 && Shift == 0 && UsaCantidades) {
        if (!conCantidad) return;
        ponCantidad(seleccion_,
                    vb::Format(cantidad(seleccion_) + 1, QStringLiteral("########0.0")), true);
    } else if (KeyCode == 46 && Shift == 0 && UsaCantidades) {
        if (!conCantidad) return;
        const double n = cantidad(seleccion_) - 1;
        if (n <= 0) {
            ponCantidad(seleccion_, QStringLiteral("0.00"), false);
        } else {
            ponCantidad(seleccion_, vb::Format(n, QStringLiteral("########0.0")), true);
        }
    } else if (KeyCode == 8 || (!texto.isEmpty() && texto[0].isPrint())) {
        if (cajas_.isEmpty()) return;
        const int caja = std::clamp<int>(IndiceBusqueda, 0, cajas_.size() - 1);
        QString nuevo = cajas_[caja];
        if (KeyCode == 8) {
            nuevo.chop(1);
        } else {
            nuevo += texto;
        }
        emit pideFoco(caja);
        ponCaja(caja, nuevo);
    }
}

QString SearchGrid::sqlFaltante(const QString& codigo, const QString& descripcion,
                                const QString& usuario, const vb::DateTime& cuando) {
    return QStringLiteral(
               "INSERT INTO V_MV_FALTANTES (FechaHora,IdArticulo,Descripcion,Usuario) "
               "values(CONVERT(datetime, '%1', 126),'%2','%3','%4')")
        .arg(cuando.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")),
             sqltext::comillas(gUtil().Rellena(codigo, 25)),
             sqltext::comillas(vb::Trim(descripcion)), sqltext::comillas(usuario));
}

bool SearchGrid::Form_KeyDown(int KeyCode, int Shift) {
    if (KeyCode != 123 || !EsConsultaArticulos) return false;
    if (seleccion_ < 0) return true;
    const QString codigo = celda(seleccion_, IndiceColumna(QStringLiteral("idarticulo")));
    const QString descripcion = celda(seleccion_, IndiceColumna(QStringLiteral("Descripcion")));
    const int respuesta = ui::op().msgBox(
        QStringLiteral("Desea informar el articulo ") + vb::Trim(codigo) + QStringLiteral(" ") +
            vb::Trim(descripcion) + QStringLiteral("\r\ncomo un faltante de stock?"),
        vb::vbYesNo + vb::vbQuestion, QStringLiteral("Atención!"));
    if (respuesta != vb::vbYes) return true;
    QString error;
    try {
        error = lookup::datos().ejecuta(
            sqlFaltante(codigo, descripcion, lookup::datos().usuario(), ui::clock().now()));
    } catch (const vb::VbError& e) {
        error = e.Description;
    }
    if (!error.isEmpty()) {
        ui::op().msgBox(QStringLiteral("No se pudo informar el faltante de stock: ") + error,
                        vb::vbExclamation, QStringLiteral("Aviso al Operador"));
    }
    return true;
}

void SearchGrid::ListView1_ColumnClick(int columna) {
    if (columna < 0 || columna >= columnas_.size()) return;
    const Cambio cambio(*this);
    ordenada_ = true;
    claveOrden_ = columna;
    descendente_ = !descendente_;
    ordena();
}

void SearchGrid::CmdAceptar_Click() {
    const int cantidadCol = UsaCantidades ? IndiceColumna(kColumnaCantidad) : 0;
    if (!Valores) Valores = QStringList();
    if (!Cantidades) Cantidades = QList<double>();
    if (CheckBoxes) {
        if (CampoDevuelto.isEmpty() && !columnas_.isEmpty()) CampoDevuelto = columnas_[0].titulo;
        const int columna = IndiceColumna(CampoDevuelto);
        for (int i = 0; i < filas_.size(); ++i) {
            if (!filas_.marcada(i)) continue;
            Valores->append(celda(i, columna));
            if (cantidadCol > 0) Cantidades->append(cantidad(i));
        }
    } else if (seleccion_ >= 0) {
        if (CmpsDevueltos) {
            for (const QString& nombre : *CmpsDevueltos) {
                Valores->append(celda(seleccion_, IndiceColumna(nombre)));
            }
        }
        if (!vb::Trim(CampoDevuelto).isEmpty()) {
            ValorDevuelto = celda(seleccion_, IndiceColumna(CampoDevuelto));
        } else {
            ValorDevuelto = Valores->isEmpty() ? vb::Variant() : vb::Variant(Valores->last());
        }
        if (cantidadCol > 0) Cantidades->append(cantidad(seleccion_));
    }
    oculta_ = true;
    emit ocultada();
}

void SearchGrid::CmdCancelar_Click() {
    ValorDevuelto = QString();
    CmpsDevueltos.reset();
    Valores.reset();
    oculta_ = true;
    emit ocultada();
}

void SearchGrid::CmdNueva_Click() {
    sql = SqlInicial;
    Form_Load();
    emit pideFoco(0);
}

std::pair<QString, QString> SearchGrid::programaMantenimiento(const QString& tabla) {
    const QString t = vb::Trim(tabla);
    if (igual(t, "V_TA_RUBROS") || igual(t, "V_TA_UNIDAD")) return {"SHELL:V_TA_TABLAS", t};
    if (igual(t, "VT_CLIENTES")) return {"SHELL:V_MA_CLIENTES", "1"};
    if (igual(t, "VT_PROVEEDORES")) return {"SHELL:V_MA_CLIENTES", "0"};
    if (igual(t, "V_TA_Tecnicos")) return {"SHELL:V_TA_Tecnicos", ""};
    if (igual(t, "V_TA_VENDEDORES")) return {"SHELL:V_TA_VENDEDORES", ""};
    if (igual(t, "V_MA_ARTICULOS") || igual(t, "VT_MA_ARTICULOS")) {
        return {"SHELL:V_MA_ARTICULOS", ""};
    }
    return {"SHELL:V_TA_TABLAS", t};
}

void SearchGrid::CmdNuevo_Click() {
    const auto [ejecutable, parametro] = programaMantenimiento(TablaConsultada);
    try {
        lookup::datos().MenuExes(ejecutable, parametro);
    } catch (const vb::VbError&) {
        // Errors here are skipped: the grid stays open as it was.
    }
}

void SearchGrid::CmdTodos_Click() {
    const Cambio cambio(*this);
    for (int i = 0; i < filas_.size(); ++i) filas_.marca(i, !filas_.marcada(i));
}
