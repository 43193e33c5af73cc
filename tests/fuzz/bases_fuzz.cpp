// The registered-connections file "BASES.TXT": any file reads as entries or is refused, and
// each entry is found again by its name.

#include "db/bases_txt.h"
#include "tests/fuzz/fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zxfuzz::ensureCoreApp();
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    zxfuzz::writeFile(QStringLiteral("BASES.TXT"), bytes);
    zxfuzz::reads([&] {
        const auto entries = bases::lee();
        zxfuzz::check(entries.has_value(), "a file that is there reads");
        for (const ConexionRegistrada& c : *entries)
            zxfuzz::check(bases::busca(c.Nombre).has_value(), "an entry is found by its name");
    });
    return 0;
}
