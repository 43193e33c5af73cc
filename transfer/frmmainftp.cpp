#include "transfer/frmmainftp.h"

#include "core/errordialog.h"
#include "platform/shell/settings.h"
#include "platform/ui/operator.h"
#include "platform/ui/screenfit.h"
#include "platform/vb/conversions.h"
#include "platform/vb/steps.h"
#include "platform/vb/strings.h"
#include "platform/vb/vberror.h"
#include "transfer/listaftp.h"
#include "transfer/modftp.h"
#include "transfer/ventanas.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// Where the window keeps the last connection, in the user's settings store.
const QString kAplicacion = QStringLiteral("RUZUDCliente");
const QString kSeccion = QStringLiteral("Settings");

template <class T>
T* control(QWidget* parent, const char* nombre, const QString& texto = {}) {
    auto* w = new T(parent);
    w->setObjectName(QLatin1String(nombre));
    if constexpr (std::is_base_of_v<QAbstractButton, T> || std::is_same_v<T, QLabel>) {
        if (!texto.isEmpty()) w->setText(texto);
    }
    return w;
}

}  // namespace

frmMainFTP::frmMainFTP(QWidget* parent) : QDialog(parent) {
    creaControles();
    colocaControles();
    conectaControles();
    Form_Load();
}

void frmMainFTP::creaControles() {
    setObjectName(QStringLiteral("frmMainFTP"));
    setWindowTitle(QStringLiteral("No Conectado"));

    fraConexion = new QGroupBox(QStringLiteral("Propiedades de Conexion"), this);
    fraConexion->setObjectName(QStringLiteral("fraConexion"));
    txtServer = control<QLineEdit>(fraConexion, "txtServer");
    txtUser = control<QLineEdit>(fraConexion, "txtUser");
    txtPassword = control<QLineEdit>(fraConexion, "txtPassword");
    txtPassword->setEchoMode(QLineEdit::Password);
    cmdConnect = control<QPushButton>(fraConexion, "cmdConnect", QStringLiteral("&Conectar"));
    cmdDisconnect =
        control<QPushButton>(fraConexion, "cmdDisconnect", QStringLiteral("&Desconectar"));

    fraModo = new QGroupBox(QStringLiteral("Modo de conexion"), this);
    fraModo->setObjectName(QStringLiteral("fraModo"));
    optPassive = control<QRadioButton>(fraModo, "optPassive", QStringLiteral("Conexion Pasiva"));
    optActive = control<QRadioButton>(fraModo, "optActive", QStringLiteral("Conexion Activa"));

    fraTransferencia = new QGroupBox(QStringLiteral("Modo de Transferecia de archivos"), this);
    fraTransferencia->setObjectName(QStringLiteral("fraTransferencia"));
    optBin = control<QRadioButton>(fraTransferencia, "optBin",
                                   QStringLiteral("Transferencia de archivos binarios"));
    optAscii = control<QRadioButton>(fraTransferencia, "optAscii",
                                     QStringLiteral("Transferencia de archivos ASCII"));
    // The client starts in passive mode with binary transfers; the marks say so.
    optPassive->setChecked(true);
    optBin->setChecked(true);

    TxtDir = control<QLineEdit>(this, "TxtDir");
    lv = control<QTreeWidget>(this, "lv");
    lv->setColumnCount(4);
    lv->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Size"),
                         QStringLiteral("Last Accessed"), QStringLiteral("Attributes")});
    lv->setRootIsDecorated(false);
    lv->setSelectionMode(QAbstractItemView::SingleSelection);
    lv->header()->setSectionResizeMode(QHeaderView::ResizeToContents);

    cmdRefresh = control<QPushButton>(this, "cmdRefresh", QStringLiteral("Refrescar Lista"));
    cmdUpload = control<QPushButton>(this, "cmdUpload", QStringLiteral("Subir Archivo al Server"));
    cmdDownload =
        control<QPushButton>(this, "cmdDownload", QStringLiteral("Bajar Archivo del Servidor"));
    cmdRename = control<QPushButton>(this, "cmdRename", QStringLiteral("Renombrar Archivo"));
    cmdCreateDir =
        control<QPushButton>(this, "cmdCreateDir", QStringLiteral("Crear un Directorio"));
    cmdDelete = control<QPushButton>(this, "cmdDelete", QStringLiteral("Eliminar Item"));
    pb = control<QProgressBar>(this, "pb");
    pb->setVisible(false);
}

