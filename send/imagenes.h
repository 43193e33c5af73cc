#pragma once

#include "send/dialogoenvio.h"

#include <QImage>
#include <QString>

#include <optional>

// The picture of a WhatsApp message: kept under the program's picture folder, reduced to a
// thumbnail, uploaded, and its link added to the message.
namespace send {

// The program's picture folder, with its trailing separator.
QString CarpetaImagenes();

// Makes the thumbnail of the picture file `Tmp` named `ID`, uploads it and keeps its link in
// LinkDocumento; `Tmp` receives the thumbnail's path. A thumbnail that cannot be made is
// told ("Error al subir la imagen. Intente nuevamente."). The result is always Empty.
void GeneraThumb(DialogoEnvio& dialogo, QString& Tmp, const QString& ID);

// Shows the picture file in the dialog's picture box, or "No existe el archivo..." as its
// tool-tip when there is no such file. A file that is not a picture is told.
void AsignarFoto(DialogoEnvio& dialogo, const QString& Imagen);

// The picture pasted from the clipboard (none: the clipboard holds no picture) goes with the
// message: saved as a temporary picture, shown, made a thumbnail, uploaded and linked.
void PegaImagen(DialogoEnvio& dialogo, const std::optional<QImage>& portapapeles);

// The same for a picture file the operator chooses.
void BuscaImagen(DialogoEnvio& dialogo);

}  // namespace send
