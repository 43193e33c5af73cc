#include "core/errortable.h"

#include "core/errordialog.h"
#include "db/column_fit.h"
#include "db/db_dll.h"
#include "platform/ui/operator.h"
#include "platform/vb/app.h"
#include "platform/vb/steps.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clssistema.h"
#include "platform/vendrix/clsutil.h"

#include <QTime>

namespace ModGlobal {

namespace {

// Provider notices that are not failures (SQL warnings, the provider's informational note).
bool esInformativo(const ado::Error& e) {
    return e.SQLState.startsWith(QLatin1String("01")) || e.Number == 0 || e.Number == 265929;
}

}  // namespace

void GrabaError(const QString& SentenciaSQL, QString& Proceso, std::int32_t NroError,
                const QString& Descripcion) {
    vb::Steps paso(vb::silentHandler());
    ado::Recordset rs;
    paso([&] {
        if (Proceso.isEmpty()) Proceso = vb::App().EXEName;
    });
    // The columns' sizes are read before the row is opened, as an engine that serves one
    // statement at a time would refuse the read while the row's recordset is open.
    paso([&] { columnfit::tamanos(gDB().gCnn, QStringLiteral("AUX_ERR")); });
    paso([&] {
        gDB().AbrirRecordset(QStringLiteral("select  top 1 * from AUX_ERR  with(nolock) "), rs,
                             nullptr, ado::adOpenDynamic, ado::adLockOptimistic, -1, true);
    });
    paso([&] { rs.AddNew(); });
    // Each text cut to its column as the database defines it: a long login, host name or
    // script must not cost the row.
    const auto texto = [&](const QString& campo, const QString& valor) {
        rs.Fields(campo).setValue(
            columnfit::ajusta(gDB().gCnn, QStringLiteral("AUX_ERR"), campo, valor));
    };
    paso([&] { texto(QStringLiteral("Proceso"), Proceso); });
    paso([&] {
        // A date-time value to the minute, not a text in the locale's order.
        const vb::DateTime ahora = ui::clock().now();
        rs.Fields(QStringLiteral("fecha"))
            .setValue(
                vb::wallClock(ahora.date(), QTime(ahora.time().hour(), ahora.time().minute())));
    });
    paso([&] { rs.Fields(QStringLiteral("Error")).setValue(NroError); });
    paso([&] {
        // Fitted to 250 characters; a shorter text is stored as it is, unpadded.
        texto(QStringLiteral("Descripcion"),
              Descripcion.size() > 250 ? gUtil().AjustaTexto(Descripcion, 250) : Descripcion);
    });
    paso([&] { texto(QStringLiteral("sql"), SentenciaSQL); });
    paso([&] { texto(QStringLiteral("PC"), gSistema().NombreMaquina()); });
    paso([&] { texto(QStringLiteral("Usuario"), gDB().gUsuario); });
    paso([&] { rs.Update(); });
    paso([&] { gDB().CierraRecordset(rs); });
}

void GActualizarDatoScript(const QStringList& Lineas, bool& HuboError, std::int32_t& NroError,
                           bool IgnoraClaveDuplicada, bool IgnoraReferencia, QString& SentenciaSQL,
                           QString& TextoError, bool MostrarMensaje) {
    const QString cr = QStringLiteral("\r");
    const QString crlf = QStringLiteral("\r\n");
    HuboError = false;
    QString script;
    for (const QString& linea : Lineas) {
        if (!vb::Trim(linea).isEmpty()) script += cr + linea;
    }
    if (script.isEmpty()) return;

    vb::Steps paso(manejaError(QStringLiteral("GActualizarDatoScript")));
    std::int32_t nativo = 0;
    QString textoError;
    vb::VbError lanzado;
    paso([&] {
        script = QStringLiteral("BEGIN TRANSACTION ") + cr + cr + script + cr;
        SentenciaSQL = script;
    });
    paso([&] {
        // Database errors of the script are read from the connection below.
        QString texto = script;
        long afectados = 0;
        gDB().EjecutaConsultaSQL(texto, afectados, nullptr, &lanzado);
    });
    paso([&] {
        ado::Errors& errores = gDB().gCnn.errors();
        QList<ado::Error> reales;
        for (const ado::Error& e : errores.items()) {
            if (!esInformativo(e)) reales.append(e);
        }
        if (!reales.isEmpty()) {
            nativo = static_cast<std::int32_t>(reales.first().NativeError);
            HuboError = true;
            // The count rule (all but the closing note) applies to the real errors: a notice
            // ahead of them must not push the error itself out of the report.
            const qsizetype cuenta = reales.size();
            const qsizetype ultimo = cuenta == 1 ? 0 : cuenta - 2;
            for (qsizetype i = 0; i <= ultimo; ++i) {
                const ado::Error& e = reales.at(i);
                textoError +=
                    QString::number(e.NativeError) + QStringLiteral(" : ") + e.Description + crlf;
                TextoError = textoError;
            }
        } else if (lanzado.Number != 0) {
            // A run that raised is a failure even when the provider listed nothing.
            nativo = static_cast<std::int32_t>(lanzado.Number);
            HuboError = true;
            textoError = QString::number(lanzado.Number) + QStringLiteral(" : ") +
                         lanzado.Description + crlf;
            TextoError = textoError;
        }
        if (HuboError &&
            ((IgnoraClaveDuplicada && nativo == 2627) || (IgnoraReferencia && nativo == 547))) {
            TextoError = reales.isEmpty() ? lanzado.Description : reales.first().Description;
            textoError.clear();
        }
        errores.Clear();
    });
    if (paso.left()) return;
    if (HuboError) {
        paso([&] { gDB().EjecutaConsultaSQL(QStringLiteral("ROLLBACK TRANSACTION")); });
        paso([&] {
            QString proceso = vb::App().EXEName;
            GrabaError(script, proceso, nativo, textoError);
        });
        paso([&] {
            if (!vb::Trim(textoError).isEmpty() && MostrarMensaje)
                ui::op().msgBox(textoError, vb::vbCritical + vb::vbOKOnly,
                                QStringLiteral("Aviso al Operador!"));
        });
    } else {
        paso([&] { gDB().EjecutaConsultaSQL(QStringLiteral("COMMIT TRANSACTION")); });
    }
    if (paso.left()) return;
    NroError = nativo;
}

}  // namespace ModGlobal