void frmMainFTP::colocaControles() {
    auto* conexion = new QGridLayout(fraConexion);
    conexion->addWidget(new QLabel(QStringLiteral("Server:"), fraConexion), 0, 0);
    conexion->addWidget(txtServer, 0, 1);
    conexion->addWidget(new QLabel(QStringLiteral("Usuario:"), fraConexion), 1, 0);
    conexion->addWidget(txtUser, 1, 1);
    conexion->addWidget(new QLabel(QStringLiteral("Password:"), fraConexion), 2, 0);
    conexion->addWidget(txtPassword, 2, 1);
    conexion->addWidget(cmdConnect, 0, 2);
    conexion->addWidget(cmdDisconnect, 1, 2);

    auto* modo = new QVBoxLayout(fraModo);
    modo->addWidget(optPassive);
    modo->addWidget(optActive);
    auto* transferencia = new QVBoxLayout(fraTransferencia);
    transferencia->addWidget(optBin);
    transferencia->addWidget(optAscii);

    auto* opciones = new QHBoxLayout;
    opciones->addWidget(fraModo);
    opciones->addWidget(fraTransferencia);
    auto* botones = new QVBoxLayout;
    for (QPushButton* b : {cmdRefresh, cmdUpload, cmdDownload, cmdRename, cmdCreateDir, cmdDelete})
        botones->addWidget(b);
    botones->addStretch(1);
    auto* lista = new QGridLayout;
    lista->addWidget(TxtDir, 0, 0);
    lista->addWidget(lv, 1, 0);
    lista->addLayout(botones, 1, 1);
    // Controls that scroll on a screen too small for them; the window itself never larger.
    auto* layout = new QVBoxLayout(ui::scrollingBody(*this));
    ui::keepWithinScreen(*this);
    layout->addWidget(fraConexion);
    layout->addLayout(opciones);
    layout->addLayout(lista, 1);
    layout->addWidget(pb);
    resize(720, 560);
}

void frmMainFTP::conectaControles() {
    connect(cmdConnect, &QPushButton::clicked, this, [this] { cmdConnect_Click(); });
    connect(cmdDisconnect, &QPushButton::clicked, this, [this] { cmdDisconnect_Click(); });
    connect(optActive, &QRadioButton::clicked, this, [this] { optActive_Click(); });
    connect(optPassive, &QRadioButton::clicked, this, [this] { optPassive_Click(); });
    connect(optAscii, &QRadioButton::clicked, this, [this] { optAscii_Click(); });
    connect(optBin, &QRadioButton::clicked, this, [this] { optBin_Click(); });
    connect(TxtDir, &QLineEdit::returnPressed, this, [this] { TxtDir_KeyPress(13); });
    connect(cmdRefresh, &QPushButton::clicked, this, [this] { cmdRefresh_Click(); });
    connect(lv, &QTreeWidget::itemDoubleClicked, this, [this] { lv_DblClick(); });
    connect(cmdDownload, &QPushButton::clicked, this, [this] { cmdDownload_Click(); });
    connect(cmdUpload, &QPushButton::clicked, this, [this] { cmdUpload_Click(); });
    connect(cmdRename, &QPushButton::clicked, this, [this] { cmdRename_Click(); });
    connect(cmdCreateDir, &QPushButton::clicked, this, [this] { cmdCreateDir_Click(); });
    connect(cmdDelete, &QPushButton::clicked, this, [this] { cmdDelete_Click(); });
    connect(&mFTP, &cFTP::FileTransferProgress, this,
            [this](qint32 actual, qint32 total) { mFTP_FileTransferProgress(actual, total); });
}

frmMainFTP::~frmMainFTP() {
    Form_Unload();
}

void frmMainFTP::closeEvent(QCloseEvent* event) {
    Form_Unload();
    QDialog::closeEvent(event);
}

void frmMainFTP::Form_Load() {
    txtServer->setText(shell::GetSetting(kAplicacion, kSeccion, QStringLiteral("Server")));
    txtUser->setText(shell::GetSetting(kAplicacion, kSeccion, QStringLiteral("User")));
    txtPassword->setText(shell::GetSetting(kAplicacion, kSeccion, QStringLiteral("Password")));
    mFTP.SetModePassive();
    mFTP.SetTransferBinary();
    setWindowTitle(QStringLiteral("No Conectado."));
}

void frmMainFTP::Form_Unload() {
    if (descargado_) return;
    descargado_ = true;
    mFTP.CloseConnection();
}

void frmMainFTP::evento(const QString& rutina, const std::function<void()>& trabajo) {
    vb::Steps pasos(ModGlobal::manejaError(QStringLiteral("frmMainFTP.") + rutina));
    pasos(trabajo);
}

