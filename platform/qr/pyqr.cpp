#include "platform/qr/pyqr.h"

#include "platform/vb/safefile.h"
#include "platform/vb/vberror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryFile>

#include <qrencode.h>

#include <memory>

namespace qr {

namespace {

const QString kSource = QStringLiteral("PyQR");
const QString kAddress = QStringLiteral("https://www.afip.gob.ar/fe/qr/?p=");

// Pixels per module and the quiet zone around the code, in modules.
constexpr int kScale = 4;
constexpr int kMargin = 4;

QString jsonString(const QString& text) {
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        if (c == u'"' || c == u'\\') {
            out += u'\\';
            out += c;
        } else if (c.unicode() < 0x20) {
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        } else {
            out += c;
        }
    }
    return out + u'"';
}

// "-", whole digits and decimal digits as one JSON number, without leading zeros in the
// whole part or trailing zeros in the decimals.
QString plainNumber(const QString& sign, QString whole, QString decimals) {
    while (whole.size() > 1 && whole.startsWith(u'0')) whole.remove(0, 1);
    if (whole.isEmpty()) whole = QStringLiteral("0");
    while (decimals.endsWith(u'0')) decimals.chop(1);
    QString out = whole;
    if (!decimals.isEmpty()) out += u'.' + decimals;
    return out == u"0" || sign != u"-" ? out : u'-' + out;
}

// A value as a JSON number where it holds one (see voucherJson), else as a JSON string.
QString jsonValue(const vb::Variant& value, int impliedDecimals = 0) {
    if (value.isEmpty() || value.isNull()) return QStringLiteral("0");
    if (value.isBoolean()) return value.boolean() ? QStringLiteral("1") : QStringLiteral("0");
    switch (value.type()) {
        case vb::Variant::Type::Currency:
            return value.currency().toPlainString();
        case vb::Variant::Type::Double:
            return QString::number(value.number(), 'g', 15);
        case vb::Variant::Type::Integer:
        case vb::Variant::Type::Long:
        case vb::Variant::Type::LongLong:
            return QString::number(static_cast<qint64>(value.number()));
        default:
            break;
    }
    if (!value.isString()) return QStringLiteral("0");
    const QString text = value.string().trimmed();
    if (text.isEmpty()) return QStringLiteral("0");
    static const QRegularExpression digits(QStringLiteral("^([+-]?)([0-9]+)$"));
    static const QRegularExpression decimal(QStringLiteral("^([+-]?)([0-9]*)[.,]([0-9]+)$"));
    if (const auto m = digits.match(text); m.hasMatch()) {
        QString all = m.captured(2);
        if (impliedDecimals <= 0) return plainNumber(m.captured(1), all, {});
        all = all.rightJustified(impliedDecimals + 1, u'0');
        return plainNumber(m.captured(1), all.left(all.size() - impliedDecimals),
                           all.right(impliedDecimals));
    }
    if (const auto m = decimal.match(text); m.hasMatch())
        return plainNumber(m.captured(1), m.captured(2), m.captured(3));
    return jsonString(text);
}

QString textValue(const vb::Variant& value) {
    if (value.isString()) return jsonString(value.string());
    if (value.isEmpty() || value.isNull()) return jsonString(QString());
    return jsonString(jsonValue(value));
}

[[noreturn]] void fail(const QString& description) {
    throw vb::VbError(Fail, description, kSource);
}

QImage drawCode(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString(bytes.constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1), &QRcode_free);
    if (!code) fail(QStringLiteral("Los datos no caben en un código QR"));
    const int modules = code->width;
    const int side = (modules + 2 * kMargin) * kScale;
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(Qt::white);
    const QRgb black = qRgb(0, 0, 0);
    for (int y = 0; y < modules; ++y) {
        for (int x = 0; x < modules; ++x) {
            if (!(code->data[y * modules + x] & 1)) continue;
            const int left = (x + kMargin) * kScale;
            const int top = (y + kMargin) * kScale;
            for (int dy = 0; dy < kScale; ++dy)
                for (int dx = 0; dx < kScale; ++dx) image.setPixel(left + dx, top + dy, black);
        }
    }
    return image;
}

}  // namespace

QString voucherJson(const VoucherData& d) {
    const QList<std::pair<const char*, QString>> fields = {
        {"ver", jsonValue(d.ver)},
        {"fecha", textValue(d.fecha)},
        {"cuit", jsonValue(d.cuit)},
        {"ptoVta", jsonValue(d.ptoVta)},
        {"tipoCmp", jsonValue(d.tipoCmp)},
        {"nroCmp", jsonValue(d.nroCmp)},
        {"importe", jsonValue(d.importe, 2)},
        {"moneda", textValue(d.moneda)},
        {"ctz", jsonValue(d.ctz, 6)},
        {"tipoDocRec", jsonValue(d.tipoDocRec)},
        {"nroDocRec", jsonValue(d.nroDocRec)},
        {"tipoCodAut", textValue(d.tipoCodAut)},
        {"codAut", jsonValue(d.codAut)},
    };
    QStringList parts;
    for (const auto& [key, value] : fields)
        parts.append(u'"' + QString::fromLatin1(key) + QStringLiteral("\":") + value);
    return u'{' + parts.join(u',') + u'}';
}

QString voucherUrl(const VoucherData& data) {
    return kAddress + QString::fromLatin1(voucherJson(data).toUtf8().toBase64());
}

PyQR::~PyQR() {
    for (const QString& file : creados_) QFile::remove(file);
}

QString PyQR::crearArchivo(const QString& extension) {
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/zentrik-qr-XXXXXX.") + extension);
    file.setAutoRemove(false);
    if (!file.open()) fail(QStringLiteral("No se pudo crear el archivo de la imagen"));
    archivo_ = file.fileName();
    creados_.append(archivo_);
    return archivo_;
}

QString PyQR::GenerarImagen(const vb::Variant& ver, const vb::Variant& fecha,
                            const vb::Variant& cuit, const vb::Variant& ptoVta,
                            const vb::Variant& tipoCmp, const vb::Variant& nroCmp,
                            const vb::Variant& importe, const vb::Variant& moneda,
                            const vb::Variant& ctz, const vb::Variant& tipoDocRec,
                            const vb::Variant& nroDocRec, const vb::Variant& tipoCodAut,
                            const vb::Variant& codAut) {
    const QString url = voucherUrl({ver, fecha, cuit, ptoVta, tipoCmp, nroCmp, importe, moneda,
                                    ctz, tipoDocRec, nroDocRec, tipoCodAut, codAut});
    const QImage image = drawCode(url);
    if (archivo_.isEmpty()) crearArchivo();
    // The format from the file's extension, as QImage::save(path) takes it.
    vb::ReplacementFile out(archivo_);
    if (!out.open() ||
        !image.save(out.device(), QFileInfo(archivo_).suffix().toLatin1().constData()) ||
        !out.commit()) {
        fail(QStringLiteral("No se pudo grabar la imagen ") + archivo_);
    }
    return url;
}

}  // namespace qr
