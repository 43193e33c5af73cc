#include "core/launcher.h"

#include "core/errordialog.h"
#include "core/globals.h"
#include "db/db_dll.h"
#include "platform/shell/process.h"
#include "platform/ui/operator.h"
#include "platform/vb/app.h"
#include "platform/vb/steps.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clsutil.h"
#include "platform/vendrix/paths.h"

namespace ModGlobal {

QString LineaComandoHermano(const QString& Parametro) {
    return QStringLiteral(" ; @server=") + gDB().gServidor + QStringLiteral("; @dbname=") +
           gDB().gDBName + QStringLiteral("; @usuario=") + gDB().gUsuario +
           QStringLiteral("; @Password=") + gDB().gUserPassWord +
           QStringLiteral("; @ParametroAdicional=") + Parametro +
           QStringLiteral("; vendrix@ ; @UsuarioLogeado = ") + gUsuarioLogeado +
           QStringLiteral("; @Caja=") + gCaja + u';';
}

void MenuExes(const QString& Ejecutable, QString& Parametro, std::int32_t& IdTarea) {
    vb::Steps paso(manejaError(QStringLiteral("MenuExes")));
    QString linea, programa;
    IdTarea = 0;
    paso([&] {
        const int blanco = vb::InStr(Parametro, QStringLiteral(" "));
        if (blanco > 0) Parametro = vb::Mid(Parametro, blanco + 1);
    });
    paso([&] { linea = LineaComandoHermano(Parametro); });
    paso([&] {
        const bool conShell =
            vb::Left(Ejecutable, 6).compare(QLatin1String("SHELL:"), Qt::CaseInsensitive) == 0;
        const QString nombre = conShell ? vb::Mid(Ejecutable, 7) : Ejecutable;
        // A full path is used whole; a name is a program of the program folder.
        if (nombre.contains(u'\\') || nombre.contains(u'/'))
            programa = vendrix::findFileIgnoringCase(nombre);
        else
            programa = vendrix::programFile(nombre);
    });
    paso([&] {
        // The program gets its command line as one argument, never through a shell.
        IdTarea = static_cast<std::int32_t>(shell::startDetached(programa, {linea}));
        if (IdTarea == 0) vb::raise(vb::err::FileNotFound, vb::App().Title);
    });
    paso([&] {
        if (IdTarea == 0)
            ui::op().msgBox(QStringLiteral("Opcion no Implementada!\rComuniquese con su "
                                           "proveedor de sistemas"),
                            vb::vbCritical, QStringLiteral("Atención"));
    });
}

}  // namespace ModGlobal
