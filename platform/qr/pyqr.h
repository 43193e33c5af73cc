#pragma once

#include "platform/vb/variant.h"

#include <QString>
#include <QStringList>

namespace qr {

// The error the component raises when the data does not fit a QR code or the image cannot be
// written (E_FAIL).
constexpr long Fail = -2147467259;

// The thirteen values of the tax agency's electronic-voucher QR, in the order GenerarImagen
// takes them.
struct VoucherData {
    vb::Variant ver, fecha, cuit, ptoVta, tipoCmp, nroCmp, importe, moneda, ctz, tipoDocRec,
        nroDocRec, tipoCodAut, codAut;
};

// The voucher data as the JSON object the tax agency reads, keys in its order. Texts of digits
// become numbers; an empty one 0. The amount and the rate may come as fixed-width digits with
// implied decimals (2 and 6), as the voucher data writes them; a number, or a text with a
// decimal point, is taken as it is.
QString voucherJson(const VoucherData& data);
// The text the QR holds: the tax agency's address, "?p=" and the JSON in base64.
QString voucherUrl(const VoucherData& data);

// The QR component: names an image file and draws the tax agency's QR of a voucher into it.
// The files it named are removed when it goes away.
class PyQR {
public:
    PyQR() = default;
    ~PyQR();
    PyQR(const PyQR&) = delete;
    PyQR& operator=(const PyQR&) = delete;

    // A new file name in the temporary folder, with the extension given ("png" or "bmp"),
    // where the next GenerarImagen draws.
    QString crearArchivo(const QString& extension = QStringLiteral("png"));
    // Draws the QR of the thirteen values into the file of the last crearArchivo (naming one
    // first when there is none); returns the text the QR holds. Raises Fail.
    QString GenerarImagen(const vb::Variant& ver, const vb::Variant& fecha,
                          const vb::Variant& cuit, const vb::Variant& ptoVta,
                          const vb::Variant& tipoCmp, const vb::Variant& nroCmp,
                          const vb::Variant& importe, const vb::Variant& moneda,
                          const vb::Variant& ctz, const vb::Variant& tipoDocRec,
                          const vb::Variant& nroDocRec, const vb::Variant& tipoCodAut,
                          const vb::Variant& codAut);

private:
    QString archivo_;
    QStringList creados_;
};

}  // namespace qr
