#include "core/ui/formsetup.h"

#include "core/globals.h"
#include "core/skins.h"
#include "platform/skin/skinframework.h"
#include "platform/ui/operator.h"
#include "platform/vb/app.h"
#include "platform/vb/conversions.h"
#include "platform/vb/steps.h"
#include "platform/vb/vberror.h"
#include "platform/vendrix/clsutil.h"

#include <QFileInfo>
#include <QIcon>
#include <QVariant>
#include <QWidget>

static void initCoreUiResources() {
    Q_INIT_RESOURCE(core_ui);
}

namespace ModGlobal {

void CargaSkin(QWidget& Formulario) {
    auto* skin = Formulario.findChild<SkinFramework*>(QStringLiteral("SkinFramework1"));
    if (!skin) vb::raise(vb::err::ObjectVariableNotSet);
    const core::Skin elegido = core::skinFor(core::leeEstiloSkin());
    try {
        skin->LoadSkin(gUtil().BarraFinal(vb::App().Path) + elegido.archivo, elegido.ini);
    } catch (const vb::VbError&) {
        return;  // the program starts undressed rather than not at all
    }
    skin->ApplyWindow(Formulario);
    skin->setApplyOptions(skin->ApplyOptions() | 1);
}

void ConfiguraFormulario(QWidget& Formulario) {
    vb::Steps paso(vb::silentHandler());
    paso([&] {
        initCoreUiResources();
        const QIcon icono(QStringLiteral(":/ICONCORVASK"));
        if (!icono.availableSizes().isEmpty()) Formulario.setWindowIcon(icono);
    });
    paso([&] {
        if (Formulario.testAttribute(Qt::WA_SetWindowIcon)) return;
        const QIcon archivo(QStringLiteral("corvask.ico"));
        if (!archivo.availableSizes().isEmpty()) Formulario.setWindowIcon(archivo);
    });
    if (QString::fromLatin1(Formulario.metaObject()->className())
            .compare(QLatin1String("FRMMDI"), Qt::CaseInsensitive) == 0)
        return;
    for (const char* nombre : {"Trelvo1", "TBarRep1", "Util0011"}) {
        paso([&] {
            if (QObject* control = Formulario.findChild<QObject*>(QString::fromLatin1(nombre)))
                control->setProperty("StyleBar", vb::CDbl(gFlatToolbars));
        });
    }
    paso([&] { ui::op().doEvents(); });
}

}  // namespace ModGlobal
