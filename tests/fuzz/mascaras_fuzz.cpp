// The lookup definitions "consultas.kqv": a record decodes and encodes back to its own bytes,
// and a file of records is searched without fault.

#include "lookup/mascaras.h"
#include "tests/fuzz/fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zxfuzz::ensureCoreApp();
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    zxfuzz::reads([&] {
        const QByteArray record = bytes.left(mascaras::kLargoRegistro);
        const MascaraConsulta m = mascaras::decode(record);
        const QByteArray again = mascaras::encode(m);
        zxfuzz::check(mascaras::encode(mascaras::decode(again)) == again,
                      "a record encoded reads back the same");
    });
    const QString path = zxfuzz::writeFile(QStringLiteral("consultas.kqv"), bytes);
    zxfuzz::reads([&] {
        for (qsizetype at = 0; at + 20 <= bytes.size() && at < 8 * mascaras::kLargoRegistro;
             at += mascaras::kLargoRegistro)
            mascaras::buscar(path, QString::fromLatin1(bytes.mid(at, 20)));
        mascaras::buscar(path, QStringLiteral("V_TA_VENDEDORES"));
    });
    return 0;
}
