#pragma once

#include "platform/ado/ado.h"
#include "platform/vb/steps.h"
#include "platform/vb/variant.h"
#include "platform/vb/vberror.h"
#include "platform/vendrix/clsdialogo.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

// The system's database class: one ADO connection per instance with the parameters it was
// opened with, and every query, statement and lookup of the program on top of it.
class DB_Dll {
public:
    DB_Dll();
    ~DB_Dll();
    DB_Dll(const DB_Dll&) = delete;
    DB_Dll& operator=(const DB_Dll&) = delete;

    // Public data members, in the order the suite knows them.
    std::unique_ptr<clsDialogo> CmdDlg;  // file chooser of OpenLocalADODB; made on first use
    bool gOpenFlag = false;              // the connection was opened and is usable
    // When true, a Jet file that asks for a password gets gUserPassWord instead of a prompt.
    vb::Variant gIgnoraPassWord;
    ado::Connection gCnn;
    ado::Recordset glrcs;         // spare
    vb::Variant gCursorLocation;  // spare
    QString gProveedor;           // OLE DB provider name
    QString gDsn;                 // spare
    QString gServidor;            // server, optional ":port"; a "#" marks Oracle
    QString gDBName;              // database; Oracle data source; path of a Jet file
    QString gUsuario;
    bool gEsAdmin = false;  // decides the synonym rewriting
    QString gUserPassWord;
    QString gConnString;  // the connection string in use
    QString gExtended;    // appended to built SQL Server and Jet strings
    QString gLogErr;      // error log path; empty: "KQERR.LOG" in the program folder
    // Why the connection dialog is about to be shown (a command line it could not read);
    // shown in the dialog once, then cleared, with the items it names as missing ("@Server",
    // "@DbName", "@Usuario", "@Password"), whose first box takes the focus.
    QString AvisoAcceso;
    QStringList FaltanAcceso;
    bool ParametrosSQL = false;   // spare
    std::int16_t gKQTimeOut = 0;  // spare

    // Largest and smallest value of a column. `Condicion` is in and out: the article rule
    // of V_MA_ARTICULOS extends the caller's condition. Errors reach the caller.
    vb::Variant BuscaMaximo(const QString& QueTabla, const QString& QueCampo,
                            const vb::Variant& Tipo = {}, QString* Condicion = nullptr);
    double BuscaMinimo(const QString& QueTabla, const QString& QueCampo,
                       const vb::Variant& Tipo = {},
                       const std::optional<QString>& Condicion = std::nullopt);

    // Opens gCnn on SQL Server or Oracle; the outcome is in gOpenFlag (true only when the
    // connection is open), gEsAdmin and gConnString. `OfreceReintento` false leaves out the
    // retry box (and so the dialog it shows again) when the provider refuses the connection.
    void OpenServerADODB(bool PideParametrosSQL, long lCursor, const QString& ConnString,
                         bool ValidaAdmin, bool MuestraError, bool OfreceReintento = true);
    // Closes and reopens gCnn after a lost connection; sets gOpenFlag.
    void ReintentaConectar();
    // Opens gCnn on a Jet file; CadenaID and CadenaPWD name the user and password keywords.
    void OpenLocalADODB(const QString& ConnString, const QString& CadenaID,
                        const QString& CadenaPWD);

    // Does a row with that key exist? `Lrcs`, when given, is left open on the first row.
    bool ExisteEnTablaST(const QString& Tabla, const QString& ValorBuscado, const QString& Campo,
                         ado::Recordset* Lrcs = nullptr, const vb::Variant& Tipodato = 8,
                         const QString& Condicion = {}, bool SoloLectura = true);
    bool ExisteEnTabla(const QString& Tabla, const QString& ValorBuscado, const QString& Campo,
                       ado::Recordset* Lrcs = nullptr, const vb::Variant& Tipodato = 8,
                       const QString& Condicion = {}, bool SoloLectura = true);
    // The text of `CampoDevuelto` in the first matching row; "" when none matches; Empty
    // when the connection is lost and not restored.
    vb::Variant DatosTabla(const QString& Tabla, const QString& ValorBuscado,
                           const QString& CampoDevuelto, const QString& Campo,
                           const vb::Variant& Tipodato = 8, const QString& Condicion = {},
                           bool UsaTrim = true, bool IgnoraError = false);

