#pragma once

#include <QRectF>
#include <QSize>
#include <QString>

#include <cstdint>

// Pictures a user attaches to a message: copied into a folder of the program's and reduced to
// a bitmap thumbnail for upload; and the fit that scales a picture into a box.
namespace Rt_ImgThumbs {

// Copies `origen` to the program folder's `carpeta` (e.g. "IMAGENES\") as the trimmed
// `nombre` (with "_" and `indice` when it is not 0) and the origin's extension, unless it is
// already there, and saves its thumbnail, fitted into `maxAncho` by `maxAlto` pixels and
// never enlarged, as `carpeta` + "thumbs5/" + `nombre` (untrimmed) + ".bmp". Both folders
// are made when missing. `destino` receives the copy's name relative to the program folder.
// False only when the copy failed, which the operator is told; a picture that cannot be
// decoded gets no thumbnail and still gives True.
bool GeneraThumbnail(const QString& carpeta, const QString& origen, const QString& nombre,
                     std::int16_t indice, QString& destino, std::int16_t maxAncho,
                     std::int16_t maxAlto);

// A picture path given relative to the program folder made full: two characters or fewer
// give ""; a path with a "." after its first character names a file, any other a folder
// (ending in "/"). Absolute file paths come back unchanged.
QString RutaCompletaImagen(const QString& ruta);

bool ExisteCarpeta(const QString& carpeta);
// Makes one folder level; false when it could not be made.
bool CreaCarpeta(const QString& carpeta);

// The fit: the size reduced, the ratio kept through a percentage, until it is within the
// box (a side equal to its bound fits); never enlarged. Single-precision, as stored.
void AjustarProporcion(float ancho, float alto, float maxAncho, float maxAlto, float& outAncho,
                       float& outAlto);
// The fitted size in whole units, rounded to the nearest with ties to even.
QSize TamanoAjustado(double ancho, double alto, double maxAncho, double maxAlto);

// Where a picture of size `imagen` is painted in a box of size `caja` (both in the same
// unit): fitted as AjustarProporcion fits it, and centred.
QRectF RectanguloCentrado(const QSizeF& imagen, const QSizeF& caja);

}  // namespace Rt_ImgThumbs
