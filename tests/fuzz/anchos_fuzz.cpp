// The column-width file "CONSULTASLEN.KQV": any file reads; the widths of every table it
// names apply, and a line written for a table reads back as written.

#include "lookup/anchos.h"
#include "tests/fuzz/fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zxfuzz::ensureCoreApp();
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString path = zxfuzz::writeFile(QStringLiteral("CONSULTASLEN.KQV"), bytes);
    zxfuzz::reads([&] {
        for (const anchos::Par& par : anchos::leePares(path)) {
            QString tabla = par.clave;
            QList<double> widths(6, 1000.0);
            anchos::LeerAnchosColumnas(path, tabla, widths);
        }
    });
    zxfuzz::reads([&] {
        const QString aux = zxfuzz::folder() + QStringLiteral("/CONSULTASLEN.AUX");
        const QList<double> widths{1440, 2880, 720};
        anchos::GrabarAnchosColumnas(path, aux, QStringLiteral("VT_FUZZ"), widths);
        QString tabla = QStringLiteral("VT_FUZZ");
        QList<double> back(3, 0.0);
        anchos::LeerAnchosColumnas(path, tabla, back);
        zxfuzz::check(back == widths, "the widths written for a table read back");
    });
    return 0;
}
