#include "platform/mail/headers.h"
#include "tests/support/fixtures.h"

#include <QTimeZone>

#include <gtest/gtest.h>

namespace {

TEST(MailHeadersTest, ReadsOneAddressAndRefusesAnythingElse) {
    struct Case {
        const char* text;
        bool valid;
        const char* name;
        const char* address;
    };
    const Case cases[] = {
        {"cliente@dominio.com", true, "", "cliente@dominio.com"},
        {"  cliente@dominio.com  ", true, "", "cliente@dominio.com"},
        {"<cliente@dominio.com>", true, "", "cliente@dominio.com"},
        {"Juan Pérez <juan@dominio.com>", true, "Juan Pérez", "juan@dominio.com"},
        {"\"Pérez, Juan\" <juan@dominio.com>", true, "Pérez, Juan", "juan@dominio.com"},
        {"cliente@dominio.com\r\n", true, "", "cliente@dominio.com"},
        {"", false, "", ""},
        {"   ", false, "", ""},
        {"sin-arroba", false, "", ""},
        {"a@b@c.com", false, "", ""},
        {"a@x.com; b@y.com", false, "", ""},
        {"a@x.com, b@y.com", false, "", ""},
        {"uno dos@x.com", false, "", ""},
        {"@dominio.com", false, "", ""},
        {"cliente@", false, "", ""},
        {"Juan <juan@dominio.com", false, "", ""},
        {"a@x.com>\r\nRCPT TO:<b@y.com", false, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto parsed = mail::parseAddress(QString::fromUtf8(c.text));
        ASSERT_EQ(parsed.has_value(), c.valid);
        if (!c.valid) continue;
        EXPECT_EQ(parsed->name, QString::fromUtf8(c.name));
        EXPECT_EQ(parsed->address, QString::fromUtf8(c.address));
    }
}

TEST(MailHeadersTest, PlainTextStaysAsItIsAndOtherTextBecomesEncodedWords) {
    EXPECT_EQ(mail::headerText("Reporte de errores"), QByteArray("Reporte de errores"));
    EXPECT_EQ(mail::headerText(QString::fromUtf8("Año")), QByteArray("=?UTF-8?B?QcOxbw==?="));
    // Text that looks like an encoded word must not be read as one.
    EXPECT_EQ(mail::headerText("=?x?="), QByteArray("=?UTF-8?B?PT94Pz0=?="));
}

TEST(MailHeadersTest, LongTextIsFoldedIntoShortWordsThatNeverSplitACharacter) {
    // Two- and four-byte characters, so a careless cut would land inside one.
    const QString text = QString::fromUtf8("ñandú 😀 ").repeated(20);
    const QByteArray header = mail::headerText(text);
    QString decoded;
    for (const QByteArray& line : header.split('\n')) {
        const QByteArray word = line.trimmed();
        SCOPED_TRACE(word.toStdString());
        ASSERT_LE(word.size(), 75);
        ASSERT_TRUE(word.startsWith("=?UTF-8?B?") && word.endsWith("?="));
        const QByteArray bytes = QByteArray::fromBase64(word.mid(10, word.size() - 12));
        const QString piece = QString::fromUtf8(bytes);
        EXPECT_EQ(piece.toUtf8(), bytes);  // whole characters only
        decoded += piece;
    }
    EXPECT_EQ(decoded, text);
}

TEST(MailHeadersTest, AddressesQuoteOrEncodeTheirNames) {
    EXPECT_EQ(mail::headerAddress({"", "a@x.com"}), QByteArray("a@x.com"));
    EXPECT_EQ(mail::headerAddress({"Ventas, Central", "a@x.com"}),
              QByteArray("\"Ventas, Central\" <a@x.com>"));
    EXPECT_EQ(mail::headerAddress({QString::fromUtf8("Peña"), "a@x.com"}),
              QByteArray("=?UTF-8?B?UGXDsWE=?= <a@x.com>"));
}

TEST(MailHeadersTest, DatesCarryTheirOffsetFromUtc) {
    const QDate day(2024, 5, 7);
    const QTime time(14, 3, 9);
    EXPECT_EQ(mail::headerDate(QDateTime(day, time, QTimeZone("America/Argentina/Buenos_Aires"))),
              QByteArray("Tue, 07 May 2024 14:03:09 -0300"));
    EXPECT_EQ(mail::headerDate(QDateTime(day, time, QTimeZone::utc())),
              QByteArray("Tue, 07 May 2024 14:03:09 +0000"));
    EXPECT_EQ(mail::headerDate(QDateTime(day, time, QTimeZone("Asia/Kolkata"))),
              QByteArray("Tue, 07 May 2024 14:03:09 +0530"));
}

TEST(MailHeadersTest, AttachedFileNamesAreQuotedOrPercentEncoded) {
    EXPECT_EQ(mail::attachmentDisposition("reporte.pdf"),
              QByteArray("attachment; filename=\"reporte.pdf\""));
    EXPECT_EQ(mail::attachmentDisposition(QString::fromUtf8("Informe año.pdf")),
              QByteArray("attachment; filename*=UTF-8''Informe%20a%C3%B1o.pdf"));
    EXPECT_EQ(mail::attachmentType("application/pdf", "a\"b.pdf"),
              QByteArray("application/pdf; name=\"a\\\"b.pdf\""));
}

TEST(MailHeadersTest, BodiesGetCrlfLineEnds) {
    EXPECT_EQ(mail::crlfText("uno\ndos\r\ntres\rcuatro"),
              QByteArray("uno\r\ndos\r\ntres\r\ncuatro"));
}

}  // namespace
