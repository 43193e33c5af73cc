#include "tests/fuzz/fuzz.h"

#include "platform/vb/app.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace zxfuzz {

void check(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "fuzz: property broken: %s\n", what);
    std::abort();
}

QString latin(const std::uint8_t* data, std::size_t size) {
    return QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

QString utf8(const std::uint8_t* data, std::size_t size) {
    return QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

QString folder() {
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/zentrik-fuzz-XXXXXX"));
    // Readers that look in the program folder look here too.
    vb::App().Path = dir.path();
    return dir.path();
}

QString writeFile(const QString& name, const QByteArray& bytes) {
    const QString path = folder() + u'/' + name;
    QFile f(path);
    check(f.open(QIODevice::WriteOnly | QIODevice::Truncate), "the fuzz folder is writable");
    f.write(bytes);
    return path;
}

namespace {
int argc = 1;
char name[] = "zentrik-fuzz";
char* argv[] = {name, nullptr};
}  // namespace

void ensureGuiApp() {
    if (QCoreApplication::instance()) return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QGuiApplication(argc, argv);
}

void ensureCoreApp() {
    if (QCoreApplication::instance()) return;
    new QCoreApplication(argc, argv);
}

}  // namespace zxfuzz