    // Classifiers of ADO data type codes.
    bool adodate(const vb::Variant& Qtype) const;
    QString ADOComilla(const vb::Variant& Qtype) const;
    bool ADOText(const vb::Variant& Qtype) const;
    bool ADONumeric(const vb::Variant& Qtype) const;
    bool ADOCurrency(const vb::Variant& Qtype) const;
    bool ADOBoolean(const vb::Variant& Qtype) const;

    void CierraRecordset(ado::Recordset& LrcsTemp);

    // Kept in the interface; they do nothing.
    void QConsulta(const vb::Variant& TB, const vb::Variant& rsp, const vb::Variant& cl1,
                   const vb::Variant& cl2, const vb::Variant& CmpDisplay,
                   const vb::Variant& SQLWHERE);
    void QGridConsulta(const vb::Variant& Sentencia, const vb::Variant& CampoDevuelto1,
                       const vb::Variant& gCnnString, const vb::Variant& CampoDevuelto2,
                       const vb::Variant& CampoDevuelto3);

    // Name helpers; each returns "" where the name has no such part.
    QString stSTF(QString& rsName, std::int16_t rnPart);
    QString AddBrackets(const QString& rObjName) const;
    QString StripConnect(const QString& rsTblName) const;
    QString StripBrackets(const QString& rsObjName) const;
    QString StripOwner(QString& rsTblName) const;
    QString StripFileName(const QString& rsFileName) const;

    // Runs a statement or script; errors stay in gCnn.errors() for the caller. `Lrcs`,
    // when given, receives the result. The caller's text gets the "@Admin_"/synonym rewrite.
    // `Lanzado`, when given, receives the run-time error the run raised (Number 0 when none),
    // which a provider may raise with an empty error list.
    void EjecutaConsultaSQL(QString& SentenciaSQL, long& RecordsAffected,
                            ado::Recordset* Lrcs = nullptr, vb::VbError* Lanzado = nullptr);
    // The same, for a text the caller does not keep; returns the rows affected.
    long EjecutaConsultaSQL(const QString& SentenciaSQL);
    // As EjecutaConsultaSQL, showing unexpected errors.
    void EjecutaConsultaRSQL(QString& SentenciaSQL, long& RecordsAffected,
                             ado::Recordset* Lrcs = nullptr);
    // Opens `Lrcs` on a query (on `Conexionactiva` when given); the caller's text gets the
    // synonym rewrite. Errors go to TratamientoErrores; a lost connection is repaired here.
    void AbrirRecordset(QString& SentenciaSQL, ado::Recordset& Lrcs,
                        ado::Connection* Conexionactiva = nullptr,
                        long CursorType = ado::adOpenForwardOnly,
                        long LockType = ado::adLockReadOnly, long Options = -1,
                        bool ConvOracle = true);
    void AbrirRecordset(const QString& SentenciaSQL, ado::Recordset& Lrcs,
                        ado::Connection* Conexionactiva = nullptr,
                        long CursorType = ado::adOpenForwardOnly,
                        long LockType = ado::adLockReadOnly, long Options = -1,
                        bool ConvOracle = true);

    // Reads a query as AbrirRecordset opens it on gCnn (the same rewriting, the same errors and
    // repair of a lost connection), its rows handed one at a time as the engine reads them and
    // none held: `campos` gets the columns before the first row, `fila` each row, `descritos`
    // the columns as the rows told of them once they are read. False when the query gave no
    // rows to read (the operator was told of an error); a retry reads them from the start.
    bool RecorreConsulta(QString& SentenciaSQL,
                         const std::function<void(const QList<ado::Column>&)>& campos,
                         const std::function<void(const ado::Row&)>& fila,
                         QList<ado::Column>& descritos);

