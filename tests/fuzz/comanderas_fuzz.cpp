// The kitchen printers' station file "Comanderas.cfg": any file is searched without fault, and
// a record read and written again keeps its bytes.

#include "voucherprint/comanderas.h"
#include "tests/fuzz/fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zxfuzz::ensureCoreApp();
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const vb::FixedRecord& formato = ModGlobal::RegistroComandera::Formato();
    zxfuzz::reads([&] {
        const QByteArray once = formato.encode(formato.decode(bytes));
        zxfuzz::check(once.size() == formato.size(), "a record is written at its length");
        zxfuzz::check(formato.encode(formato.decode(once)) == once,
                      "a record written reads back the same");
    });
    zxfuzz::writeFile(QStringLiteral("Comanderas.cfg"), bytes);
    zxfuzz::reads([&] {
        bool found = false;
        ModGlobal::LeeComanderas(found, QString());
        ModGlobal::LeeComanderas(found, QStringLiteral("COCINA"));
    });
    return 0;
}
