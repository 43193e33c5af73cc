#include "send/frmenviar.h"

#include "core/config.h"
#include "db/db_dll.h"
#include "platform/reportengine/picturereader.h"
#include "platform/ui/keycodes.h"
#include "platform/ui/operator.h"
#include "platform/ui/screenfit.h"
#include "platform/vb/app.h"
#include "platform/vb/steps.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clscampos.h"
#include "platform/vendrix/clsutil.h"
#include "platform/vendrix/controlarray.h"
#include "core/errordialog.h"
#include "send/adjuntos.h"
#include "send/emailaux.h"
#include "send/envio.h"
#include "send/hooks.h"
#include "send/imagenes.h"
#include "send/registro.h"
#include "send/subidaweb.h"
#include "send/verificaemail.h"
#include "send/whatsapp.h"

#include <QBoxLayout>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QPainter>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>

#include <cmath>

namespace {

// Sizes and places given in twips, the forms' unit (15 to a pixel on a 96 dpi screen).
constexpr int px(int twips) {
    return twips / 15;
}

constexpr int kF2 = 113;
constexpr int kF5 = 116;

QLineEdit* nuevoTexto(QWidget* padre, const QString& nombre) {
    auto* t = new QLineEdit(padre);
    t->setObjectName(nombre);
    return t;
}

QLabel* nuevaEtiqueta(QWidget* padre, const QString& nombre, const QString& texto) {
    auto* l = new QLabel(texto, padre);
    l->setObjectName(nombre);
    return l;
}

QPushButton* nuevoBoton(QWidget* padre, const QString& nombre, const QString& texto) {
    auto* b = new QPushButton(texto, padre);
    b->setObjectName(nombre);
    b->setAutoDefault(false);
    return b;
}

void enArreglo(QWidget* control, int indice, const QString& dataField) {
    control->setObjectName(QStringLiteral("txtfields"));
    control->setProperty("Index", indice);
    control->setProperty("DataField", dataField);
}

// The height of a text box that shows `lineas` lines of its text at once.
int altoDeLineas(const QPlainTextEdit& caja, int lineas) {
    const double texto =
        lineas * QFontMetricsF(caja.font()).lineSpacing() + 2 * caja.document()->documentMargin();
    return int(std::ceil(texto)) + 2 * caja.frameWidth();
}

QPointer<FrmEnviar>& instancia() {
    static QPointer<FrmEnviar> p;
    return p;
}

}  // namespace

FrmEnviar::FrmEnviar(QWidget* parent) : QDialog(parent) {
    creaControles();
    colocaControles();
    conectaControles();
    reiniciaControles();
}

