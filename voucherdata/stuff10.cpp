#include "voucherdata/stuff10.h"

namespace Stuff10 {

std::int16_t CodigoTipoComprobante(const QString&, const QString&, bool) {
    return 0;
}

std::int16_t CodigoTipoDocumento(const QString&) {
    return 0;
}

}  // namespace Stuff10
