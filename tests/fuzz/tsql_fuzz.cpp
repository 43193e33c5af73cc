// The T-SQL reader of the embedded engine: the tokenizer gives its text back whole, a batch
// splits and translates, or is refused, and the lookups' one-SELECT check ends, for any text.

#include "platform/ado/tsql/statement.h"
#include "platform/ado/tsql/tokens.h"
#include "platform/ado/tsql/translator.h"
#include "tests/fuzz/fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = zxfuzz::utf8(data, size);
    zxfuzz::reads([&] {
        zxfuzz::check(tsql::join(tsql::tokenize(text)) == text,
                      "the tokens of a text join back into the text");
    });
    const tsql::Translator translator;
    zxfuzz::reads([&] {
        for (const tsql::Statement& s : tsql::splitBatch(text)) translator.translate(s.source);
    });
    zxfuzz::reads([&] { translator.translateBatch(text); });
    zxfuzz::reads([&] { tsql::isSingleRead(text); });
    return 0;
}
