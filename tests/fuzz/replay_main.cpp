// Replays stored fuzz inputs (seeds and every input that once found a fault) through a fuzz
// target in the ordinary test run, so a fault fixed once stays fixed.

#include "tests/fuzz/fuzz.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QStringList>

#include <algorithm>
#include <cstdio>

int main(int argc, char** argv) {
    QStringList files;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (QFileInfo(arg).isDir()) {
            QDirIterator it(arg, QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext()) files << it.next();
        } else {
            files << arg;
        }
    }
    std::sort(files.begin(), files.end());
    if (files.isEmpty()) {
        std::fprintf(stderr, "no inputs to replay\n");
        return 1;
    }
    for (const QString& path : files) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
            return 1;
        }
        const QByteArray bytes = f.readAll();
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                               static_cast<std::size_t>(bytes.size()));
    }
    std::printf("replayed %lld inputs\n", static_cast<long long>(files.size()));
    return 0;
}
