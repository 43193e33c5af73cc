#include "report/ui/frmzentrik.h"

#include "core/errordialog.h"
#include "core/globals.h"
#include "core/startup.h"
#include "core/ui/formsetup.h"
#include "lookup/lib_clscons3.h"
#include "platform/skin/skinframework.h"
#include "platform/toolbar/tbarrep.h"
#include "platform/ui/keycodes.h"
#include "platform/ui/operator.h"
#include "platform/ui/screenfit.h"
#include "platform/vb/app.h"
#include "platform/vb/conversions.h"
#include "platform/vb/steps.h"
#include "platform/vb/strings.h"
#include "platform/vb/textfile.h"
#include "platform/vendrix/clscampos.h"
#include "platform/vendrix/clsreporte.h"
#include "platform/vendrix/clsutil.h"
#include "platform/vendrix/controlarray.h"
#include "report/envio.h"
#include "report/informe.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QVBoxLayout>

namespace {

constexpr int kEnter = 13;
constexpr std::int32_t kBlanco = 0xFFFFFF;
constexpr std::int32_t kNegro = 0;

struct Campo {
    int indice;
    const char* dataField;
    const char* tag;
    int largo;
    const char* etiqueta;
};

// Each frame holds one Desde/Hasta pair, in tab order.
struct Marco {
    const char* nombre;
    Campo desde;
    Campo hasta;
};

const Marco kMarcos[] = {
    {"Frame10",
     {4, "FechaDesde", "FECHA", 10, "Fecha Desde"},
     {5, "FechaHasta", "FECHA", 10, "Fecha Hasta"}},
    {"Frame1",
     {1, "UsuarioDesde", "TA_USUARIOS", 50, "Usuario Desde"},
     {0, "UsuarioHasta", "TA_USUARIOS", 50, "Usuario Hasta"}},
    {"Frame2", {3, "PcDesde", "", 50, "PC Desde"}, {2, "PcHasta", "", 50, "PC Hasta"}},
    {"Frame3", {6, "errorDesde", "", 50, "Error Desde"}, {7, "errorHasta", "", 50, "Error Hasta"}},
};

QColor colorWindows(std::int32_t valor) {
    return QColor(valor & 0xFF, (valor >> 8) & 0xFF, (valor >> 16) & 0xFF);
}

int codigoShift(Qt::KeyboardModifiers m) {
    return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) |
           (m & Qt::AltModifier ? 4 : 0);
}

int codigoBoton(Qt::MouseButton b) {
    switch (b) {
        case Qt::LeftButton:
            return 1;
        case Qt::RightButton:
            return 2;
        case Qt::MiddleButton:
            return 4;
        default:
            return 0;
    }
}

}  // namespace

