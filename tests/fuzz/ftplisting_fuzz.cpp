// The FTP listing readers (machine format and LIST): any server answer reads as entries, and
// the entries go into a listing keyed by name, a duplicate being refused with its error.

#include "platform/inet/ftp.h"
#include "transfer/cdirlist.h"
#include "tests/fuzz/fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (const auto& entries : {inet::parseMachineListing(text), inet::parseListing(text, 2026)}) {
        cDirList list;
        for (const inet::FindData& e : entries) {
            zxfuzz::reads([&] {
                list.Add(static_cast<std::int32_t>(e.attributes), {}, {}, {},
                         static_cast<std::int32_t>(e.size), e.fileName);
            });
        }
    }
    return 0;
}