void frmMainFTP::RefrescarLista() {
    TxtDir->setText(vb::Trim(mFTP.GetFTPDirectory()));
    mFTP.GetDirectoryListing(QStringLiteral("*.*"));
    // A name repeated in another case is the operator's to know, as the listing always told.
    if (!mFTP.NombresRepetidos().isEmpty())
        vb::raise(vb::err::DuplicateKey, QStringLiteral("cDirList"));
    lv->clear();
    const QIcon carpeta = style()->standardIcon(QStyle::SP_DirIcon);
    const QIcon archivo = style()->standardIcon(QStyle::SP_FileIcon);
    for (const transfer::FilaFTP& fila : transfer::FilasDelListado(mFTP.Directory())) {
        auto* item =
            new QTreeWidgetItem(lv, {fila.texto, fila.tamano, fila.fecha, fila.atributos});
        item->setIcon(0, fila.icono == 1 ? carpeta : archivo);
    }
}

QString frmMainFTP::filaElegida() const {
    const auto elegidas = lv->selectedItems();
    return elegidas.isEmpty() ? QString() : elegidas.first()->text(0);
}

bool frmMainFTP::archivoElegido(QString& nombre) const {
    nombre = filaElegida();
    if (nombre.isEmpty() || nombre == QLatin1String("..")) return false;
    const cDirList& lista = mFTP.Directory();
    return lista.Exists(nombre) && !lista.Item(nombre).Directory;
}

void frmMainFTP::cmdConnect_Click() {
    evento(QStringLiteral("cmdConnect_Click"), [this] {
        if (!mFTP.OpenConnection(txtServer->text(), txtUser->text(), txtPassword->text(),
                                 PuertoFTP)) {
            ui::op().msgBox(QStringLiteral("No se pudo conectar"), vb::vbCritical,
                            QStringLiteral("Aviso al Operador"));
            return;
        }
        mFTP.SetFTPDirectory(QStringLiteral("/"));
        setWindowTitle(QStringLiteral("Conectado a ") + txtServer->text() +
                       QStringLiteral(" como ") + txtUser->text() +
                       QStringLiteral(" a la hora: ") + vb::CStr(vb::Variant(ui::clock().now())));
        RefrescarLista();
        shell::SaveSetting(kAplicacion, kSeccion, QStringLiteral("Server"), txtServer->text());
        shell::SaveSetting(kAplicacion, kSeccion, QStringLiteral("User"), txtUser->text());
        shell::SaveSetting(kAplicacion, kSeccion, QStringLiteral("Password"), txtPassword->text());
    });
}

void frmMainFTP::cmdDisconnect_Click() {
    mFTP.CloseConnection();
    lv->clear();
    setWindowTitle(QStringLiteral("No Conectado"));
}

void frmMainFTP::optActive_Click() {
    mFTP.SetModeActive();
}

void frmMainFTP::optPassive_Click() {
    mFTP.SetModePassive();
}

void frmMainFTP::optAscii_Click() {
    mFTP.SetTransferASCII();
}

void frmMainFTP::optBin_Click() {
    mFTP.SetTransferBinary();
}

void frmMainFTP::TxtDir_KeyPress(int KeyAscii) {
    if (KeyAscii != 13) return;
    evento(QStringLiteral("TxtDir_KeyPress"), [this] {
        if (mFTP.SetFTPDirectory(TxtDir->text())) RefrescarLista();
    });
}

void frmMainFTP::cmdRefresh_Click() {
    evento(QStringLiteral("cmdRefresh_Click"), [this] { RefrescarLista(); });
}

void frmMainFTP::lv_DblClick() {
    evento(QStringLiteral("lv_DblClick"), [this] {
        const QString nombre = filaElegida();
        if (nombre == QLatin1String("..")) {
            mFTP.SetFTPDirectory(QStringLiteral(".."));
        } else if (!nombre.isEmpty() && mFTP.Directory().Exists(nombre)) {
            if (mFTP.Directory().Item(nombre).Directory)
                mFTP.SetFTPDirectory(nombre);
            else
                cmdDownload_Click();
        }
        RefrescarLista();
    });
}

void frmMainFTP::cmdDownload_Click() {
    evento(QStringLiteral("cmdDownload_Click"), [this] {
        QString remoto;
        if (!archivoElegido(remoto)) return;
        const QString local = vb::Trim(ui::op().saveFile({}, {}).value_or(QString()));
        Transfiere(
            !local.isEmpty(), [&] { return mFTP.FTPDownloadFile(local, remoto); },
            QStringLiteral("Bajada completada en "), QStringLiteral(" Segundos."));
    });
}

