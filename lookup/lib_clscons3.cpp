#include "lookup/lib_clscons3.h"

#include "core/files.h"
#include "lookup/code_tree.h"
#include "lookup/consulta_sql.h"
#include "lookup/datos.h"
#include "lookup/search_grid.h"
#include "platform/ado/tsql/statement.h"
#include "platform/ui/operator.h"
#include "platform/vb/steps.h"
#include "platform/vb/strings.h"
#include "platform/vb/textfile.h"

#include <QFileInfo>

#include <algorithm>

namespace {

vb::Variant nivel(const QString& valor) {
    return valor.isEmpty() ? vb::Variant(0) : vb::Variant(valor);
}

}  // namespace

Lib_ClsCons3::Lib_ClsCons3() {
    CmpsDevueltos = QStringList();
    Valores = QStringList();
    auto& d = lookup::datos();
    MuestraStock = d.Cfg(QStringLiteral("MostrarStockenConsultas"));
    StkNivel1 = nivel(d.Cfg(QStringLiteral("Stk_Nivel1")));
    StkNivel2 = nivel(d.Cfg(QStringLiteral("Stk_Nivel2")));
    StkNivel3 = nivel(d.Cfg(QStringLiteral("Stk_Nivel3")));
    StkNivel4 = nivel(d.Cfg(QStringLiteral("Stk_Nivel4")));
    consultaLike_ =
        d.Cfg(QStringLiteral("UsaConsultaLike")).compare("SI", Qt::CaseInsensitive) == 0;
}

void Lib_ClsCons3::ConsultaSearch(const QString& sqlDado,
                                  std::optional<QStringList>* CmpsDevueltosDados,
                                  const QString& Clave, QString* CampoBusquedaDado,
                                  QString* WhereDado, const QString& SentenciaOpcional,
                                  bool TreeView, const QString& ValoresDefault) {
    QString campoPropio, wherePropio;
    QString& CampoBusqueda = CampoBusquedaDado ? *CampoBusquedaDado : campoPropio;
    QString& Where = WhereDado ? *WhereDado : wherePropio;
    auto& d = lookup::datos();
    vb::Steps steps(vb::silentHandler());

    QString sql = sqlDado;
    Where = consultas::envuelveWhere(Where);
    int n = 1000;
    steps([&] { n = consultas::limiteFilas(d.Cfg(QStringLiteral("TopConsArt"))); });

    if (vb::Holds(sql, QStringLiteral("SELECT"))) {
        sql = consultas::conSelect(sql, Where);
    } else {
        std::optional<MascaraConsulta> mascara;
        if (gUsarMascarasConsultas) mascara = mascaras::buscar(gRutaMascaraConsultas, sql);
        if (mascara) {
            const auto texto = consultas::desdeMascara(*mascara, n, CampoBusqueda, Where);
            // No caller may read the previous lookup's answer as this one's.
            const auto sinRespuesta = [&] {
                ValorDevuelto = vb::Variant();
                Valores = QStringList();
                Cantidades.reset();
            };
            if (!texto) {
                sinRespuesta();
                ui::op().msgBox(QStringLiteral("Debe configurar la consulta para esta tabla"),
                                vb::vbInformation, QStringLiteral("Aviso al operador"));
                return;
            }
            // A lookup is one SELECT: a filter that ends it, or makes it anything else, is
            // refused.
            if (consultas::filtroConSeparador(mascaras::limpia(mascara->Filtro)) ||
                !tsql::isSingleRead(*texto)) {
                sinRespuesta();
                ui::op().msgBox(QStringLiteral("El filtro de la consulta ") +
                                    mascaras::limpia(mascara->TablaMascara) +
                                    QStringLiteral(" en el archivo de definiciones ") +
                                    gRutaMascaraConsultas +
                                    QStringLiteral(" no deja una sola consulta de lectura "
                                                   "(SELECT) y no se ejecuta: ") +
                                    mascaras::limpia(mascara->Filtro),
                                vb::vbCritical, QStringLiteral("Aviso al Operador"));
                return;
            }
            sql = *texto;
        } else {
            QStringList campos;
            if (consultas::requiereDescubrir(sql, SentenciaOpcional)) {
                steps([&] {
                    QString muestra = QStringLiteral("select top 1 * from ") + sql;
                    const auto r = d.consulta(muestra, false);
                    if (r) {
                        for (const auto& c : r->campos) campos.append(c.nombre);
                    }
                });
            }
            sql = consultas::porDescubrimiento(sql, n, campos, CampoBusqueda, Where,
                                               SentenciaOpcional);
        }
    }

    if (TreeView) {
        CodeTree tree;
        tree.sql = sql;
        tree.CampoDevuelto = CampoDevuelto;
        tree.CheckBoxes = Checks;
        Valores.reset();
        steps([&] { tree.Form_Load(); });
        steps([&] { lookup::formularios().muestraArbol(tree); });
        ValorDevuelto = tree.ValorDevuelto;
        Valores = tree.Valores;
        Checks = false;
    } else {
        SearchGrid grid;
        grid.StkNivel1 = StkNivel1;
        grid.StkNivel2 = StkNivel2;
        grid.StkNivel3 = StkNivel3;
        grid.StkNivel4 = StkNivel4;
        grid.MuestraStock = MuestraStock;
        grid.CfgUsaConsultaLIKE = consultaLike_;
        grid.OrdenarPorLwv = !vb::Holds(sql, QStringLiteral("ORDER BY"));
        grid.FiltroInicial = Clave;
        grid.CampoBusqueda = CampoBusqueda;
        if (gConnString.isEmpty()) steps([&] { gConnString = d.cadenaConexion(); });
        grid.sql = sql;
        grid.gConnString = gConnString;
        grid.CampoDevuelto = CampoDevuelto;
        grid.CheckBoxes = Checks;
        grid.UsaCantidades = UsaCantidades;
        grid.ValoresDefault = ValoresDefault;
        Valores.reset();
        Cantidades.reset();
        if (CmpsDevueltosDados) grid.CmpsDevueltos = *CmpsDevueltosDados;
        // Rows that ValoresDefault checked at load stay checked.
        steps([&] { grid.Form_Load(); });
        steps([&] { lookup::formularios().muestraGrilla(grid); });
        Checks = false;
        Valores = grid.Valores;
        Cantidades = grid.Cantidades;
        ValorDevuelto = grid.ValorDevuelto;
        grid.CampoDevuelto.clear();
        steps([&] { grid.Form_Unload(); });
    }

    CampoDevuelto.clear();
    if (CmpsDevueltosDados) CmpsDevueltosDados->reset();
}

