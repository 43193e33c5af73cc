#include "core/globals.h"

namespace ModGlobal {

std::int32_t gColorLetra = 0;
std::int32_t gColorFondo = 0xFFFFFF;
QString gSeccionIni;
vb::Variant gFlatToolbars;
QString gParametroAdicional;
QString gMenu;
QString gUsuarioLogeado;
QString gCaja;
std::int16_t gTimeOut = 0;
QString gConexionReporte;
std::int32_t gIdControlAcceso = 0;
std::int16_t gEstiloSkin = 0;
QString gTablaConfiguracion;
bool gMostrarStockenConsultas = false;
QString gTituloClientes;
QString gTituloProveedores;
QString gArchivoDocTareas;
bool gExigeClaveConsultaLikeArticulos = false;
bool gUsaConsultaLike = false;
QString gCantidadDecimales;
bool gConfidencialidad = false;
bool gUsaMultilesMonedas = false;
bool gUsaFacturaProforma = false;
bool gUsaCCosto = false;
bool gUsaStkStockUdKg = false;
QString gUNegocio;
QString gUnidadMedidaM3;
QString gUnidadMedidaBL;
QString gUnidadMedidaKG;
std::int16_t gPeriodo = 0;
bool gRazonSocialPorUneg = false;
bool gValidaCodigoBarra = false;
bool gModuloOrdenDeTrabajo = false;
bool gVModificaCPrecio = false;
bool gCModificaCPrecio = false;
bool gMaderera = false;
QString gMadTiras;
QString gMadP2;
QString gMadML;
QString gMadM2;
QString gMadHojas;
QString gMadMLP2;
QString gMadM2P2;
QString gMadMLM2;
QString gCuentaCtroDist;
vb::Currency gMaxDto;
vb::Currency gMaxDtoProforma;
bool gPideClaveStockNeg = false;
bool gPideClaveMarkUpBase = false;
bool gPideClaveLimiteCredito = false;
bool gBloqueoActivo = false;
bool gUtilizarFechaDia = false;
bool gAsignacionAutomaticaDeLoteING = false;
bool gAsignacionAutomaticaDeLoteINGOP = false;
std::int16_t gCondIvaEmpresa = 0;
QString gTopDefault;

}  // namespace ModGlobal