void frmMainFTP::cmdUpload_Click() {
    evento(QStringLiteral("cmdUpload_Click"), [this] {
        const QString local = ui::op().openFile({}, {}).value_or(QString());
        // The remote name is the chosen file's own name: the window works in the current
        // remote folder.
        const QString remoto = vb::Trim(QFileInfo(local).fileName());
        Transfiere(
            !remoto.isEmpty(), [&] { return mFTP.FTPUploadFile(local, remoto); },
            QStringLiteral("Subida de archivos completa en "), QStringLiteral(" segundos."));
    });
}

void frmMainFTP::Transfiere(bool hayArchivo, const std::function<bool()>& transferencia,
                            const QString& hecho, const QString& unidad) {
    pb->setVisible(true);
    const QDateTime inicio = ui::clock().instant();
    if (hayArchivo) {
        if (!transferencia())
            ui::op().msgBox(mFTP.GetLastErrorMessage());
        else
            ui::op().msgBox(
                hecho + transfer::SegundosTranscurridos(inicio, ui::clock().instant()) + unidad);
    }
    pb->setVisible(false);
    RefrescarLista();
}

void frmMainFTP::cmdRename_Click() {
    evento(QStringLiteral("cmdRename_Click"), [this] {
        QString viejo;
        if (!archivoElegido(viejo)) return;
        const QString nuevo = vb::Trim(
            ui::op()
                .inputBox(QStringLiteral("Por favor ingrese un nuevo nombre para este archivo:"))
                .value_or(QString()));
        if (nuevo.isEmpty()) return;
        if (mFTP.RenameFTPFile(viejo, nuevo)) {
            ui::op().msgBox(QStringLiteral("Se ha renombrado al archivo correctamente"));
            RefrescarLista();
        } else {
            ui::op().msgBox(mFTP.GetLastErrorMessage());
        }
    });
}

void frmMainFTP::cmdCreateDir_Click() {
    evento(QStringLiteral("cmdCreateDir_Click"), [this] {
        const QString nombre = vb::Trim(
            ui::op()
                .inputBox(QStringLiteral("Por Favor ingrese el nombre para el directorio:"))
                .value_or(QString()));
        if (nombre.isEmpty()) return;
        if (mFTP.CreateFTPDirectory(nombre)) {
            ui::op().msgBox(QStringLiteral("El Directorio ") + nombre +
                                QStringLiteral(" fue creado correctamente"),
                            vb::vbInformation);
            RefrescarLista();
        } else {
            ui::op().msgBox(mFTP.GetLastErrorMessage());
        }
    });
}

void frmMainFTP::cmdDelete_Click() {
    evento(QStringLiteral("cmdDelete_Click"), [this] {
        const QString nombre = filaElegida();
        if (nombre.isEmpty() || nombre == QLatin1String("..")) return;
        if (ui::op().msgBox(QStringLiteral("Esta usted seguro que desea eliminar") + nombre +
                                QStringLiteral("?"),
                            vb::vbYesNo + vb::vbQuestion, QStringLiteral("Delete?")) != vb::vbYes)
            return;
        if (!mFTP.Directory().Exists(nombre)) return;
        bool hecho = false;
        QString aviso;
        if (mFTP.Directory().Item(nombre).Directory) {
            hecho = mFTP.RemoveFTPDirectory(nombre);
            aviso = QStringLiteral("El directorio ") + nombre +
                    QStringLiteral(" fue eliminado correctamente");
        } else {
            hecho = mFTP.DeleteFTPFile(nombre);
            aviso = QStringLiteral("El Archivo ") + nombre +
                    QStringLiteral(" fue eliminado correctamente.");
        }
        if (hecho) {
            ui::op().msgBox(aviso, vb::vbInformation);
            RefrescarLista();
        } else {
            ui::op().msgBox(mFTP.GetLastErrorMessage());
        }
    });
}

void frmMainFTP::mFTP_FileTransferProgress(qint32 lCurrentBytes, qint32 lTotalBytes) {
    pb->setMaximum(lTotalBytes);
    pb->setMinimum(0);
    if (lCurrentBytes < lTotalBytes) pb->setValue(lCurrentBytes);
    if (modFTP::gFTPAutomatico) return;
    // With no job running, the progress form follows the window's transfer too.
    auto& barra = transfer::ventanas().FrmMsg().pb();
    barra.setMax(lTotalBytes);
    barra.setMin(0);
    if (lCurrentBytes < lTotalBytes) barra.setValue(lCurrentBytes);
}
