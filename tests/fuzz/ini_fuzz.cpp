// The INI reader: any file reads; every section and key the file seems to hold is asked for,
// and no value holds a NUL byte.

#include "platform/vendrix/clsini.h"
#include "tests/fuzz/fuzz.h"

#include <QRegularExpression>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zxfuzz::ensureCoreApp();
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString path = zxfuzz::writeFile(QStringLiteral("FUZZ.INI"), bytes);
    QStringList sections{QStringLiteral("")}, keys{QStringLiteral("Servidor")};
    const QString text = zxfuzz::latin(data, size);
    static const QRegularExpression section(QStringLiteral("\\[([^\\]\\r\\n]*)\\]"));
    static const QRegularExpression key(QStringLiteral("^([^=\\r\\n]*)="),
                                        QRegularExpression::MultilineOption);
    for (auto m = section.globalMatch(text); m.hasNext() && sections.size() < 16;)
        sections << m.next().captured(1);
    for (auto m = key.globalMatch(text); m.hasNext() && keys.size() < 16;)
        keys << m.next().captured(1).trimmed();
    zxfuzz::reads([&] {
        for (const QString& s : sections) {
            for (const QString& k : keys) {
                zxfuzz::check(!gIni().LeeIni(path, s, k, QStringLiteral("def")).contains(QChar(0)),
                              "a value ends at a NUL byte");
            }
        }
    });
    return 0;
}
