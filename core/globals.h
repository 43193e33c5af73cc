#pragma once

#include "platform/vb/currency.h"
#include "platform/vb/variant.h"

#include <QString>

#include <cstdint>

// The program-wide settings: written at start-up (command line, INI file, configuration
// table) and read directly by every part of the suite.
namespace ModGlobal {

// Start-up and command line.
extern std::int32_t gColorLetra;  // focused-field colours (Windows colour numbers)
extern std::int32_t gColorFondo;
extern QString gSeccionIni;        // station identity: COMPUTER|USER, at most 50 characters
extern vb::Variant gFlatToolbars;  // toolbar style of the station
extern QString gParametroAdicional;
extern QString gMenu;
extern QString gUsuarioLogeado;
extern QString gCaja;
extern std::int16_t gTimeOut;          // command time-out in seconds
extern QString gConexionReporte;       // report logon text
extern std::int32_t gIdControlAcceso;  // ID of this start's access-log row
extern std::int16_t gEstiloSkin;

// The configuration load.
extern QString gTablaConfiguracion;
extern bool gMostrarStockenConsultas;
extern QString gTituloClientes;
extern QString gTituloProveedores;
extern QString gArchivoDocTareas;
extern bool gExigeClaveConsultaLikeArticulos;
extern bool gUsaConsultaLike;
extern QString gCantidadDecimales;
extern bool gConfidencialidad;
extern bool gUsaMultilesMonedas;
extern bool gUsaFacturaProforma;
extern bool gUsaCCosto;
extern bool gUsaStkStockUdKg;
extern QString gUNegocio;
extern QString gUnidadMedidaM3;
extern QString gUnidadMedidaBL;
extern QString gUnidadMedidaKG;
extern std::int16_t gPeriodo;
extern bool gRazonSocialPorUneg;
extern bool gValidaCodigoBarra;
extern bool gModuloOrdenDeTrabajo;
extern bool gVModificaCPrecio;
extern bool gCModificaCPrecio;
extern bool gMaderera;
extern QString gMadTiras;
extern QString gMadP2;
extern QString gMadML;
extern QString gMadM2;
extern QString gMadHojas;
extern QString gMadMLP2;
extern QString gMadM2P2;
extern QString gMadMLM2;
extern QString gCuentaCtroDist;
extern vb::Currency gMaxDto;
extern vb::Currency gMaxDtoProforma;
extern bool gPideClaveStockNeg;
extern bool gPideClaveMarkUpBase;
extern bool gPideClaveLimiteCredito;
extern bool gBloqueoActivo;
extern bool gUtilizarFechaDia;
extern bool gAsignacionAutomaticaDeLoteING;
extern bool gAsignacionAutomaticaDeLoteINGOP;
extern std::int16_t gCondIvaEmpresa;
extern QString gTopDefault;

}  // namespace ModGlobal
