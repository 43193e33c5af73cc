#include "voucherdata/series_lotes.h"

#include "db/db_dll.h"
#include "platform/vb/steps.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clsutil.h"

namespace ModGlobal {

namespace {

vb::ErrorHandler cajaDeLaBase(const QString& rutina) {
    return [rutina](const vb::VbError& e) -> int {
        return gDB().TratamientoErrores(e, std::nullopt, rutina);
    };
}

}  // namespace

void Cuenta_Series_Y_Lotes(const QString& Lista, QStringList& Elementos) {
    vb::Steps paso(cajaDeLaBase(QStringLiteral("Cuenta_Series_Y_Lotes%")));
    QString s;
    int p = 0;
    paso([&] { Elementos = QStringList{QString()}; });
    paso([&] {
        s = vb::Trim(Lista);
        if (vb::Left(s, 1) == u"|") s = vb::Mid(s, 2);
    });
    paso([&] { p = vb::InStr(s, QStringLiteral("|"), vb::Compare::Text); });
    if (paso.left()) return;
    if (p == 0) {
        paso([&] {
            if (s.isEmpty()) return;
            Elementos.last() = vb::Trim(s);
            Elementos.append(QString());
        });
        return;
    }
    while (!paso.left()) {
        paso([&] {
            Elementos.last() = vb::Trim(vb::Left(s, p - 1));
            Elementos.append(QString());
        });
        paso([&] { s = vb::Mid(s, p + 1); });
        if (vb::Trim(s).isEmpty()) return;
        paso([&] {
            p = vb::InStr(s, QStringLiteral("|"), vb::Compare::Text);
            if (p == 0) p = static_cast<int>(s.size()) + 1;
        });
    }
}

QString Cuenta_Series_Lotes(QString& Lista1, QString& Lista2) {
    vb::Steps paso(cajaDeLaBase(QStringLiteral("Cuenta_Series_Lotes")));
    QStringList selectores{QString()};
    QStringList lotes{QString()};
    QString resultado;
    paso([&] { Lista1 = gUtil().QuitaCaracter(Lista1, QString(QChar(0xFF))); });
    paso([&] { Cuenta_Series_Y_Lotes(Lista2, selectores); });
    paso([&] { Cuenta_Series_Y_Lotes(Lista1, lotes); });
    paso([&] {
        if (Lista2.isEmpty() && !Lista1.isEmpty())
            selectores = QStringList(lotes.size(), QString());
    });
    paso([&] {
        for (qsizetype i = 0; i < lotes.size(); ++i) {
            if (i < selectores.size() && gUtil().ValorNumerico(selectores[i]) > vb::Currency())
                resultado += lotes[i] + u' ';
        }
    });
    return paso.left() ? QString() : resultado;
}

}  // namespace ModGlobal