frmZentrik::frmZentrik(const QString& lineaComando, QWidget* parent)
    : QDialog(parent), lineaComando_(lineaComando) {
    setObjectName(QStringLiteral("frmZentrik"));
    setWindowTitle(QStringLiteral("Informe de Errores"));
    // The start-up window is a main window: minimise and maximise like any program.
    setWindowFlags(Qt::Window);

    SkinFramework1 = new SkinFramework(this);
    SkinFramework1->setObjectName(QStringLiteral("SkinFramework1"));

    // Controls that scroll on a screen too small for them; the window itself never larger.
    auto* principal = new QVBoxLayout(ui::scrollingBody(*this));
    ui::keepWithinScreen(*this);
    TBarRep1 = new TBarRep(this);
    TBarRep1->setObjectName(QStringLiteral("TBarRep1"));
    principal->addWidget(TBarRep1);
    connect(TBarRep1, &TBarRep::ClickBoton, this, &frmZentrik::TBarRep1_ClickBoton);

    auto* marcos = new QGridLayout;
    principal->addLayout(marcos);
    for (int i = 0; i < 8; ++i) {
        txtfields.append(nullptr);
        Label1.append(nullptr);
    }
    QList<QLineEdit*> ordenTab;
    int posicion = 0;
    for (const Marco& m : kMarcos) {
        auto* marco = new QGroupBox(this);
        marco->setObjectName(QString::fromLatin1(m.nombre));
        auto* rejilla = new QGridLayout(marco);
        int fila = 0;
        for (const Campo& c : {m.desde, m.hasta}) {
            auto* etiqueta = new QLabel(QString::fromUtf8(c.etiqueta), marco);
            etiqueta->setObjectName(QStringLiteral("Label1"));
            etiqueta->setProperty("Index", c.indice);
            auto* caja = new QLineEdit(marco);
            caja->setObjectName(QStringLiteral("txtfields"));
            caja->setProperty("Index", c.indice);
            caja->setProperty("DataField", QString::fromLatin1(c.dataField));
            caja->setProperty("Tag", QString::fromLatin1(c.tag));
            caja->setMaxLength(c.largo);
            // A right click opens the field's lookup, not the editing menu.
            caja->setContextMenuPolicy(Qt::NoContextMenu);
            caja->installEventFilter(this);
            etiqueta->setBuddy(caja);
            rejilla->addWidget(etiqueta, fila, 0);
            rejilla->addWidget(caja, fila, 1);
            ++fila;
            txtfields[c.indice] = caja;
            Label1[c.indice] = etiqueta;
            ordenTab.append(caja);
        }
        marcos->addWidget(marco, posicion / 2, posicion % 2);
        ++posicion;
    }
    for (int i = 1; i < ordenTab.size(); ++i) setTabOrder(ordenTab[i - 1], ordenTab[i]);
    Frame10 = findChild<QGroupBox*>(QStringLiteral("Frame10"));
    Frame1 = findChild<QGroupBox*>(QStringLiteral("Frame1"));
    Frame2 = findChild<QGroupBox*>(QStringLiteral("Frame2"));
    Frame3 = findChild<QGroupBox*>(QStringLiteral("Frame3"));
    resize(620, sizeHint().height());
}

void frmZentrik::Form_Load() {
    vb::Steps paso(ModGlobal::manejaError(QStringLiteral("Form_Load")));
    paso([&] {
        QString conexion;
        ModGlobal::InicioConexion(false, lineaComando_, conexion, 3);
    });
    paso([&] { ModGlobal::CargaSkin(*this); });
    paso([&] { gUtil().PreparaFormulario(*this, 0); });
    paso([&] { ModGlobal::ConfiguraFormulario(*this); });
    paso([&] { TBarRep1->setHabilitaConsulta(false); });
    paso([&] { gUtil().RestauraFormulario(*this, QString()); });
}

void frmZentrik::Form_Unload(int& Cancel) {
    Q_UNUSED(Cancel);
    vb::Steps paso(vb::silentHandler());
    paso([&] { gUtil().GuardaFormulario(*this, QString()); });
    paso([&] { hide(); });
    vb::End(0);
}

void frmZentrik::reject() {
    // Escape does not close the start-up window; the close box and "CERRAR" do.
}

void frmZentrik::closeEvent(QCloseEvent* event) {
    int cancel = 0;
    Form_Unload(cancel);
    if (cancel != 0) event->ignore();
}

QLineEdit* frmZentrik::campo(const QString& dataField) const {
    const int indice = gCampos().Campo(*this, dataField);
    return indice < 0 ? nullptr : txtfields.value(indice);
}

void frmZentrik::colorea(QLineEdit& caja, std::int32_t fondo, std::int32_t letra) {
    caja.setProperty("BackColor", fondo);
    caja.setProperty("ForeColor", letra);
    // A widget's own sheet wins over the skin's.
    caja.setStyleSheet(QStringLiteral("QLineEdit { background-color: %1; color: %2; }")
                           .arg(colorWindows(fondo).name(), colorWindows(letra).name()));
}

void frmZentrik::txtfields_GotFocus(int Index) {
    QLineEdit* caja = txtfields.value(Index);
    if (!caja) return;
    IndiceCampo = static_cast<std::int16_t>(Index);
    TBarRep1->setHabilitaConsulta(!vb::Trim(caja->property("Tag").toString()).isEmpty());
    colorea(*caja, ModGlobal::gColorFondo, ModGlobal::gColorLetra);
    caja->setSelection(0, caja->text().size());
}