void FrmEnviar::creaControles() {
    setObjectName(QStringLiteral("FrmEnviar"));
    setWindowTitle(QStringLiteral("Formulario Envio de eMail"));

    Frame1 = new QGroupBox(QStringLiteral("Método de envío"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    const char* modosTexto[] = {"Email", "Whatsapp"};
    for (int i = 0; i < 2; ++i) {
        auto* o = new QRadioButton(QString::fromLatin1(modosTexto[i]), Frame1);
        o->setObjectName(QStringLiteral("optMetodoEnvio"));
        o->setProperty("Index", i);
        optMetodoEnvio.append(o);
    }

    Frame5 = new QGroupBox(QStringLiteral("Datos de email"), this);
    Frame5->setObjectName(QStringLiteral("Frame5"));
    lblServer =
        nuevaEtiqueta(Frame5, QStringLiteral("lblServer"), QStringLiteral("Servidor SMTP"));
    txtServer = nuevoTexto(Frame5, QStringLiteral("txtServer"));
    Label1 = nuevaEtiqueta(Frame5, QStringLiteral("Label1"), QStringLiteral("SMTP"));
    lblFrom = nuevaEtiqueta(Frame5, QStringLiteral("lblFrom"), QStringLiteral(" De:"));
    lblTo = nuevaEtiqueta(Frame5, QStringLiteral("lblTo"), QStringLiteral("Para:"));
    CmdConsultar =
        nuevoBoton(Frame5, QStringLiteral("CmdConsultar"), QStringLiteral("[F5] Consultar"));
    lblSubject = nuevaEtiqueta(Frame5, QStringLiteral("lblSubject"), QStringLiteral("Asunto:"));

    const char* camposLinea[] = {"De", "Para", "Asunto"};
    for (int i = 0; i < 3; ++i) {
        auto* t = new QLineEdit(Frame5);
        enArreglo(t, i, QString::fromLatin1(camposLinea[i]));
        t->setMaxLength(150);
        txtfields.append(t);
    }

    Frame3 = new QGroupBox(QStringLiteral("Mensaje"), Frame5);
    Frame3->setObjectName(QStringLiteral("Frame3"));
    lblMsg = nuevaEtiqueta(Frame3, QStringLiteral("lblMsg"), QStringLiteral("Mensaje"));
    WebBrowser1 = new QTextBrowser(Frame3);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1->setOpenLinks(false);
    auto* texto = new QPlainTextEdit(Frame3);
    enArreglo(texto, 3, QStringLiteral("Mensaje"));
    texto->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    texto->setTabChangesFocus(true);
    txtfields.append(texto);

    lblAttach = nuevaEtiqueta(Frame5, QStringLiteral("lblAttach"), QStringLiteral("Adjuntos "));
    txtAttach = nuevoTexto(Frame5, QStringLiteral("txtAttach"));
    cmdBrowse = nuevoBoton(Frame5, QStringLiteral("cmdBrowse"), QStringLiteral("Agregar"));
    CmdAbrir = nuevoBoton(Frame5, QStringLiteral("CmdAbrir"), QStringLiteral("Abrir"));

    cmdSend = nuevoBoton(Frame5, QStringLiteral("cmdSend"), QStringLiteral("[F2] Enviar Email"));
    cmdExit = nuevoBoton(Frame5, QStringLiteral("cmdExit"), QStringLiteral("[ESC] Salir"));

    Frame4 = new QGroupBox(QStringLiteral("Estado"), this);
    Frame4->setObjectName(QStringLiteral("Frame4"));
    lstStatus = new QListWidget(Frame4);
    lstStatus->setObjectName(QStringLiteral("lstStatus"));
    lstStatus->setMaximumHeight(px(900));
    lblProgress = nuevaEtiqueta(Frame4, QStringLiteral("lblProgress"), {});

    // In the place of the e-mail frames; shown only in its own mode.
    frameWhatsapp = new QGroupBox(QStringLiteral("Datos de Whatsapp"), this);
    frameWhatsapp->setObjectName(QStringLiteral("frameWhatsapp"));
    txtParaWhatsapp = nuevoTexto(frameWhatsapp, QStringLiteral("txtParaWhatsapp"));
    txtMensajeWhatsapp = new QPlainTextEdit(frameWhatsapp);
    txtMensajeWhatsapp->setObjectName(QStringLiteral("txtMensajeWhatsapp"));
    cmdConsultarContacto = nuevoBoton(frameWhatsapp, QStringLiteral("cmdConsultarContacto"),
                                      QStringLiteral("[F5] Consultar"));
    cmdEnviarWhatsapp = nuevoBoton(frameWhatsapp, QStringLiteral("cmdEnviarWhatsapp"),
                                   QStringLiteral("[F2] Enviar Mensaje"));
    cmdSalir =
        nuevoBoton(frameWhatsapp, QStringLiteral("cmdSalir"), QStringLiteral("[ESC] Salir"));
    LblMailWSapp = nuevaEtiqueta(frameWhatsapp, QStringLiteral("LblMailWSapp"), {});

    // The message's picture.
    auto* ruta = new QLineEdit(frameWhatsapp);
    enArreglo(ruta, 74, QStringLiteral("RutaImagen"));
    ruta->setReadOnly(true);
    txtfields.append(ruta);
    cmdPegar =
        nuevoBoton(frameWhatsapp, QStringLiteral("cmdPegar"), QStringLiteral("Pegar imagen"));
    CmdBuscar = nuevoBoton(frameWhatsapp, QStringLiteral("CmdBuscar"), QStringLiteral("Buscar"));
    cmdAbrirImg =
        nuevoBoton(frameWhatsapp, QStringLiteral("cmdAbrirImg"), QStringLiteral("Abrir"));
    PicLogo = nuevaEtiqueta(frameWhatsapp, QStringLiteral("PicLogo"), {});
    PicLogo->setFixedSize(px(2400), px(1800));
    PicLogo->setFrameShape(QFrame::Box);
    imglogo = nuevaEtiqueta(frameWhatsapp, QStringLiteral("imglogo"), {});
    imglogo->setVisible(false);
    Label2 = nuevaEtiqueta(frameWhatsapp, QStringLiteral("Label2"),
                           QStringLiteral("Si lo desea, puede pegar una imagen."));
    Label5 = nuevaEtiqueta(
        frameWhatsapp, QStringLiteral("Label5"),
        QStringLiteral("Al pegar o buscar una imagen, se adjuntara automáticamente al mensaje."));

    frmEspera = new QFrame(this);
    frmEspera->setObjectName(QStringLiteral("frmEspera"));
    frmEspera->setFrameShape(QFrame::Box);
    Label4 =
        nuevaEtiqueta(frmEspera, QStringLiteral("Label4"), QStringLiteral("Aguarde por favor"));
    Label3 =
        nuevaEtiqueta(frmEspera, QStringLiteral("Label3"), QStringLiteral("SUBIENDO ARCHIVO"));
    Label6 = nuevaEtiqueta(
        frmEspera, QStringLiteral("Label6"),
        QStringLiteral("Al enviar mensaje, el sistema pedirá que tenga abierto WhatsApp Web"));
    // Hides the frames under it while a file goes up.
    frmEspera->setAutoFillBackground(true);
}

void FrmEnviar::colocaControles() {
    auto* modos = new QHBoxLayout(Frame1);
    for (QRadioButton* o : optMetodoEnvio) modos->addWidget(o);
    modos->addStretch();

    auto* mensaje = new QVBoxLayout(Frame3);
    mensaje->addWidget(lblMsg);
    mensaje->addWidget(WebBrowser1);
    mensaje->addWidget(txtfields[3]);

    auto* datos = new QGridLayout(Frame5);
    datos->addWidget(lblServer, 0, 0);
    datos->addWidget(txtServer, 0, 1);
    datos->addWidget(Label1, 0, 2);
    datos->addWidget(lblFrom, 1, 0);
    datos->addWidget(txtfields[0], 1, 1, 1, 3);
    datos->addWidget(lblTo, 2, 0);
    datos->addWidget(txtfields[1], 2, 1, 1, 2);
    datos->addWidget(CmdConsultar, 2, 3);
    datos->addWidget(lblSubject, 3, 0);
    datos->addWidget(txtfields[2], 3, 1, 1, 3);
    datos->addWidget(Frame3, 4, 0, 1, 4);
    datos->addWidget(lblAttach, 5, 0);
    datos->addWidget(txtAttach, 5, 1);
    datos->addWidget(cmdBrowse, 5, 2);
    datos->addWidget(CmdAbrir, 5, 3);
    auto* botones = new QHBoxLayout;
    botones->addStretch();
    botones->addWidget(cmdSend);
    botones->addWidget(cmdExit);
    datos->addLayout(botones, 8, 0, 1, 4);
    datos->setColumnStretch(1, 1);
    datos->setRowStretch(4, 1);

    auto* estado = new QVBoxLayout(Frame4);
    estado->addWidget(lstStatus);
    estado->addWidget(lblProgress);

    auto* whatsapp = new QGridLayout(frameWhatsapp);
    whatsapp->addWidget(txtParaWhatsapp, 0, 0);
    whatsapp->addWidget(cmdConsultarContacto, 0, 1);
    whatsapp->addWidget(txtMensajeWhatsapp, 1, 0, 1, 2);
    whatsapp->addWidget(LblMailWSapp, 2, 0, 1, 2);
    controlesImagen_ = new QGridLayout;
    controlesImagen_->addWidget(Label2, 0, 0, 1, 4);
    controlesImagen_->addWidget(txtfields[4], 1, 0, 1, 4);
    controlesImagen_->addWidget(cmdPegar, 2, 0);
    controlesImagen_->addWidget(CmdBuscar, 2, 1);
    controlesImagen_->addWidget(cmdAbrirImg, 2, 2);
    controlesImagen_->addWidget(Label5, 3, 0, 1, 4);
    controlesImagen_->setColumnStretch(3, 1);
    imagen_ = new QBoxLayout(QBoxLayout::LeftToRight);
    imagen_->addLayout(controlesImagen_, 1);
    imagen_->addWidget(PicLogo, 0, Qt::AlignLeft);
    whatsapp->addLayout(imagen_, 3, 0, 1, 2);
    auto* botonesWhatsapp = new QHBoxLayout;
    botonesWhatsapp->addStretch();
    botonesWhatsapp->addWidget(cmdEnviarWhatsapp);
    botonesWhatsapp->addWidget(cmdSalir);
    whatsapp->addLayout(botonesWhatsapp, 4, 0, 1, 2);
    whatsapp->setColumnStretch(0, 1);

    // The frames scroll when the screen leaves the dialog less room than they need, so that
    // no control is ever out of reach.
    cuerpo_ = ui::scrollingBody(*this);
    auto* principal = new QVBoxLayout(cuerpo_);
    ui::keepWithinScreen(*this);
    principal->addWidget(Frame1);
    principal->addWidget(frameWhatsapp, 1);
    principal->addWidget(Frame5, 1);
    principal->addWidget(Frame4);

    auto* espera = new QVBoxLayout(frmEspera);
    espera->addWidget(Label4);
    espera->addWidget(Label3);
    espera->addWidget(Label6);
    // Over the frames, not under the body that holds them.
    frmEspera->raise();

    resize(px(10200), px(10635));
}

void FrmEnviar::conectaControles() {
    for (QRadioButton* o : optMetodoEnvio)
        connect(o, &QRadioButton::clicked, this,
                [this, o] { optMetodoEnvio_Click(o->property("Index").toInt()); });
    const std::pair<QPushButton*, void (FrmEnviar::*)()> eventos[] = {
        {cmdSend, &FrmEnviar::cmdSend_Click},
        {cmdExit, &FrmEnviar::cmdExit_Click},
        {CmdConsultar, &FrmEnviar::CmdConsultar_Click},
        {cmdBrowse, &FrmEnviar::cmdBrowse_Click},
        {CmdAbrir, &FrmEnviar::CmdAbrir_Click},
        {cmdEnviarWhatsapp, &FrmEnviar::cmdEnviarWhatsapp_Click},
        {cmdSalir, &FrmEnviar::cmdSalir_Click},
        {cmdConsultarContacto, &FrmEnviar::cmdConsultarContacto_Click},
        {cmdPegar, &FrmEnviar::cmdPegar_Click},
        {CmdBuscar, &FrmEnviar::CmdBuscar_Click},
        {cmdAbrirImg, &FrmEnviar::cmdAbrirImg_Click},
    };
    for (const auto& [boton, manejador] : eventos)
        connect(boton, &QPushButton::clicked, this, [this, m = manejador] { (this->*m)(); });

    // The form sees keys before its controls.
    installEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
}

FrmEnviar::~FrmEnviar() = default;

FrmEnviar& FrmEnviar::Default() {
    QPointer<FrmEnviar>& p = instancia();
    if (!p) {
        p = new FrmEnviar;
        // Widgets must go before the application object does.
        qAddPostRoutine([] { delete instancia().data(); });
    }
    return *p;
}

void FrmEnviar::reiniciaControles() {
    optMetodoEnvio[0]->setChecked(true);
    setWindowTitle(QStringLiteral("Formulario Envio de eMail"));
    Frame5->setVisible(true);
    Frame3->setVisible(true);
    Frame4->setVisible(true);
    imglogo->clear();
    imglogo->setToolTip(QString());
    PicLogo->clear();
    PicLogo->setToolTip(QString());
    txtServer->clear();
    for (QWidget* w : txtfields) {
        if (auto* l = qobject_cast<QLineEdit*>(w)) l->clear();
        if (auto* t = qobject_cast<QPlainTextEdit*>(w)) t->clear();
    }
    txtAttach->clear();
    WebBrowser1->clear();
    WebBrowser1->setVisible(false);
    altoDelMensaje(false);
    lstStatus->clear();
    lblProgress->clear();
    cmdSend->setEnabled(true);
    txtParaWhatsapp->clear();
    txtMensajeWhatsapp->clear();
    LblMailWSapp->clear();
    frameWhatsapp->setVisible(false);
    frmEspera->setVisible(false);
}

QWidget* FrmEnviar::campo(const QString& dataField) const {
    int indice = -1;
    if (!gCampos().Campo(dataField, txtfields, indice)) return nullptr;
    return vendrix::controlElement(*this, QStringLiteral("txtfields"), indice);
}

QString FrmEnviar::Texto(const QString& dataField) const {
    QWidget* w = campo(dataField);
    if (auto* l = qobject_cast<QLineEdit*>(w)) return l->text();
    if (auto* t = qobject_cast<QPlainTextEdit*>(w)) {
        // A multi-line box holds its lines as the suite stores them: CR LF between lines.
        QString texto = t->toPlainText();
        return texto.replace(u'\n', QStringLiteral("\r\n"));
    }
    return {};
}

void FrmEnviar::SetTexto(const QString& dataField, const QString& texto) {
    QWidget* w = campo(dataField);
    if (auto* l = qobject_cast<QLineEdit*>(w)) l->setText(texto);
    if (auto* t = qobject_cast<QPlainTextEdit*>(w)) {
        QString lineas = texto;
        lineas.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
        t->setPlainText(lineas);
    }
}

QString FrmEnviar::Adjuntos() const {
    return txtAttach->text();
}

QString FrmEnviar::ParaWhatsapp() const {
    return txtParaWhatsapp->text();
}

QString FrmEnviar::MensajeWhatsapp() const {
    QString texto = txtMensajeWhatsapp->toPlainText();
    return texto.replace(u'\n', QStringLiteral("\r\n"));
}

void FrmEnviar::SetAdjuntos(const QString& texto) {
    txtAttach->setText(texto);
}

void FrmEnviar::SetParaWhatsapp(const QString& numero) {
    txtParaWhatsapp->setText(numero);
}

void FrmEnviar::SetMensajeWhatsapp(const QString& texto) {
    QString lineas = texto;
    lineas.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    txtMensajeWhatsapp->setPlainText(lineas);
}

void FrmEnviar::SetEtiquetaWhatsapp(const QString& texto) {
    LblMailWSapp->setText(texto);
}

void FrmEnviar::MuestraEspera(bool visible) {
    // As wide as its texts on one line each; within the dialog, the texts taking more lines,
    // where the dialog is narrower.
    const int sitio = std::max(0, width() - 2 * frmEspera->x());
    Label6->setWordWrap(false);
    if (frmEspera->sizeHint().width() <= sitio) {
        frmEspera->resize(frmEspera->sizeHint());
    } else {
        Label6->setWordWrap(true);
        frmEspera->resize(sitio, frmEspera->heightForWidth(sitio));
    }
    frmEspera->setVisible(visible);
    if (visible) frmEspera->raise();
    frmEspera->repaint();
}

void FrmEnviar::MuestraImagen(const QImage& imagen) {
    imglogo->setPixmap(QPixmap::fromImage(imagen));
    Escalar_Imagen(imagen, PicLogo);
    imglogo->repaint();
}

QImage FrmEnviar::Imagen() const {
    return imglogo->pixmap().toImage();
}

void FrmEnviar::SetDescripcionImagen(const QString& texto) {
    imglogo->setToolTip(texto);
    PicLogo->setToolTip(texto);
}

void FrmEnviar::VistaPrevia(const QString& pagina) {
    if (pagina.isEmpty()) {
        WebBrowser1->setVisible(false);
        altoDelMensaje(false);
        return;
    }
    WebBrowser1->setVisible(true);
    WebBrowser1->setSource(QUrl::fromUserInput(pagina, vb::App().Path));
    altoDelMensaje(true);
    repaint();
}

void FrmEnviar::altoDelMensaje(bool conPagina) {
    // 1260 twips under a previewed page; otherwise as tall as the room the dialog leaves, up
    // to the form's 5460 twips, and never under five lines: on a small screen the dialog
    // scrolls instead.
    auto* mensaje = static_cast<QPlainTextEdit*>(campo(QStringLiteral("Mensaje")));
    mensaje->setMinimumHeight(conPagina ? px(1260) : altoDeLineas(*mensaje, 5));
    mensaje->setMaximumHeight(px(conPagina ? 1260 : 5460));
    txtMensajeWhatsapp->setMinimumHeight(altoDeLineas(*txtMensajeWhatsapp, 5));
}

void FrmEnviar::acomodaImagen() {
    // Beside its texts and buttons where the dialog has room for both, under them where it has
    // not: the dialog never scrolls sideways for the picture.
    if (frameWhatsapp->isHidden()) return;
    if (imagen_->direction() == QBoxLayout::LeftToRight)
        anchoImagenAlLado_ = cuerpo_->minimumSizeHint().width();
    const auto sentido = cuerpo_->parentWidget()->width() >= anchoImagenAlLado_
                             ? QBoxLayout::LeftToRight
                             : QBoxLayout::TopToBottom;
    if (imagen_->direction() == sentido) return;
    imagen_->setDirection(sentido);
    // Under the picture's buttons the notice takes as many lines as the width leaves it.
    Label5->setWordWrap(sentido == QBoxLayout::TopToBottom);
}

void FrmEnviar::altoDelFormulario() {
    // The form's height, 10635 twips; the window is kept within the screen's free area with
    // its frame.
    resize(width(), px(10635));
}

void FrmEnviar::setVisible(bool visible) {
    if (visible && !isVisible()) altoDelFormulario();
    QDialog::setVisible(visible);
}

void FrmEnviar::MuestraSinEsperar() {
    show();
    raise();
}

void FrmEnviar::EsperaEventos() {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void FrmEnviar::HabilitaEnvio(bool habilitado) {
    cmdSend->setEnabled(habilitado);
}

void FrmEnviar::LimpiaEstado() {
    lstStatus->clear();
}

void FrmEnviar::LimpiaProgreso() {
    lblProgress->clear();
}

void FrmEnviar::Oculta() {
    // Hiding ends the caller's modal show; the dialog stays loaded.
    hide();
}

void FrmEnviar::Descarga() {
    Unload();
}

bool FrmEnviar::modoEmail() const {
    return optMetodoEnvio[0]->isChecked();
}

void FrmEnviar::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    cargaSiHaceFalta();
}

void FrmEnviar::Form_Load() {
    vb::runSteps(
        vb::silentHandler(),
        {[&] {
             if (!vb::Holds(archAdjunto, QStringLiteral(".RPT"))) return;
             const QString pdf = eMailAux::NombreArchivoTemporal(QString(), QStringLiteral("PDF"));
             QString motivo;
             if (eMailAux::ExportaReporte(archAdjunto, pdf, 31, &motivo)) {
                 // The report file was only the way to the PDF.
                 QFile::remove(archAdjunto);
                 archAdjunto = pdf;
                 txtAttach->setText(pdf);
                 pdfExportado_ = pdf;
                 return;
             }
             // No PDF, no attachment: the operator is told rather than sending nothing.
             archAdjunto.clear();
             if (!motivo.isEmpty())
                 ui::op().msgBox(
                     QStringLiteral("No se pudo convertir el reporte en PDF.\r\n") + motivo,
                     vb::vbExclamation, QStringLiteral("Aviso al Operador"));
         },
         [&] { CargaMensaje(); },
         [&] {
             // The WhatsApp frame takes the e-mail frames' place in the layout.
             frmEspera->move(px(120), px(1920));
         },
         [&] { CargaCuentaEnvio(); },
         [&] {
             if (vb::Trim(Texto(QStringLiteral("De"))).isEmpty())
                 SetTexto(QStringLiteral("De"), CuentaEnvio.De);
         },
         [&] { campo(QStringLiteral("Mensaje"))->setVisible(true); }});
}

void FrmEnviar::CargaMensaje() {
    const QString mensaje = QStringLiteral("Mensaje");
    if (vb::Trim(Texto(mensaje)).isEmpty()) {
        QString ultimo;
        ModGlobal::Cfg(
            QStringLiteral("UM_") + vb::Trim(gDB().gUsuario) + vb::Trim(vb::App().EXEName),
            &ultimo);
        SetTexto(mensaje, ultimo);
    }
    // Room to type above the company's name.
    if (vb::Trim(Texto(mensaje)).isEmpty())
        SetTexto(mensaje,
                 QStringLiteral("\r\n\r\n") + vb::Trim(ModGlobal::Cfg(QStringLiteral("Nombre"))));
}

void FrmEnviar::CargaCuentaEnvio() {
    QWidget* mensaje = campo(QStringLiteral("Mensaje"));
    vb::runSteps(vb::silentHandler(),
                 {[&] { send::CargaCuentaEnvio(CuentaEnvio); },
                  [&] { gUtil().PreparaFormulario(*this, 0); },
                  [&] { send::gSeleccionMultiple = QStringList{QString()}; },
                  [&] { WebBrowser1->setAcceptDrops(false); },
                  [&] {
                      if (ArchivoWeb.isEmpty() || !MostrarAntes) return;
                      WebBrowser1->setVisible(true);
                      const QUrl pagina = QUrl::fromUserInput(ArchivoWeb, vb::App().Path);
                      WebBrowser1->setSource(pagina);
                  },
                  [&] {
                      if (ArchivoWeb.isEmpty() || EnvioManual) WebBrowser1->setVisible(false);
                      mensaje->setVisible(true);
                  },
                  [&] {
                      const bool navegador = !WebBrowser1->isHidden();
                      if (vb::StrComp(vb::App().EXEName, QStringLiteral("Cronvelt"),
                                      vb::Compare::Text) != 0) {
                          altoDelMensaje(navegador);
                      } else {
                          WebBrowser1->setMaximumHeight(px(5460));
                      }
                  }});
}

// The page previewed is the caller's own file (ArchivoWeb), not a temporary copy to delete.
void FrmEnviar::Rtf_Html_EliminarTemp(const QString&) {}

void FrmEnviar::Form_Unload() {
    vb::runSteps(vb::silentHandler(),
                 {[&] { pSalir = true; }, [&] { Rtf_Html_EliminarTemp(ArchivoWeb); },
                  [&] { EnvioManual = false; },
                  [&] {
                      if (!pdfExportado_.isEmpty()) QFile::remove(pdfExportado_);
                      pdfExportado_.clear();
                  }});
}

void FrmEnviar::Unload() {
    if (unloading_) return;
    unloading_ = true;
    Form_Unload();
    if (isVisible()) done(QDialog::Rejected);
    // A new dialog's members, but pSalir: whoever waits for the dialog reads it afterwards.
    static_cast<send::EstadoEnvio&>(*this) = send::EstadoEnvio{};
    pSalir = true;
    reiniciaControles();
    loaded_ = false;
    unloading_ = false;
}

void FrmEnviar::closeEvent(QCloseEvent* event) {
    if (saleDuranteEnvio()) {
        event->ignore();
        return;
    }
    event->accept();
    Unload();
}

bool FrmEnviar::saleDuranteEnvio() {
    // Leaving while a mail is on its way stops the send first; the dialog goes once the send
    // has ended, so the send never works on a dialog that was unloaded under it.
    if (!send::CancelaEnvio(*this)) return false;
    salidaPendiente_ = true;
    return true;
}

void FrmEnviar::reject() {
    // Escape leaves through the exit button of the current mode.
    if (modoEmail())
        cmdExit_Click();
    else
        cmdSalir_Click();
}

bool FrmEnviar::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize && watched == cuerpo_->parentWidget()) acomodaImagen();
    // The picture is shown in PicLogo: a double click there is one on the picture.
    if (event->type() == QEvent::MouseButtonDblClick && watched == PicLogo) {
        imglogo_DblClick();
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        auto* tecla = static_cast<QKeyEvent*>(event);
        const int codigo = ui::windowsKeyCode(tecla->key());
        if (codigo == kF2 || codigo == kF5) {
            int shift = 0;
            if (tecla->modifiers() & Qt::ShiftModifier) shift |= 1;
            if (tecla->modifiers() & Qt::ControlModifier) shift |= 2;
            if (tecla->modifiers() & Qt::AltModifier) shift |= 4;
            Form_KeyDown(codigo, shift);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void FrmEnviar::Form_KeyDown(int KeyCode, int) {
    // One send at a time, and no lookup changes its recipients while it runs.
    if (EnvioEnCurso) return;
    // Only the send and the lookup: F5 never leaves the dialog.
    if (modoEmail()) {
        if (KeyCode == kF2) {
            if (cmdSend->isEnabled()) cmdSend_Click();
        } else if (KeyCode == kF5) {
            CmdConsultar_Click();
        }
    } else {
        if (KeyCode == kF2)
            cmdEnviarWhatsapp_Click();
        else if (KeyCode == kF5)
            cmdConsultarContacto_Click();
    }
}

void FrmEnviar::cmdExit_Click() {
    if (saleDuranteEnvio()) return;
    pSalir = true;
    EnvioManual = false;
    Unload();
}

void FrmEnviar::evento(const char* rutina, const std::function<void()>& trabajo) {
    // An error never leaves an event: it is shown, and the event ends.
    vb::runSteps(ModGlobal::manejaError(QString::fromLatin1(rutina)), {trabajo});
}

void FrmEnviar::CmdConsultar_Click() {
    evento("CmdConsultar_Click", [&] { send::ConsultaDirecciones(*this); });
}

void FrmEnviar::cmdConsultarContacto_Click() {
    evento("cmdConsultarContacto_Click", [&] { send::ConsultaContacto(*this); });
}

void FrmEnviar::optMetodoEnvio_Click(int Index) {
    optMetodoEnvio[Index == 1 ? 1 : 0]->setChecked(true);
    if (Index == 1) {
        evento("optMetodoEnvio_Click", [&] {
            frameWhatsapp->setVisible(true);
            Frame5->setVisible(false);
            Frame3->setVisible(false);
            Frame4->setVisible(false);
            acomodaImagen();
            altoDelFormulario();
            setWindowTitle(QStringLiteral("Formulario Envio de Whatsapp"));
            send::PreparaWhatsapp(*this);
        });
        MuestraEspera(false);
        return;
    }
    setWindowTitle(QStringLiteral("Formulario Envio de eMail"));
    altoDelFormulario();
    frameWhatsapp->setVisible(false);
    Frame5->setVisible(true);
    Frame3->setVisible(true);
    Frame4->setVisible(true);
}

void FrmEnviar::cmdEnviarWhatsapp_Click() {
    evento("cmdEnviarWhatsapp_Click", [&] { send::EnviarWhatsapp(*this); });
}

void FrmEnviar::cmdSalir_Click() {
    if (saleDuranteEnvio()) return;
    pSalir = true;
    EnvioManual = false;
    Unload();
}

void FrmEnviar::cmdBrowse_Click() {
    send::AgregaAdjuntos(*this);
}

void FrmEnviar::CmdAbrir_Click() {
    evento("CmdAbrir_Click", [&] { send::AbreAdjuntos(*this); });
}

void FrmEnviar::cmdPegar_Click() {
    QImage imagen;
    try {
        if (const QMimeData* datos = QGuiApplication::clipboard()->mimeData())
            imagen = reportengine::readPicture(*datos);
    } catch (const vb::VbError& e) {
        ui::op().msgBox(e.Description, vb::vbCritical, QStringLiteral("Aviso"));
        return;
    }
    send::PegaImagen(*this, imagen.isNull() ? std::nullopt : std::optional<QImage>(imagen));
}

void FrmEnviar::CmdBuscar_Click() {
    send::BuscaImagen(*this);
}

void FrmEnviar::imglogo_DblClick() {
    const QString ruta = Texto(QStringLiteral("RutaImagen"));
    if (ruta.isEmpty() || !sendhooks::servicios().MuestraImagen) return;
    evento("imglogo_DblClick", [&] { sendhooks::servicios().MuestraImagen(ruta); });
}

void FrmEnviar::cmdAbrirImg_Click() {
    imglogo_DblClick();
}

QString FrmEnviar::uploadAdjuntoWeb(const QString& archivoOriginal, QString& NombreArchivo,
                                    QString& ext, bool MantenerNombre) {
    return send::uploadAdjuntoWeb(*this, archivoOriginal, NombreArchivo, ext, MantenerNombre);
}

void FrmEnviar::crearArchivo(const QString& Ruta, const QString& dato, bool NoAgrega) {
    send::crearArchivo(Ruta, dato, NoAgrega);
}

QString FrmEnviar::ColorARGB(const QString& Color) {
    return send::ColorARGB(Color);
}

void FrmEnviar::EnviarMail_Especial(const QString& Cuenta, const QString& Arch) {
    send::EnviarMail_Especial(Default(), Cuenta, Arch);
}

void FrmEnviar::AbrirAdjunto(const QString& QueArchivo, bool MostrarVentana) {
    send::AbrirAdjunto(QueArchivo, MostrarVentana);
}

void FrmEnviar::AsignarFoto(const QString& Imagen) {
    send::AsignarFoto(*this, Imagen);
}

void FrmEnviar::GeneraThumb(QString& Tmp, const QString& ID) {
    send::GeneraThumb(*this, Tmp, ID);
}

void FrmEnviar::Escalar_Imagen(const QImage& Img1, QLabel* Destino) {
    if (Img1.isNull()) return;
    QPixmap lienzo(Destino->size());
    lienzo.fill(Destino->palette().color(QPalette::Window));
    const auto& ajuste = sendhooks::servicios().TamanoAjustado;
    const QSize tamano = ajuste
                             ? ajuste(Img1.width(), Img1.height(), lienzo.width(), lienzo.height())
                             : Img1.size();
    QPainter pintor(&lienzo);
    pintor.setRenderHint(QPainter::SmoothPixmapTransform);
    pintor.drawImage(QRect(QPoint((lienzo.width() - tamano.width()) / 2,
                                  (lienzo.height() - tamano.height()) / 2),
                           tamano),
                     Img1);
    pintor.end();
    Destino->setPixmap(lienzo);
}

void FrmEnviar::VerificaeMail(QString& Cuenta, QString& TC, const vb::Variant& IdComprobante,
                              bool& PorPantalla, bool& ForzarEnvio) {
    cargaSiHaceFalta();
    send::VerificaeMail(*this, Cuenta, TC, IdComprobante, PorPantalla, ForzarEnvio);
}

QString FrmEnviar::GetStringFile(QString& Value, bool Force) {
    return send::GetStringFile(Value, Force);
}

void FrmEnviar::cargaSiHaceFalta() {
    if (loaded_) return;
    loaded_ = true;
    Form_Load();
}

void FrmEnviar::cmdSend_Click() {
    EnviarPyMail();
}

bool FrmEnviar::EnviarPyMail() {
    const bool resultado = send::EnviarPyMail(*this);
    // The way out the operator took during the send, now that it has ended.
    if (salidaPendiente_ && !EnvioEnCurso) {
        salidaPendiente_ = false;
        reject();
    }
    return resultado;
}

void FrmEnviar::RegistrarEnvio(bool HayError, const QString& TextoError,
                               const QString& CodigoActivador, bool esWhatsapp) {
    send::RegistrarEnvio(*this, HayError, TextoError, CodigoActivador, esWhatsapp);
}

void FrmEnviar::ActualizaContestado(const QString& Usuario, const QString& UIDL,
                                    const QString& CuentaEmail) {
    send::ActualizaContestado(Usuario, UIDL, CuentaEmail);
}
