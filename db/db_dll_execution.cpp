#include "db/connection_string.h"
#include "db/db_dll.h"
#include "db/hooks.h"

#include "platform/ado/backend.h"
#include "platform/ado/command.h"

#include "platform/ui/operator.h"
#include "platform/vb/app.h"
#include "platform/vb/steps.h"
#include "platform/vb/strings.h"

using vb::Holds;

namespace {

const QString kCRLF = QStringLiteral("\r\n");

QString quitaAdmin(const QString& texto) {
    return vb::Replace(texto, QStringLiteral("@Admin_"), QString(), 1, -1, vb::Compare::Text);
}

QString reemplaza(const QString& texto, const QString& de, const QString& a) {
    return vb::Replace(texto, de, a, 1, -1, vb::Compare::Text);
}

struct Sinonimo {
    const char* tabla;
    const char* sinonimo;
};

// In this order: a longer name later in the list never loses its tail to a shorter one.
const Sinonimo kSinonimos[] = {
    {"MA_CUENTAS", "SS_MA_CUENTAS"},
    {"V_TA_DEPOSITO", "SS_V_TA_DEPOSITO"},
    {"MV_ASIENTOS", "SS_MV_ASIENTOS"},
    {"V_TA_FAMILIAS", "SS_V_TA_FAMILIAS"},
    {"V_TA_CAJAS", "SS_V_TA_CAJAS"},
    {"AC_CUENTASDIARIO", "SS_AC_CUENTASDIARIO"},
    {"AC_CUENTASDIARIO_CCOSTO", "SS_AC_CUENTAS_DIARIO_CCOSTO"},
};

}  // namespace

QString DB_Dll::SS_TSinonimos(const QString& SQL) {
    if (gEsAdmin) return quitaAdmin(SQL);
    if (Holds(SQL, QStringLiteral("MV_ASIENTOS")) && !dbhooks::Confidencialidad())
        return quitaAdmin(SQL);
    QString texto = SQL;
    for (const Sinonimo& s : kSinonimos) {
        const QString t = QString::fromLatin1(s.tabla);
        const QString ss = QString::fromLatin1(s.sinonimo);
        texto = reemplaza(texto, u' ' + t + u' ', u' ' + ss + u' ');
        texto = reemplaza(texto, u'(' + t + u' ', u'(' + ss + u' ');
        texto = reemplaza(texto, u' ' + t + u'.', u' ' + ss + u'.');
        texto = reemplaza(texto, u'(' + t + u'.', u'(' + ss + u'.');
        texto = reemplaza(texto, u',' + t + u'.', u',' + ss + u'.');
        if (t == QLatin1String("MA_CUENTAS")) {
            texto = reemplaza(texto, u'{' + t + u'.', u'{' + ss + u'.');
            // An explicit administrator prefix keeps the real table.
            texto = reemplaza(texto, QStringLiteral("@Admin_MA_CUENTAS"), t);
        }
    }
    return quitaAdmin(texto);
}

QString DB_Dll::FiltraSentenciaOracle(QString& Sentencia) {
    if (Holds(Sentencia, QStringLiteral("SET NOCOUNT")) ||
        Holds(Sentencia, QStringLiteral("IF NOT EXIST")))
        Sentencia.clear();
    return Sentencia;
}

void DB_Dll::CierraRecordset(ado::Recordset& LrcsTemp) {
    vb::Steps step([&](const vb::VbError& e) -> int {
        if (e.Number == ado::err::NotAllowedNow) {
            // A pending edit: drop it and close, passing over anything else.
            try {
                LrcsTemp.CancelUpdate();
            } catch (const vb::VbError&) {
            }
            try {
                if (LrcsTemp.State() != ado::adStateClosed) LrcsTemp.Close();
            } catch (const vb::VbError&) {
            }
            return vb::vbIgnore;
        }
        return TratamientoErrores(e, std::nullopt, QStringLiteral("CierraRecordset"));
    });
    step([&] {
        if (LrcsTemp.State() != ado::adStateClosed) LrcsTemp.Close();
    });
}

// What the driver said of the failed reopen beyond its generic first entry ("cannot
// connect"): its last entry, which names the cause; empty when it said nothing more.
QString DB_Dll::motivoDelDriver() {
    const QList<ado::Error> errores = gCnn.errors().items();
    if (errores.size() < 2) return {};
    const QString ultimo = vb::Trim(errores.last().Description);
    return ultimo == vb::Trim(errores.first().Description) ? QString() : ultimo;
}

bool DB_Dll::ConexionPerdida(const vb::VbError& e) {
    // A connection that never opened (its login refused at start-up, say) was not lost:
    // there is nothing to reconnect, and its failure is an ordinary error.
    if (!gOpenFlag && gCnn.State() != ado::adStateOpen) return false;
    return (e.Number == ado::err::ProviderFailure || e.Number == ado::err::NoConnection) &&
           gCnn.errors().Count() > 0;
}

vb::ErrorHandler DB_Dll::ErrorDeConsulta() {
    return [this](const vb::VbError& e) -> int {
        if (ConexionPerdida(e)) {
            ReintentaConectar();
            while (!gOpenFlag) {
                ReintentaConectar();
                if (gOpenFlag) break;
                const QString texto =
                    kCRLF + kCRLF + kCRLF +
                    // This instance's database: the statistics one is not the company's.
                    QStringLiteral("Se perdio la conexion con la base de datos ") + gDBName +
                    kCRLF + QStringLiteral(" Servidor ") + gServidor + kCRLF + kCRLF +
                    QStringLiteral("Elija SI para reintentar conectarse") + kCRLF +
                    QStringLiteral("Elija NO para cerrar la aplicacion") + kCRLF + kCRLF + kCRLF +
                    motivoDelDriver();
                if (ui::op().msgBox(texto, vb::vbYesNo + vb::vbCritical,
                                    QStringLiteral("AVISO AL OPERADOR")) != vb::vbYes) {
                    vb::End();
                    return vb::vbAbort;
                }
            }
        }
        return TratamientoErrores(e, std::nullopt, QStringLiteral("AbrirRecordset"));
    };
}