void frmZentrik::txtfields_LostFocus(int Index) {
    if (QLineEdit* caja = txtfields.value(Index)) colorea(*caja, kBlanco, kNegro);
}

void frmZentrik::txtfields_KeyDown(int Index, int& KeyCode, int Shift) {
    Q_UNUSED(Shift);
    QLineEdit* caja = txtfields.value(Index);
    if (!caja) return;
    if (KeyCode == kEnter) {
        ValidaCampo(*caja);
        if (!HayErrorCampo) gCampos().SiguienteControl(KeyCode, *caja);
    }
    TBarRep1->ProcesaTecla(KeyCode);
}

void frmZentrik::txtfields_KeyPress(int Index, int& KeyAscii) {
    if (QLineEdit* caja = txtfields.value(Index)) gCampos().FiltraTecla(*caja, KeyAscii);
}

void frmZentrik::txtfields_MouseDown(int Index, int Button, int Shift, float X, float Y) {
    Q_UNUSED(Shift);
    Q_UNUSED(X);
    Q_UNUSED(Y);
    IndiceCampo = static_cast<std::int16_t>(Index);
    if (Button == 2) Consultar();
}

void frmZentrik::ValidaCampo(QLineEdit& CampoTexto) {
    HayErrorCampo = false;
    const QString dataField = vendrix::dataField(CampoTexto);
    auto es = [&](const char* nombre) {
        return dataField.compare(QLatin1String(nombre), Qt::CaseInsensitive) == 0;
    };
    auto copiaSiVacio = [&](const char* hasta) {
        QLineEdit* destino = campo(QString::fromLatin1(hasta));
        if (destino && vb::Trim(destino->text()).isEmpty()) destino->setText(CampoTexto.text());
    };
    auto fechaValida = [&] {
        const QString texto = vb::Trim(CampoTexto.text());
        if (texto.isEmpty() || vb::parseDate(texto)) return true;
        HayErrorCampo = true;
        ui::op().msgBox(QStringLiteral("Debe ingresar un formato de fecha válido"), vb::vbCritical,
                        QStringLiteral("Atención"));
        return false;
    };
    if (es("UsuarioDesde")) {
        copiaSiVacio("UsuarioHasta");
    } else if (es("PcDesde")) {
        copiaSiVacio("PcHasta");
    } else if (es("ErrorDesde")) {
        copiaSiVacio("errorHasta");
    } else if (es("FechaDesde")) {
        if (fechaValida()) copiaSiVacio("FechaHasta");
    } else if (es("FechaHasta")) {
        fechaValida();
    }
}

void frmZentrik::Consultar() {
    QLineEdit* caja = txtfields.value(IndiceCampo);
    if (!caja) return;
    const QString tag = vb::Trim(caja->property("Tag").toString());
    if (tag.isEmpty()) return;
    QString resultado;
    vb::Steps paso(ModGlobal::manejaError(QStringLiteral("Consultar")));
    const bool consulto = paso([&] {
        if (tag.compare(QLatin1String("FECHA"), Qt::CaseInsensitive) == 0) {
            resultado = gUtil().PideFecha(caja->text());
        } else if (tag.compare(QLatin1String("TA_USUARIOS"), Qt::CaseInsensitive) == 0) {
            Lib_ClsCons3& consultas = gConsultas();
            consultas.CampoDevuelto = QStringLiteral("NOMBRE");
            consultas.ConsultaSearch(QStringLiteral("TA_USUARIOS"), nullptr, QString(), nullptr,
                                     nullptr, QString(), false, QString());
            resultado = gUtil().NuloAVacio(consultas.ValorDevuelto);
        }
    });
    if (!consulto) return;
    caja->setText(vb::Trim(resultado));
    int tecla = kEnter;
    txtfields_KeyDown(IndiceCampo, tecla, 0);
}

