#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

// Failed database scripts: the transactional script runner and the error-log table AUX_ERR.
namespace ModGlobal {

// Appends one AUX_ERR row; never reports a failure. An empty `Proceso` becomes the running
// program's executable name (in the caller's variable too).
void GrabaError(const QString& SentenciaSQL, QString& Proceso, std::int32_t NroError,
                const QString& Descripcion);

// Runs the non-blank lines as one transaction. On failure the transaction is rolled back,
// an AUX_ERR row is written and, when `MostrarMensaje`, the errors are shown. Duplicate keys
// (2627) and reference failures (547) can be kept out of the message by the ignore flags.
// `SentenciaSQL` receives the whole text sent; `NroError` the first native error number.
void GActualizarDatoScript(const QStringList& Lineas, bool& HuboError, std::int32_t& NroError,
                           bool IgnoraClaveDuplicada, bool IgnoraReferencia, QString& SentenciaSQL,
                           QString& TextoError, bool MostrarMensaje);

}  // namespace ModGlobal