void DB_Dll::TextoDeConsulta(vb::Steps& step, QString& SentenciaSQL, bool ConvOracle,
                             QString& texto) {
    step([&] { SentenciaSQL = SS_TSinonimos(SentenciaSQL); });
    step([&] {
        texto = ConvOracle && connstr::isOracle(gCnn.ConnectionString())
                    ? ORACLE_Dicc(SentenciaSQL)
                    : SentenciaSQL;
    });
}

void DB_Dll::AbrirRecordset(QString& SentenciaSQL, ado::Recordset& Lrcs,
                            ado::Connection* Conexionactiva, long CursorType, long LockType,
                            long Options, bool ConvOracle) {
    vb::Steps step(ErrorDeConsulta());
    QString texto;
    step([&] { CierraRecordset(Lrcs); });
    TextoDeConsulta(step, SentenciaSQL, ConvOracle, texto);
    step([&] {
        Lrcs.Open(texto, Conexionactiva ? *Conexionactiva : gCnn, CursorType, LockType, Options);
    });
}

bool DB_Dll::RecorreConsulta(QString& SentenciaSQL,
                             const std::function<void(const QList<ado::Column>&)>& campos,
                             const std::function<void(const ado::Row&)>& fila,
                             QList<ado::Column>& descritos) {
    vb::Steps step(ErrorDeConsulta());
    QString texto;
    TextoDeConsulta(step, SentenciaSQL, true, texto);
    descritos.clear();
    // A table's name alone reads the table, as a recordset opened on it does.
    return step([&] {
               gCnn.ExecuteEach(ado::commandTextFor(texto, ado::adCmdUnspecified, true), {},
                                campos, fila, descritos);
           }) &&
           !descritos.isEmpty();
}

void DB_Dll::AbrirRecordset(const QString& SentenciaSQL, ado::Recordset& Lrcs,
                            ado::Connection* Conexionactiva, long CursorType, long LockType,
                            long Options, bool ConvOracle) {
    QString texto = SentenciaSQL;
    AbrirRecordset(texto, Lrcs, Conexionactiva, CursorType, LockType, Options, ConvOracle);
}

namespace {

// The "@Admin_" prefix and the synonyms as statements get them.
QString prefijoYSinonimos(DB_Dll& db, const QString& texto) {
    const bool admin = Holds(texto, QStringLiteral("@ADMIN_"));
    if (Holds(texto, QStringLiteral("DROP")) && Holds(texto, QStringLiteral("CREATE"))) {
        if (Holds(texto, QStringLiteral("DELETE"))) return admin ? quitaAdmin(texto) : texto;
        return admin ? quitaAdmin(texto) : db.SS_TSinonimos(texto);
    }
    return quitaAdmin(texto);
}

bool errorEsperado(long numero) {
    return numero == ado::err::ProviderFailure || numero == ado::err::IntegrityViolation ||
           numero == ado::err::NoSuchTable || numero == ado::err::CommandTextError;
}

}  // namespace

void DB_Dll::EjecutaTexto(QString& SentenciaSQL, long& RecordsAffected, ado::Recordset* Lrcs,
                          const vb::ErrorHandler& handler) {
    vb::Steps step(handler);
    step([&] { SentenciaSQL = prefijoYSinonimos(*this, SentenciaSQL); });
    step([&] {
        if (connstr::isOracle(gCnn.ConnectionString())) {
            // A copy: the caller keeps its text (a failed script is logged with it).
            QString guion = SentenciaSQL;
            EjecutaScriptOracle(guion, RecordsAffected);
            return;
        }
        ado::Recordset resultado = gCnn.Execute(SentenciaSQL, &RecordsAffected, -1);
        if (Lrcs) *Lrcs = resultado;
    });
}

void DB_Dll::EjecutaConsultaSQL(QString& SentenciaSQL, long& RecordsAffected, ado::Recordset* Lrcs,
                                vb::VbError* Lanzado) {
    // Errors stay in the connection's error list, where the callers read them; a truncation
    // (native 8152) is among them: the statement did not run.
    if (Lanzado) *Lanzado = vb::VbError();
    EjecutaTexto(SentenciaSQL, RecordsAffected, Lrcs, [Lanzado](const vb::VbError& e) {
        if (Lanzado) *Lanzado = e;
        return static_cast<int>(vb::vbAbort);
    });
}

long DB_Dll::EjecutaConsultaSQL(const QString& SentenciaSQL) {
    QString texto = SentenciaSQL;
    long filas = 0;
    EjecutaConsultaSQL(texto, filas);
    return filas;
}

void DB_Dll::EjecutaConsultaRSQL(QString& SentenciaSQL, long& RecordsAffected,
                                 ado::Recordset* Lrcs) {
    EjecutaTexto(SentenciaSQL, RecordsAffected, Lrcs, [&](const vb::VbError& e) {
        if (!errorEsperado(e.Number) && !Holds(SentenciaSQL, QStringLiteral("TRANS")))
            ui::op().msgBox(e.Description, vb::vbCritical, QStringLiteral("Aviso al operador!!!"));
        return static_cast<int>(vb::vbAbort);
    });
}
