#pragma once

#include "platform/vb/datetime.h"

#include <QString>

// The line an answered error box appends to "KQERR.LOG", shared by the database class's box
// and the central error dialog; append it with vb::appendTextLine (Windows-1252, CRLF).

// The answer word: "Reintentar", "Ignorar", "Abortar", "Cancelar", "Sí", "No"; "" for OK and
// any other answer.
QString answerWord(int respuesta);

// Date as MM-dd-yyyy, time as HH:mm:ss, then " Rutina: ", the routine text and " Mensaje ",
// the message (both trimmed of blanks), then " Respondió : " and the answer word.
QString errorLogLine(const vb::DateTime& now, const QString& rutinaTexto, const QString& mensaje,
                     int respuesta);
