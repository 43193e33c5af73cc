#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

// The texts of an Internet message's headers, kept apart from the transport so they read and
// test on their own.
namespace mail {

// An address as written in a header: "Nombre <cuenta@dominio>" or a bare address.
struct Address {
    QString name;     // display name, may be empty
    QString address;  // cuenta@dominio
};

// A header value with every CR and LF taken out, so no value can start a header of its own.
QString withoutLineBreaks(const QString& value);

// Reads "cuenta@dominio", "<cuenta@dominio>" or "Nombre <cuenta@dominio>" (line breaks are
// removed first). Nothing when there is no single plausible address.
std::optional<Address> parseAddress(const QString& text);

// A free text for a header: ASCII as it is, anything else as UTF-8 encoded words (folded, none
// longer than 75 characters, never splitting a character).
QByteArray headerText(const QString& text);

// An address for From, Reply-To and To, with its display name quoted or encoded.
QByteArray headerAddress(const Address& address);

// The Date header's form: "Tue, 07 May 2024 14:03:00 -0300".
QByteArray headerDate(const QDateTime& when);

// The Content-Disposition of an attached file, its name quoted or, when not ASCII, given as
// percent-encoded UTF-8 parameter text.
QByteArray attachmentDisposition(const QString& fileName);

// The Content-Type of an attached file with its name as a parameter, for readers that look
// for the name there.
QByteArray attachmentType(const QString& mimeType, const QString& fileName);

// A text with every line ending made CRLF, as a message body needs.
QByteArray crlfText(const QString& text);

}  // namespace mail
