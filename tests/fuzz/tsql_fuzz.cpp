// The T-SQL reader of the embedded engine: the tokenizer gives its text back whole, and a
// batch splits and translates, or is refused, for any text.

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
    return 0;
}
