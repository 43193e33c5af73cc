#include "core/skins.h"

#include "core/globals.h"
#include "db/db_dll.h"
#include "platform/vb/conversions.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clsini.h"
#include "platform/vendrix/clssistema.h"

namespace core {

Skin skinFor(std::int16_t estilo) {
    switch (estilo) {
        case 1:
            return {QStringLiteral("Styles\\Vista.cjstyles"), {}};
        case 2:
            return {QStringLiteral("Styles\\WinXP.Luna.cjstyles"), {}};
        case 3:
            return {QStringLiteral("Styles\\WinXP.Royale.cjstyles"), {}};
        case 4:
            return {QStringLiteral("Styles\\iTunes"), QStringLiteral("Normalitunes.ini")};
        default:
            return {QStringLiteral("Styles\\Office2007.cjstyles"), {}};
    }
}

std::int16_t leeEstiloSkin() {
    const QString seccion = vb::UCase(gSistema().NombreUsuario()) + u'_' +
                            vb::UCase(gDB().gDBName) + QStringLiteral("Styles");
    ModGlobal::gEstiloSkin = vb::CInt(vb::Val(gIni().LeeIni(
        QStringLiteral("zx900pr.ini"), seccion, QStringLiteral("Styles"), QStringLiteral("4"))));
    return ModGlobal::gEstiloSkin;
}

}  // namespace core
