#include "platform/vendrix/clsutil.h"

#include "platform/ui/operator.h"
#include "platform/vb/app.h"
#include "platform/vb/conversions.h"
#include "platform/vb/steps.h"
#include "platform/vb/strings.h"

#include <QByteArray>
#include <QDate>
#include <QRegularExpression>

#include <cmath>

namespace {

// Keys of the credential scrambling. Changing them makes every stored credential unreadable.
constexpr char kClave[] = "Vendrix2|ZX900pr|clsUtil";
constexpr unsigned char kSemilla = 0x5A;

// The byte stream that scrambles (and, run again, unscrambles) one text. Each byte also
// depends on the scrambled bytes before it, so equal characters do not look equal.
QByteArray mezcla(const QByteArray& datos, bool codificando) {
    QByteArray salida(datos.size(), '\0');
    const int largoClave = static_cast<int>(sizeof(kClave)) - 1;
    unsigned char estado = kSemilla;
    for (qsizetype i = 0; i < datos.size(); ++i) {
        const auto k = static_cast<unsigned char>(kClave[i % largoClave]) ^ estado;
        const auto entrada = static_cast<unsigned char>(datos[i]);
        const unsigned char resultado = entrada ^ k;
        salida[i] = static_cast<char>(resultado);
        const unsigned char mezclado = codificando ? resultado : entrada;
        estado = static_cast<unsigned char>(estado * 31 + mezclado + i);
    }
    return salida;
}

QByteArray sumaControl(const QByteArray& datos) {
    const quint16 suma = qChecksum(QByteArrayView(datos));
    QByteArray bytes;
    bytes.append(static_cast<char>(suma >> 8));
    bytes.append(static_cast<char>(suma & 0xFF));
    return bytes;
}

bool esBlanco(QChar c) {
    return c == u' ' || c == QChar(0);
}

}  // namespace

QString clsUtil::NuloAVacio(const vb::Variant& valor) const {
    if (valor.isNull() || valor.isEmpty()) return {};
    try {
        return vb::CStr(valor);
    } catch (const vb::VbError&) {
        return {};
    }
}

vb::Currency clsUtil::ValorNumerico(const vb::Variant& valor) const {
    if (valor.isString()) {
        QString t = valor.string();
        t.remove(u' ');
        if (t.isEmpty()) return {};
        const QString decimal = vb::locale().decimalPoint();
        if (decimal != QStringLiteral(".")) {
            if (t.contains(decimal) && t.contains(u'.')) {
                // The one that comes last is the decimal point; the other groups thousands.
                if (t.lastIndexOf(decimal) > t.lastIndexOf(u'.'))
                    t.remove(u'.');
                else
                    t.remove(decimal);
            }
            t.replace(decimal, QStringLiteral("."));
        } else {
            const QString grupo = vb::locale().groupSeparator();
            if (t.contains(grupo) && t.contains(u'.')) t.remove(grupo);
        }
        vb::Currency c;
        if (vb::Currency::parse(t, &c)) return c;
        // A number in another form ("1E+3"), or past the range of money, which is an overflow
        // rather than another amount.
        bool number = false;
        const double d = QLocale::c().toDouble(t, &number);
        return number && std::isfinite(d) ? vb::Currency::fromDouble(d) : vb::Currency();
    }
    // CCur of a number fails only past the range of money: an overflow, as for a text.
    if (valor.isNumber() || valor.isBoolean()) return vb::CCur(valor);
    return {};
}

std::int64_t clsUtil::ValorEntero(const vb::Variant& valor) const {
    return ValorNumerico(valor).scaled() / 10000;
}

QString clsUtil::AjustaTexto(const QString& texto, int n) const {
    if (n <= 0) return {};
    return texto.left(n).leftJustified(n, u' ');
}

QString clsUtil::Rellena(const QString& texto, int n) const {
    if (n < 0 || texto.size() >= n) return texto;
    return texto.leftJustified(n, u' ');
}

QString clsUtil::AlineaDerecha(const QString& texto, int n) const {
    if (n < 0 || texto.size() >= n) return texto;
    return texto.rightJustified(n, u' ');
}

QString clsUtil::RecortaFijo(const QString& texto) const {
    qsizetype fin = texto.size();
    while (fin > 0 && esBlanco(texto[fin - 1])) --fin;
    return texto.left(fin);
}

