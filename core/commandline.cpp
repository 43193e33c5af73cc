#include "core/commandline.h"

#include "platform/ado/connectionstring.h"
#include "platform/vb/strings.h"

#include <QCoreApplication>
#include <QStringList>

namespace core {

QString commandLineValue(const QString& text, const QString& key, const QString& fallback) {
    const QStringList items = text.split(u';');
    for (const QString& raw : items) {
        const QString item = vb::LTrim(raw);
        if (!item.startsWith(u'@')) continue;
        qsizetype end = 1;
        while (end < item.size() && item[end] != u'=' && item[end] != u' ') ++end;
        if (item.left(end).compare(key, Qt::CaseInsensitive) != 0) continue;
        QString value = vb::LTrim(item.mid(end));
        if (value.startsWith(u'=')) value.remove(0, 1);
        return vb::Trim(value);
    }
    return fallback;
}

QStringList commandLineMissing(const QString& text, const QStringList& keys) {
    // A value no item can hold: items are cut at ";".
    const QString ausente = QStringLiteral(";");
    QStringList faltan;
    for (const QString& key : keys) {
        if (commandLineValue(text, key, ausente) == ausente) faltan << key;
    }
    return faltan;
}

QString programCommandLine() {
    QStringList args = QCoreApplication::arguments();
    if (!args.isEmpty()) args.removeFirst();
    return args.join(u' ');
}

}  // namespace core

namespace ModGlobal {

QString ExtraeServidor(const QString& Servidor) {
    if (ado::isEmbeddedServer(Servidor)) return Servidor;
    QString resultado = Servidor;
    const int barra = vb::InStr(resultado, QStringLiteral("/"));
    if (barra > 0) resultado = vb::Mid(resultado, barra + 1);
    const int dosPuntos = vb::InStr(resultado, QStringLiteral(":"));
    if (dosPuntos > 0) resultado = vb::Left(resultado, dosPuntos - 1);
    return resultado;
}

}  // namespace ModGlobal
