#include "transfer/listaftp.h"

#include "platform/vb/conversions.h"
#include "platform/vb/variant.h"

namespace transfer {

QString CadenaAtributos(const cDirItem& item) {
    const std::pair<bool, const char*> celdas[] = {
        {item.Archive, " A "},  {item.Compressed, " C "}, {item.Directory, " D "},
        {item.Hidden, " H "},   {item.Normal, " N "},     {item.Offline, " O "},
        {item.ReadOnly, " R "}, {item.System, " S "},     {item.Temporary, " T "},
    };
    QString texto;
    for (const auto& [puesto, letra] : celdas)
        texto += puesto ? QLatin1String(letra) : QLatin1String(" - ");
    return texto;
}

QList<FilaFTP> FilasDelListado(const cDirList& lista) {
    QList<FilaFTP> filas{{QStringLiteral(".."), 1, {}, {}, {}}};
    for (const cDirItem& item : lista) {
        if (item.Directory)
            filas.append({item.Filename, 1, QStringLiteral("< DIRECTORIO >"), {}, {}});
        else
            filas.append({item.Filename, 2, QString::number(item.FileSize),
                          vb::CStr(vb::Variant(item.LastWriteTime)), CadenaAtributos(item)});
    }
    return filas;
}

QString SegundosTranscurridos(const QDateTime& inicio, const QDateTime& fin) {
    return vb::Format(inicio.msecsTo(fin) / 1000.0, QStringLiteral("###,##0.00"));
}

}  // namespace transfer
