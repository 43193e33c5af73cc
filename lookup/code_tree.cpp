#include "lookup/code_tree.h"

#include "core/errordialog.h"
#include "db/sql_text.h"
#include "lookup/sql_texto.h"
#include "platform/vb/steps.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clsutil.h"

#include <QHash>

namespace {

const QString kRaiz = QStringLiteral("A");

bool igual(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

CodeTree::Nodo raiz() {
    return {kRaiz, QStringLiteral("Consulta..."), -1, false};
}

QString texto(const QList<vb::Variant>& fila, int columna) {
    return columna < fila.size() ? gUtil().NuloAVacio(fila[columna]) : QString();
}

// Adds the node unless its code is already in the tree (the first one is kept).
void agrega(QList<CodeTree::Nodo>& nodos, QHash<QString, int>& indice, const QString& codigo,
            const QString& descripcion, int padre) {
    const QString clave = kRaiz + codigo;
    const QString llave = clave.toUpper();
    if (indice.contains(llave)) return;
    indice.insert(llave, nodos.size());
    nodos.append({clave, codigo + QStringLiteral(" - ") + descripcion, padre, false});
}

}  // namespace

void CodeTree::seleccionaNodo(int nodo) {
    if (nodo < -1 || nodo >= nodos_.size() || nodo == seleccion_) return;
    seleccion_ = nodo;
    emit seleccionCambiada();
}

void CodeTree::ponNodos(QList<Nodo> nodos) {
    nodos_ = std::move(nodos);
    seleccion_ = nodos_.isEmpty() ? -1 : 0;
    emit nodosCambiados();
}

QList<CodeTree::Nodo> CodeTree::arbolPorPrefijos(const QList<QList<vb::Variant>>& filas) {
    QList<Nodo> nodos{raiz()};
    QHash<QString, int> indice{{kRaiz, 0}};
    for (const auto& fila : filas) {
        const QString codigo = texto(fila, 0);
        const QString llave = (kRaiz + codigo).toUpper();
        // The longest code already in the tree that begins this one; the root always does.
        int padre = 0;
        for (int largo = llave.size() - 1; largo > 1; --largo) {
            const auto it = indice.constFind(llave.left(largo));
            if (it != indice.constEnd()) {
                padre = *it;
                break;
            }
        }
        agrega(nodos, indice, codigo, texto(fila, 1), padre);
    }
    return nodos;
}

QList<CodeTree::Nodo> CodeTree::arbolFamilias(const QList<QList<vb::Variant>>& filas) {
    QList<Nodo> nodos{raiz()};
    QHash<QString, int> indice{{kRaiz, 0}};
    for (const auto& fila : filas) {
        int padre = 0;
        if (fila.size() > 2 && !fila[2].isNull() && !fila[2].isEmpty()) {
            // A parent missing from the tree leaves the family under the root.
            padre = indice.value((kRaiz + texto(fila, 2)).toUpper(), 0);
        }
        agrega(nodos, indice, texto(fila, 0), texto(fila, 1), padre);
    }
    return nodos;
}

QString CodeTree::sqlFamilias() {
    return QStringLiteral("SELECT     TOP 100 PERCENT IdFamilia, Descripcion, ") +
           QStringLiteral("(SELECT     TOP 1 idfamilia FROM @Admin_v_ta_familias a  ") +
           QStringLiteral(
               " Where a.IdFamilia < b.IdFamilia And (Len(LTrim(RTrim(a.IdFamilia))) "
               "< Len(LTrim(RTrim(b.IdFamilia)))) ") +
           QStringLiteral(
               " ORDER BY idfamilia DESC) AS [relative] FROM dbo.V_TA_FAMILIAS b "
               "Where IdFamilia<>'' ORDER BY IdFamilia");
}

void CodeTree::arma(const QString& rutina, bool familias) {
    vb::Steps steps(ModGlobal::manejaError(rutina));
    if (familias) sql = sqlFamilias();
    std::optional<lookup::ResultadoConsulta> resultado;
    steps([&] { resultado = lookup::datos().consulta(sql, false); });
    if (!resultado) {
        ponNodos({raiz()});
    } else {
        ponNodos(familias ? arbolFamilias(resultado->filas) : arbolPorPrefijos(resultado->filas));
    }
}

void CodeTree::ArmarTreeVFamilias() {
    arma(QStringLiteral("ArmarTreeVFamilias"), true);
}

void CodeTree::ArmarTreeVAutomatico() {
    arma(QStringLiteral("ArmarTreeVAutomatico"), false);
}

void CodeTree::Form_Load() {
    Valores = QStringList();
    oculta_ = false;
    if (vb::Holds(sql, QStringLiteral("v_ta_familias"))) {
        ArmarTreeVFamilias();
    } else {
        ArmarTreeVAutomatico();
    }
}

void CodeTree::Form_Unload() {
    nodos_.clear();
    seleccion_ = -1;
    emit nodosCambiados();
}

void CodeTree::CmbSearch_Change(const QString& t) {
    for (int j = 0; j < nodos_.size(); ++j) {
        const QString& txt = nodos_[j].texto;
        const int guion = txt.indexOf('-');
        const QString codigo = guion < 0 ? QString() : vb::Trim(txt.left(guion));
        const QString descripcion = vb::Trim(guion < 0 ? txt : txt.mid(guion + 1));
        if (codigo.startsWith(t, Qt::CaseInsensitive) ||
            descripcion.startsWith(t, Qt::CaseInsensitive)) {
            seleccionaNodo(j);
            return;
        }
    }
}

QString CodeTree::sqlRequery(const QString& textoCaja) const {
    QString cabeza = sql;
    QString cola;
    const int orden = sqltexto::buscaClave(sql, QStringLiteral("ORDER BY"));
    if (orden >= 0) {
        cola = sql.mid(orden);
        cabeza = sql.left(orden);
    }
    const QString columna = QStringLiteral("Descripcion");
    const QString union_ = sqltexto::buscaClave(cabeza, QStringLiteral("WHERE")) >= 0
                               ? QStringLiteral(" and ")
                               : QStringLiteral(" where ");
    return cabeza + union_ + columna + QStringLiteral(" like '%") + sqltext::comillas(textoCaja) +
           QStringLiteral("%' ") + cola;
}

void CodeTree::CmbSearch_KeyDown(int KeyCode, int Shift, const QString& textoCaja) {
    if (KeyCode == 116) {
        sql = sqlRequery(textoCaja);
        emit cajaVaciada();
        Form_Load();
    } else if (KeyCode == 40 || KeyCode == 38 || KeyCode == 34 || KeyCode == 33) {
        emit pideFocoArbol();
    }
}

void CodeTree::TreeV_NodeCheck(int nodo, bool marcada) {
    if (nodo < 0 || nodo >= nodos_.size()) return;
    nodos_[nodo].marcada = marcada;
    // Parents come before their children, so one pass in index order reaches every level.
    QList<bool> debajo(nodos_.size(), false);
    debajo[nodo] = true;
    for (int j = nodo + 1; j < nodos_.size(); ++j) {
        const int padre = nodos_[j].padre;
        if (padre >= 0 && debajo[padre]) {
            debajo[j] = true;
            nodos_[j].marcada = marcada;
            emit nodoCambiado(j);
        }
    }
}

void CodeTree::CmdAceptar_Click() {
    auto& d = lookup::datos();
    vb::Steps steps(ModGlobal::manejaError(QStringLiteral("CmdAceptar_Click")));
    if (!CheckBoxes) {
        if (seleccion_ < 0) {
            ValorDevuelto = QString();
        } else {
            const QString codigo = nodos_[seleccion_].clave.mid(1);
            auto valida = [&](const QString& tabla, const QString& campo) {
                std::optional<QString> valor;
                steps([&] { valor = d.valorEnTabla(tabla, codigo, campo, CampoDevuelto); });
                return valor;
            };
            std::optional<QString> valor;
            bool valido = true;
            if (igual(CampoDevuelto, "IDFAMILIA")) {
                valor =
                    valida(QStringLiteral("@admin_V_TA_FAMILIAS"), QStringLiteral("IDFAMILIA"));
            } else if (igual(CampoDevuelto, "IDPOSICION")) {
                valor = valida(QStringLiteral("MA_POSICIONES"), QStringLiteral("IDPOSICION"));
            } else if (igual(CampoDevuelto, "CODIGO")) {
                valor = valida(QStringLiteral("TA_CCOSTO"), QStringLiteral("CODIGO"));
                if (!valor) valor = valida(QStringLiteral("MA_CUENTAS"), QStringLiteral("CODIGO"));
            } else {
                valido = false;
            }
            if (steps.left()) return;
            if (valido) ValorDevuelto = valor.value_or(QString());
        }
    } else {
        if (!Valores) Valores = QStringList();
        for (const Nodo& n : nodos_) {
            if (!n.marcada) continue;
            const QString codigo = n.clave.mid(1);
            if (igual(CampoDevuelto, "IDFAMILIA") || igual(CampoDevuelto, "CODIGO")) {
                Valores->append(vb::Trim(codigo));
            } else if (igual(CampoDevuelto, "IDPOSICION")) {
                std::optional<QString> valor;
                steps([&] {
                    valor = d.valorEnTabla(QStringLiteral("MA_POSICIONES"), codigo,
                                           QStringLiteral("IDPOSICION"), CampoDevuelto);
                });
                if (steps.left()) return;
                if (valor) Valores->append(*valor);
            }
        }
    }
    oculta_ = true;
    emit ocultada();
}

void CodeTree::CmdCancelar_Click() {
    ValorDevuelto = QString();
    CmpsDevueltos.reset();
    Valores.reset();
    oculta_ = true;
    emit ocultada();
}

void CodeTree::CmdNueva_Click() {
    // The families view is rebuilt the way its load builds it.
    if (vb::Holds(sql, QStringLiteral("v_ta_familias"))) {
        ArmarTreeVFamilias();
    } else {
        ArmarTreeVAutomatico();
    }
}
