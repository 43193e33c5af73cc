#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

// What the send dialog uses of the subsystems above it; each installs its part at start-up.
namespace sendhooks {

// The timed message box: shows `Mensaje` under `Titulo` and returns when it closes, by
// itself after `Espera` seconds or by its button.
using AvisoTemporizado =
    std::function<void(const QString& Titulo, const QString& Mensaje, std::int16_t Espera)>;

// Installs it; returns the one it replaces.
AvisoTemporizado setAvisoTemporizado(AvisoTemporizado aviso);

// Shows the notice through the installed box; without one, as a plain message box.
void MuestraAviso(const QString& Titulo, const QString& Mensaje, std::int16_t Espera);

// The file-transfer and document services the dialog drives. Each is empty until the
// program installs it; the callers tell what they do without one.
struct Servicios {
    // The unattended FTP job: runs the job the parameter string describes; `hayError` ends
    // at 0 when a file of the upload list went up, else at -1.
    std::function<void(const QString& parametros, std::int16_t& hayError)> EjecutaFTP;

    // Copies a picture into the program folder's `carpeta` and saves its thumbnail, fitted
    // into the box, as `carpeta` + "thumbs5/" + `nombre` + ".bmp"; `destino` receives the
    // copy's name. False only when the copy failed (the operator was told).
    std::function<bool(const QString& carpeta, const QString& origen, const QString& nombre,
                       std::int16_t indice, QString& destino, std::int16_t maxAncho,
                       std::int16_t maxAlto)>
        GeneraThumbnail;

    // The size a picture of `ancho` by `alto` is painted at inside a box, never enlarged: the
    // fit of the thumbnails.
    std::function<QSize(double ancho, double alto, double maxAncho, double maxAlto)>
        TamanoAjustado;

    // Shows the picture file enlarged in the picture viewer, modally.
    std::function<void(const QString& pImagen)> MuestraImagen;

    // Rebuilds this station's voucher print work tables (the voucher data's build driver,
    // with its arguments).
    std::function<void(QString& TC, const QString& SucursalDesde, const QString& NumeroDesde,
                       const QString& LetraDesde, const QString& IdComplementoDesde,
                       std::int16_t LineasTitulo, const QString& SucursalHasta,
                       const QString& NumeroHasta, const QString& LetraHasta,
                       const QString& IdComplementoHasta, const QString& ListaID,
                       const QString& ListaIdComprobante, const QString& IdTarea, bool Agregar)>
        GeneraAuxiliarComprobantes;

    // Rebuilds this station's print rows of a receipt or payment order and puts its report
    // formulas into `Formulas`.
    std::function<void(const QString& TC, const QString& Sucursal, const QString& Numero,
                       const QString& Letra, const QString& Cuenta, QStringList& Formulas,
                       std::int32_t CopiasPorPagina, std::int32_t ItemsPorPagina)>
        GeneraAuxiliarRecibo_PagoCobranza;

    // Prints, previews or exports one voucher through the report printer.
    std::function<void(QString TC, QString IdComprobante, QString IdComplemento, QString Reporte,
                       QStringList& Orden, QString& FormulaSeleccion,
                       QStringList& FormulasAdicionales, std::int16_t& Destino,
                       bool& FormulaExterna, QString& Fecha, QString& SeleccionFormulario,
                       bool& EsContable, bool& UnaCopia)>
        ImprimirComprobante;
};

// The installed services.
Servicios& servicios();

}  // namespace sendhooks
