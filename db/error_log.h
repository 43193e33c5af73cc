#pragma once

#include "platform/vb/datetime.h"

#include <QString>

// The line an answered error box appends to "KQERR.LOG", shared by the database class's box
// and the central error dialog, and the one way the line is appended.

// The answer word: "Reintentar", "Ignorar", "Abortar", "Cancelar", "Sí", "No"; "" for OK and
// any other answer.
QString answerWord(int respuesta);

// Date as MM-dd-yyyy, time as HH:mm:ss, then " Rutina: ", the routine text and " Mensaje ",
// the message (both trimmed of blanks), then " Respondió : " and the answer word.
QString errorLogLine(const vb::DateTime& now, const QString& rutinaTexto, const QString& mensaje,
                     int respuesta);

// Opens the log for appending, made when missing, and leaves it its owner's alone: one found
// readable by others is made private before anything is added. False when it cannot be
// opened or made private (nothing is then written to it).
bool openErrorLog(const QString& path);
// Appends the line (Windows-1252, CRLF) to the log opened as openErrorLog opens it.
bool appendErrorLogLine(const QString& path, const QString& line);
