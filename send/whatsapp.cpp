#include "send/whatsapp.h"

#include "platform/shell/desktop.h"
#include "platform/ui/operator.h"
#include "platform/vb/steps.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clsutil.h"
#include "send/registro.h"
#include "send/subidaweb.h"

#include <QUrl>

namespace send {

QString NumeroWhatsapp(const QString& numero) {
    const QString escrito = vb::Trim(gUtil().LimpiaTexto(numero));
    // Only digits reach the link: parentheses, dots and blanks would make another number.
    QString n;
    for (QChar c : escrito)
        if (c >= u'0' && c <= u'9') n += c;
    bool conPais = escrito.startsWith(u'+');
    if (!conPais && n.startsWith(QStringLiteral("00"))) {
        n.remove(0, 2);
        conPais = true;
    }
    // An Argentine number is ten digits after the country code; with "54" in front of them it
    // was written with the code.
    constexpr int kNacional = 10;
    if (!conPais && n.startsWith(QStringLiteral("54")) && n.size() >= 2 + kNacional)
        conPais = true;
    if (n.startsWith(QStringLiteral("549"))) return u'+' + n;
    if (n.startsWith(QStringLiteral("54")) && conPais) return QStringLiteral("+549") + n.mid(2);
    if (conPais) return u'+' + n;
    return QStringLiteral("+549") + n;
}

QString LinkWhatsapp(const QString& numero, const QString& texto) {
    QString lineas = texto;
    lineas.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    // Every value is encoded whole: a "&", "#" or "+" of the text is part of the message.
    return QStringLiteral("https://") + kHostWhatsapp + QStringLiteral("/send?phone=") +
           QString::fromLatin1(QUrl::toPercentEncoding(numero)) + QStringLiteral("&text=") +
           QString::fromLatin1(QUrl::toPercentEncoding(lineas));
}

void PreparaWhatsapp(DialogoEnvio& d) {
    d.MuestraEspera(true);
    if (!vb::Trim(d.archAdjunto).isEmpty()) {
        const QString hoy = ui::clock().now().toString(QStringLiteral("yyyyMMdd"));
        QString nombre = hoy;
        QString ext = QStringLiteral("HTML");
        if (!d.TC.isEmpty()) {
            nombre = d.TC + d.IdComprobante;
            ext = QStringLiteral("PDF");
        } else if (vb::Holds(vb::Trim(d.archAdjunto), QStringLiteral(".pdf"))) {
            ext = QStringLiteral("PDF");
        } else if (d.archAdjunto.contains(u';')) {
            d.archAdjunto = d.archAdjunto.left(d.archAdjunto.indexOf(u';'));
        }
        uploadAdjuntoWeb(d, d.archAdjunto, nombre, ext, false);
    }
    d.MuestraEspera(false);
    QString texto = vb::Trim(d.Texto(QStringLiteral("Asunto")));
    if (!d.LinkDocumento.isEmpty())
        texto += QStringLiteral("\r\nLink del documento : ") + d.LinkDocumento;
    d.SetMensajeWhatsapp(texto);
}

void EnviarWhatsapp(DialogoEnvio& d) {
    const QString numero = d.ParaWhatsapp();
    const QString texto = d.MensajeWhatsapp();
    const auto aviso = [](const char* mensaje) {
        ui::op().msgBox(QString::fromUtf8(mensaje), vb::vbInformation, QStringLiteral("Aviso"));
    };
    if (vb::Trim(numero).isEmpty()) return aviso("Debe informar el número de contacto");
    if (vb::Trim(texto).isEmpty()) return aviso("Debe informar el mensaje a enviar");
    if (!shell::openWithAssociated(LinkWhatsapp(NumeroWhatsapp(numero), texto))) {
        // Nothing was opened, so nothing was sent: no row says otherwise.
        ui::op().msgBox(
            QStringLiteral("No se pudo abrir WhatsApp Web en el navegador predeterminado."),
            vb::vbExclamation, QStringLiteral("Aviso"));
        return;
    }
    RegistrarEnvio(d, false, QString(), QString(), true);
    d.pSalir = true;
}

QString GetStringFile(QString& Value, bool Force) {
    const Qt::CaseSensitivity sinCaso = Qt::CaseInsensitive;
    if (Force) Value.replace(u'+', u' ');
    Value.replace(QStringLiteral("%25"), QString(QChar(0)), sinCaso);
    while (Value.contains(u'%')) {
        const QString digitos = vb::Mid(Value, Value.indexOf(u'%') + 2, 2);
        const auto hexadecimal = [](QChar c) {
            return QStringLiteral("0123456789abcdefABCDEF").contains(c);
        };
        if (digitos.size() != 2 || !hexadecimal(digitos[0]) || !hexadecimal(digitos[1]))
            vb::raise(vb::err::TypeMismatch);
        const int codigo = digitos.toInt(nullptr, 16);
        Value.replace(u'%' + digitos, QString(QChar(codigo)), sinCaso);
    }
    Value.replace(QChar(0), u'%');
    Value.replace(u'/', u'\\');
    return QString(Value).replace(u' ', u'_');
}

}  // namespace send
