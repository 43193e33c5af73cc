#pragma once

#include "send/dialogoenvio.h"

#include <QString>

// The WhatsApp mode of the send dialog: the message goes out as a link to the messaging
// service's web client, opened in the desktop's browser, with the attachment as a web link.
namespace send {

// The host of the messaging service's web client.
inline const QString kHostWhatsapp = QStringLiteral("web.whatsapp.com");

// The number as the link carries it: "+" and its digits only. A number written with its
// country code ("+", "00", or "54" before a whole national number) keeps it once, and "54"
// gets the mobile digit "9" when it lacks it; any other number gets "549" in front.
QString NumeroWhatsapp(const QString& numero);

// The link that opens the chat with `numero` and `texto` in the web client: path "/send",
// query keys "phone" and "text", each value percent-encoded; line ends of the text (CR LF,
// CR or LF) become one line feed.
QString LinkWhatsapp(const QString& numero, const QString& texto);

// The WhatsApp mode was chosen: the attachment goes up (named after the voucher, or after
// today's date), and the message becomes the subject and the link of what went up.
void PreparaWhatsapp(DialogoEnvio& dialogo);

// Sends the WhatsApp message: checks the number and the text, opens the link on the desktop
// and logs the send. The dialog stays open, with pSalir set.
void EnviarWhatsapp(DialogoEnvio& dialogo);

// Decodes a link's "%xx" escapes ("+" as a blank when `Force`) and turns "/" into "\";
// `Value` keeps that text, and the result is it with blanks as "_". Type mismatch (13) for a
// "%" not followed by two hexadecimal digits.
QString GetStringFile(QString& Value, bool Force);

}  // namespace send