QString Lib_ClsCons3::opciones(const QString& Titulo, const QStringList& filas, bool checks,
                               const QList<bool>& marcadas, int largo) {
    vb::Steps steps(vb::silentHandler());
    SearchGrid grid;
    QString resultado;
    steps([&] {
        grid.Form_Load();
        grid.Caption = Titulo;
        grid.NuevaVisible = false;
        grid.OrdenarPorLwv = true;
        grid.CampoDevuelto = Titulo;
        grid.CheckBoxes = checks;
        grid.anchoFormulario = 120.0 * largo;
        grid.defineColumnaUnica(Titulo, grid.anchoFormulario);
        for (int i = 0; i < filas.size(); ++i) grid.agregaFila(filas[i], marcadas.value(i));
    });
    steps([&] { lookup::formularios().muestraGrilla(grid); });
    if (checks) {
        Valores = grid.Valores;
    } else {
        resultado = grid.ValorDevuelto.isString() ? grid.ValorDevuelto.string() : QString();
    }
    return resultado;
}

QString Lib_ClsCons3::CheckOpciones(const QString& Titulo, const std::optional<QStringList>&,
                                    const QStringList& Opciones) {
    QStringList filas;
    QList<bool> marcadas;
    int largo = static_cast<int>(Titulo.size());
    for (const QString& opcion : Opciones) {
        filas.append(opcion.mid(1));
        marcadas.append(opcion.startsWith('1'));
        largo = std::max<int>(largo, opcion.size());
    }
    opciones(Titulo, filas, true, marcadas, largo);
    return {};
}

QString Lib_ClsCons3::MenuOpciones(const QString& Titulo, const QStringList& Opciones) {
    int largo = static_cast<int>(Titulo.size());
    for (const QString& opcion : Opciones) largo = std::max<int>(largo, opcion.size());
    // The service's own members are left as they were.
    const auto valores = Valores;
    const QString elegido = opciones(Titulo, Opciones, false, {}, largo);
    Valores = valores;
    return elegido;
}

QString Lib_ClsCons3::ConsultaDesdeArchivo(const QString& Titulo, const QString& QueArchivo,
                                           const QString&) {
    if (!ModGlobal::ExisteArchivo(QueArchivo)) {
        ui::op().msgBox(QStringLiteral("No existe el archivo ") + QueArchivo +
                            QStringLiteral(" que desea consultar consulta "),
                        vb::vbOKOnly);
        return {};
    }
    const QStringList lineas = vb::readTextLines(QueArchivo).value_or(QStringList());
    int largo = static_cast<int>(Titulo.size());
    for (const QString& linea : lineas) largo = std::max<int>(largo, linea.size());
    const auto valores = Valores;
    const QString elegido = opciones(Titulo, lineas, false, {}, largo);
    Valores = valores;
    return elegido;
}

Lib_ClsCons3& gConsultas() {
    static Lib_ClsCons3 instancia;
    return instancia;
}

void CreaMascarasConsultas() {
    mascaras::escribePorDefecto(gConsultas().gRutaMascaraConsultas);
}

namespace lookup {

void PreparaConsultas(const QString& connString, const QString& rutaMascaras) {
    gConsultas().gConnString = connString;
    gConsultas().gRutaMascaraConsultas = rutaMascaras;
    gConsultas().gUsarMascarasConsultas = true;
}

void CreaMascarasSiFaltan() {
    // A plain test of a regular file: any attribute the file carries is irrelevant.
    if (!QFileInfo(gConsultas().gRutaMascaraConsultas).isFile()) CreaMascarasConsultas();
}

}  // namespace lookup