QString clsUtil::QuitaCaracter(const QString& texto, const QString& caracter,
                               const QString& reemplazo) const {
    if (caracter.isEmpty()) return texto;
    QString t = texto;
    return t.replace(caracter, reemplazo);
}

QString clsUtil::Reemplaza(const QString& texto, const QString& viejo,
                           const QString& nuevo) const {
    return vb::Replace(texto, viejo, nuevo);
}

QString clsUtil::ReemplazaTexto(const QString& texto, const QString& viejo,
                                const QString& nuevo) const {
    return vb::Replace(texto, viejo, nuevo, 1, -1, vb::Compare::Text);
}

int clsUtil::CuentaPalabras(const QString& texto) const {
    return static_cast<int>(
        texto.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts).size());
}

bool clsUtil::EstaEnLista(const QString& valor, const QStringList& lista) const {
    return lista.contains(valor, Qt::CaseSensitive);
}

QString clsUtil::LimpiaTexto(const QString& texto) const {
    QString limpio;
    limpio.reserve(texto.size());
    for (QChar c : texto) {
        const bool control = c.unicode() < 0x20 || c.unicode() == 0x7F;
        if (!control || c == u'\t' || c == u'\r' || c == u'\n') limpio += c;
    }
    return limpio;
}

QString clsUtil::TransformaTexto(const QString& texto) const {
    return texto;
}

QString clsUtil::BarraFinal(const QString& carpeta) const {
    if (carpeta.isEmpty()) return {};
    QString c = carpeta;
    c.replace(u'\\', u'/');
    while (c.endsWith(u'/')) c.chop(1);
    return c + u'/';
}

void clsUtil::PartesRuta(const QString& ruta, QString& carpeta, QString& nombre,
                         QString& extension, QString& archivo) const {
    QString r = ruta;
    r.replace(u'\\', u'/');
    const qsizetype barra = r.lastIndexOf(u'/');
    carpeta = r.left(barra + 1);
    archivo = r.mid(barra + 1);
    const qsizetype punto = archivo.lastIndexOf(u'.');
    nombre = punto < 0 ? archivo : archivo.left(punto);
    extension = punto < 0 ? QString() : archivo.mid(punto + 1);
}

QString clsUtil::FormulaValor(const vb::Variant& fecha) const {
    const QDate d = vb::CDate(fecha).date();
    return QStringLiteral("Date(%1,%2,%3)")
        .arg(d.year(), 4, 10, QLatin1Char('0'))
        .arg(d.month(), 2, 10, QLatin1Char('0'))
        .arg(d.day(), 2, 10, QLatin1Char('0'));
}

QString clsUtil::PideFecha(const QString& fecha) const {
    const QDate inicial =
        vb::IsDate(vb::Trim(fecha)) ? vb::CDate(vb::Trim(fecha)).date() : ui::clock().now().date();
    const auto elegida = ui::op().pickDate(inicial);
    if (!elegida) return {};
    return elegida->toString(QStringLiteral("dd/MM/yyyy"));
}

int clsUtil::MuestraError(const vb::VbError& error) const {
    const QString texto =
        QStringLiteral("Error %1\r\n%2").arg(error.Number).arg(error.Description);
    const QString titulo = error.Source.isEmpty() ? vb::App().Title : error.Source;
    return ui::op().msgBox(texto, vb::vbAbortRetryIgnore + vb::vbCritical, titulo);
}

QString clsUtil::Codifica(const QString& texto) const {
    if (texto.isEmpty()) return {};
    QByteArray datos = texto.toUtf8();
    datos += sumaControl(datos);
    return QString::fromLatin1(mezcla(datos, true).toHex().toUpper());
}

QString clsUtil::Decodifica(const QString& texto) const {
    static const QRegularExpression soloHex(QStringLiteral("^(?:[0-9A-F]{2}){3,}$"));
    if (!soloHex.match(texto).hasMatch()) return texto;
    const QByteArray datos = mezcla(QByteArray::fromHex(texto.toLatin1()), false);
    const QByteArray claro = datos.left(datos.size() - 2);
    if (sumaControl(claro) != datos.right(2)) return texto;
    return QString::fromUtf8(claro);
}

clsUtil& gUtil() {
    static clsUtil instancia;
    return instancia;
}
