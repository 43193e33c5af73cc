// The mail address and header builder: no text an operator or a contact file gives can break
// a header line, and an address written into a header reads back as the same address.

#include "platform/mail/headers.h"
#include "tests/fuzz/fuzz.h"

namespace {
bool oneHeaderLine(const QByteArray& value) {
    // A folded value continues with a blank after CRLF; a bare CR or LF would start a header.
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == '\n') return false;
        if (value[i] == '\r') {
            if (i + 2 >= value.size() || value[i + 1] != '\n' || value[i + 2] != ' ') return false;
            i += 2;
        }
    }
    return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = zxfuzz::utf8(data, size);
    zxfuzz::reads([&] {
        zxfuzz::check(oneHeaderLine(mail::headerText(text)), "a header text stays one header");
        zxfuzz::check(oneHeaderLine(mail::attachmentDisposition(text)),
                      "an attachment's name stays inside its header");
        zxfuzz::check(oneHeaderLine(mail::attachmentType(QStringLiteral("application/pdf"), text)),
                      "an attachment's type stays inside its header");
        if (const auto address = mail::parseAddress(text)) {
            const QByteArray header = mail::headerAddress(*address);
            zxfuzz::check(oneHeaderLine(header), "an address stays one header");
            const auto back = mail::parseAddress(QString::fromUtf8(header));
            zxfuzz::check(back && back->address == address->address,
                          "an address written into a header reads back");
        }
    });
    return 0;
}