    // SQL Server text rewritten for an Oracle connection; unchanged otherwise.
    QString ORACLE_Dicc(const QString& Valor);

    double BuscaUltimoCodigo(const QString& QueTabla, const QString& QueCampo,
                             const vb::Variant& Tipo, const QString& Condicion);

    QString pJETOLEDB40() const { return QStringLiteral("Microsoft.Jet.OLEDB.4.0"); }
    QString pJETOLEDB35() const { return QStringLiteral("Microsoft.Jet.OLEDB.3.51"); }
    QString pSQLOLEDB() const { return QStringLiteral("SQLOLEDB"); }

    // The SQL literal of a value: kind "@" a number with "." (Null 0), kind "'" quoted text
    // with apostrophes doubled (Null NULL), any other kind the value itself (Null NULL).
    vb::Variant SQLValue(const vb::Variant& Valor, const QString& Tipo);
    void AddField(const QString& Tabla, const QString& Campo, const QString& Tipo,
                  bool PermiteNulos, const std::optional<vb::Variant>& ValorDefault = {});
    bool ExisteTablaDB(const QString& Tabla);
    bool ExisteCampoDB(const QString& Tabla, const QString& Campo);
    bool VerCampoDB(const QString& Tabla, const QString& Campo, bool Agregar, const QString& Tipo,
                    bool PermiteNulos, const std::optional<vb::Variant>& ValorDefault = {});

    // Tables a user who is not an administrator sees through "SS_" synonyms.
    QString SS_TSinonimos(const QString& SQL);

    QString ArchivoErrores() const { return gLogErr; }
    void setArchivoErrores(const vb::Variant& valor);
    // The class's own error box: shows the error with the routine's name, appends a line to
    // the error log and returns the answer (0, with nothing shown, for error number 0).
    std::int16_t TratamientoErrores(const vb::VbError& Err,
                                    const std::optional<int>& Botones = std::nullopt,
                                    const std::optional<QString>& Rutina = std::nullopt);

private:
    // What a query's failure does: a lost connection is restored (or the program ends at the
    // operator's word); any other error goes to the error box, named AbrirRecordset.
    vb::ErrorHandler ErrorDeConsulta();
    // The text a query runs as: the synonyms, and Oracle's dialect where asked.
    void TextoDeConsulta(vb::Steps& step, QString& SentenciaSQL, bool ConvOracle, QString& texto);
    QString FiltraSentenciaOracle(QString& Sentencia);
    QString EjecutaScriptOracle(QString& Sentencia, long& RecordsAffected);

    void EjecutaTexto(QString& SentenciaSQL, long& RecordsAffected, ado::Recordset* Lrcs,
                      const vb::ErrorHandler& handler);
    QString ArmaCadenaConexion() const;
    bool MuestraDialogoAcceso();
    int ErrorDeConexion(const vb::VbError& e, bool MuestraError, bool OfreceReintento,
                        bool& cerrado3705);
    bool ConexionPerdida(const vb::VbError& e);
    QString motivoDelDriver();
    bool ExisteEnTablaComun(bool st, const QString& Tabla, const QString& ValorBuscado,
                            const QString& Campo, ado::Recordset* Lrcs,
                            const vb::Variant& Tipodato, const QString& Condicion,
                            bool SoloLectura);
    vb::Variant BuscaMaximoUnaVez(const QString& QueTabla, const QString& QueCampo,
                                  const vb::Variant& Tipo, QString* Condicion, bool reglaUsada);
};

// The program-wide instances, created on first use: the company database, and the
// statistics database on the same server.
DB_Dll& gDB();
DB_Dll& gDBEstadisticas();
