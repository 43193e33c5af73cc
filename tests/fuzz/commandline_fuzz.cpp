// The suite's command line: any text reads, and values written in the form the sibling
// programs use read back as written.

#include "core/commandline.h"
#include "platform/vb/strings.h"
#include "tests/fuzz/fuzz.h"

#include <QStringList>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = zxfuzz::utf8(data, size);
    const QStringList keys{"@Server",   "@DbName", "@Usuario", "@Password", "@UsuarioLogeado",
                           "@Caja",     "@Menu",   "@ParametroAdicional"};
    zxfuzz::reads([&] {
        for (const QString& k : keys) core::commandLineValue(text, k, QStringLiteral("x"));
    });
    // Values as a sibling program writes them: no ";" inside, blanks around them dropped.
    const QStringList parts = text.split(QChar(0));
    QStringList expected;
    QString line;
    for (int i = 0; i < keys.size(); ++i) {
        QString v = i < parts.size() ? parts[i] : QString();
        v.remove(u';');
        expected << vb::Trim(v);
        line += keys[i] + u'=' + v + u';';
    }
    zxfuzz::reads([&] {
        for (int i = 0; i < keys.size(); ++i)
            zxfuzz::check(core::commandLineValue(line, keys[i]) == expected[i],
                          "a value written in the line reads back");
    });
    return 0;
}