void frmZentrik::TBarRep1_ClickBoton(const QString& Boton) {
    const QString clave = Boton.toUpper();
    clsReporte& reporte = gReporte();
    if (clave == QLatin1String("MENSAJE")) {
        vb::Steps paso(ModGlobal::manejaError(QStringLiteral("TBarRep1_ClickBoton")));
        const bool listo = paso([&] {
            reporte.Destino = reporte.DestinoArchivo();
            QString nombre;
            QString extension = QStringLiteral(".RPT");
            ModGlobal::gArchivoInformeMail = report::NombreArchivoTemporal(nombre, extension);
            reporte.Propiedad(QStringLiteral("PrintFileName"), ModGlobal::gArchivoInformeMail);
            reporte.Propiedad(QStringLiteral("PrintFileType"), std::int16_t(7));
        });
        if (listo) GeneraInforme();
    } else if (clave == QLatin1String("PANTALLA")) {
        reporte.Destino = reporte.DestinoPantalla();
        GeneraInforme();
    } else if (clave == QLatin1String("IMPRESORA")) {
        reporte.Destino = reporte.DestinoImpresora();
        GeneraInforme();
    } else if (clave == QLatin1String("CERRAR")) {
        int cancel = 0;
        Form_Unload(cancel);
    } else if (clave == QLatin1String("CONSULTAR")) {
        Consultar();
    }
}

void frmZentrik::GeneraInforme() {
    auto texto = [&](const char* dataField) {
        const QLineEdit* caja = campo(QString::fromLatin1(dataField));
        return caja ? vb::Trim(caja->text()) : QString();
    };
    report::RangosInforme rangos;
    rangos.UsuarioDesde = texto("usuarioDesde");
    rangos.UsuarioHasta = texto("usuarioHasta");
    rangos.FechaDesde = texto("FechaDesde");
    rangos.FechaHasta = texto("FechaHasta");
    rangos.PcDesde = texto("PCDESDE");
    rangos.PcHasta = texto("PCHASTA");
    rangos.ErrorDesde = texto("ERRORDESDE");
    rangos.ErrorHasta = texto("ERRORHASTA");
    report::GeneraInforme(rangos, windowTitle());
}

bool frmZentrik::eventFilter(QObject* watched, QEvent* event) {
    auto* caja = qobject_cast<QLineEdit*>(watched);
    const int indice = caja ? vendrix::controlIndex(*caja) : -1;
    if (indice < 0) return QDialog::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::FocusIn:
            txtfields_GotFocus(indice);
            break;
        case QEvent::FocusOut:
            txtfields_LostFocus(indice);
            break;
        case QEvent::MouseButtonPress: {
            const auto* raton = static_cast<QMouseEvent*>(event);
            // The pressed field has the focus before its MouseDown, whichever the button.
            caja->setFocus(Qt::MouseFocusReason);
            txtfields_MouseDown(indice, codigoBoton(raton->button()),
                                codigoShift(raton->modifiers()), raton->position().x(),
                                raton->position().y());
            // The right button belongs to the lookup.
            return raton->button() == Qt::RightButton;
        }
        case QEvent::KeyPress: {
            const auto* tecla = static_cast<QKeyEvent*>(event);
            int codigo = ui::windowsKeyCode(tecla->key());
            const bool enter = codigo == kEnter;
            txtfields_KeyDown(indice, codigo, codigoShift(tecla->modifiers()));
            // Enter has done its work: the value was checked and the focus moved on.
            if (enter) return true;
            const QString letra = tecla->text();
            if (letra.size() != 1 || !letra.at(0).isPrint()) break;
            const QByteArray ansi = vb::toCp1252(letra);
            int ascii = static_cast<unsigned char>(ansi.at(0));
            const int tecleado = ascii;
            txtfields_KeyPress(indice, ascii);
            if (ascii == tecleado) break;
            if (ascii != 0) caja->insert(vb::fromCp1252(QByteArray(1, static_cast<char>(ascii))));
            return true;
        }
        default:
            break;
    }
    return QDialog::eventFilter(watched, event);
}
