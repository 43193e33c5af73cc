#include "db/frmacceso.h"

#include "db/bases_txt.h"
#include "db/connection_string.h"
#include "db/db_dll.h"
#include "db/hooks.h"

#include "platform/ado/connectionstring.h"
#include "platform/shell/desktop.h"
#include "platform/shell/process.h"
#include "platform/ui/screenfit.h"
#include "platform/ui/operator.h"
#include "platform/vb/app.h"
#include "platform/vb/steps.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clsutil.h"
#include "platform/vendrix/paths.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

using vb::Trim;
using vb::UCase;

namespace {

// The suite's registration tool, when it stands in the program folder.
const QString kHerramientaRegistro = QStringLiteral("RegistraDB");

template <typename W>
W* control(QWidget* parent, const char* nombre) {
    W* w = new W(parent);
    w->setObjectName(QString::fromLatin1(nombre));
    return w;
}

QString antesDeDosPuntos(const QString& texto) {
    const qsizetype p = texto.indexOf(u':');
    return p < 0 ? texto : texto.left(p);
}

}  // namespace

frmAcceso::frmAcceso(QWidget* parent) : QDialog(parent) {
    creaControles();
    colocaControles();
    conectaControles();

    // As large as its controls ask for, not the two thirds of the screen adjustSize() allows;
    // no larger than the screen once shown.
    ui::sizeToBody(*this);
    gUtil().PreparaFormulario(*this);
    llenarlist();
    for (QLineEdit* caja : {TxtUserId, TxtUserPassword, TxtDbName, TxtServidor})
        MensajeInicial(*caja);
    TxtServidor->setFocus();
}

void frmAcceso::creaControles() {
    setObjectName(QStringLiteral("frmAcceso"));
    setWindowTitle(QStringLiteral("Control de Acceso"));

    CmdLineaComando = control<QPushButton>(this, "CmdLineaComando");
    CmdLineaComando->setText(QStringLiteral("Crear Acceso Directo"));
    CmdRegistrar = control<QPushButton>(this, "CmdRegistrar");
    CmdRegistrar->setText(QStringLiteral("Registrar"));
    lstBases = control<QListWidget>(this, "lstBases");
    bcCancelar = control<QPushButton>(this, "bcCancelar");
    bcCancelar->setText(QStringLiteral("Cancelar"));
    bcAceptar = control<QPushButton>(this, "bcAceptar");
    bcAceptar->setText(QStringLiteral("Aceptar"));
    framAcceso = control<QGroupBox>(this, "framAcceso");
    TxtPuerto = control<QLineEdit>(framAcceso, "TxtPuerto");
    TxtPuerto->setText(QStringLiteral("1433"));
    TxtPuerto->setToolTip(QStringLiteral("Ingrese el Puerto "));
    CboPlataformaDB = control<QComboBox>(framAcceso, "CboPlataformaDB");
    CboPlataformaDB->addItems({QStringLiteral("SQL Server"), QStringLiteral("ORACLE")});
    TxtUserPassword = control<QLineEdit>(framAcceso, "TxtUserPassword");
    TxtUserPassword->setEchoMode(QLineEdit::Password);
    TxtUserPassword->setToolTip(QStringLiteral("Ingrese la contraseña"));
    TxtServidor = control<QLineEdit>(framAcceso, "TxtServidor");
    TxtServidor->setToolTip(QStringLiteral("ingrese el nombre del servidor e instancia"));
    TxtDbName = control<QLineEdit>(framAcceso, "TxtDbName");
    TxtDbName->setToolTip(QStringLiteral("ingrese el nombre de la base de datos"));
    TxtUserId = control<QLineEdit>(framAcceso, "TxtUserId");
    TxtUserId->setToolTip(QStringLiteral("Ingrese el nombre de usuario"));

    // Shown, disabled, for an embedded server: it has no platform to choose.
    CboPlataformaDB->setPlaceholderText(QStringLiteral("SQLite (embebida)"));

    lblAviso = control<QLabel>(this, "lblAviso");
    lblAviso->setWordWrap(true);
    lblAviso->setStyleSheet(QStringLiteral("color: #a00000;"));
    lblAviso->hide();
    bcAceptar->setDefault(true);
}

void frmAcceso::colocaControles() {
    // Each box under the one before, with its name on its left: the order Tab follows.
    auto* campos = new QGridLayout(framAcceso);
    campos->addWidget(new QLabel(QStringLiteral("Complete los datos de conexion"), framAcceso), 0,
                      0, 1, 2);
    const std::pair<const char*, QWidget*> cajas[] = {
        {"Servidor:", TxtServidor}, {"Base de datos:", TxtDbName},
        {"Usuario:", TxtUserId},    {"Contraseña:", TxtUserPassword},
        {"Puerto:", TxtPuerto},     {"Plataforma:", CboPlataformaDB},
    };
    QList<QWidget*> ordenTab;
    for (const auto& [texto, caja] : cajas) {
        auto* etiqueta = new QLabel(QString::fromUtf8(texto), framAcceso);
        etiqueta->setBuddy(caja);
        const int fila = campos->rowCount();
        campos->addWidget(etiqueta, fila, 0);
        campos->addWidget(caja, fila, 1);
        ordenTab.append(caja);
    }
    campos->setColumnStretch(1, 1);
    ordenTab.append({lstBases, CmdRegistrar, CmdLineaComando, bcAceptar, bcCancelar});
    for (qsizetype i = 1; i < ordenTab.size(); ++i) setTabOrder(ordenTab[i - 1], ordenTab[i]);

    auto* botones = new QHBoxLayout;
    botones->addWidget(CmdRegistrar);
    botones->addWidget(CmdLineaComando);
    botones->addStretch();
    botones->addWidget(bcAceptar);
    botones->addWidget(bcCancelar);
    // Controls that scroll on a screen too small for them; the window itself never larger.
    auto* todo = new QVBoxLayout(ui::scrollingBody(*this));
    ui::keepWithinScreen(*this);
    todo->addWidget(lblAviso);
    todo->addWidget(framAcceso);
    todo->addWidget(new QLabel(QStringLiteral("Conexiones registradas"), this));
    todo->addWidget(lstBases);
    todo->addLayout(botones);
}

void frmAcceso::conectaControles() {
    connect(bcAceptar, &QPushButton::clicked, this, &frmAcceso::bcAceptar_Click);
    connect(bcCancelar, &QPushButton::clicked, this, &frmAcceso::bcCancelar_Click);
    connect(CmdRegistrar, &QPushButton::clicked, this, &frmAcceso::CmdRegistrar_Click);
    connect(CmdLineaComando, &QPushButton::clicked, this, &frmAcceso::CmdLineaComando_Click);
    // A click, a key that moves the selection, or llenarlist choosing the first entry.
    connect(lstBases, &QListWidget::currentRowChanged, this, &frmAcceso::lstBases_Click);
    connect(lstBases, &QListWidget::itemClicked, this, &frmAcceso::lstBases_Click);
    connect(lstBases, &QListWidget::itemDoubleClicked, this, &frmAcceso::lstBases_DblClick);
    connect(TxtServidor, &QLineEdit::textChanged, this, &frmAcceso::muestraMotor);
}

void frmAcceso::Instala() {
    dbhooks::hooks().MuestraAcceso = [](dbhooks::DatosAcceso& datos) {
        frmAcceso f;
        f.TxtDbName->setText(datos.TxtDbName);
        f.TxtServidor->setText(datos.TxtServidor);
        f.TxtUserId->setText(datos.TxtUserId);
        f.TxtUserPassword->setText(datos.TxtUserPassword);
        f.CboPlataformaDB->setCurrentIndex(0);
        f.muestraMotor();
        f.MuestraAviso(datos.Aviso);
        f.enfocaFaltante(datos.Faltan);
        ui::op().showModal(f);
        datos.Aceptar = f.Aceptar;
        datos.TxtServidor = f.ServidorConPuerto();
        datos.TxtDbName = f.TxtDbName->text();
        datos.TxtUserId = f.TxtUserId->text();
        datos.TxtUserPassword = f.TxtUserPassword->text();
        datos.CboPlataformaDB = f.CboPlataformaDB->currentIndex();
    };
}

void frmAcceso::MuestraAviso(const QString& aviso) {
    lblAviso->setText(aviso);
    lblAviso->setVisible(!aviso.isEmpty());
    // The controls scroll rather than grow the window: it grows here, to their size.
    ui::sizeToBody(*this);
}

void frmAcceso::enfocaFaltante(const QStringList& faltan) {
    const std::pair<const char*, QLineEdit*> items[] = {{"@Server", TxtServidor},
                                                        {"@DbName", TxtDbName},
                                                        {"@Usuario", TxtUserId},
                                                        {"@Password", TxtUserPassword}};
    for (const auto& [item, caja] : items) {
        if (faltan.contains(QString::fromLatin1(item), Qt::CaseInsensitive)) {
            caja->setFocus();
            return;
        }
    }
    TxtServidor->setFocus();
}

void frmAcceso::muestraMotor() {
    // The embedded engine's server is a folder: no port, and no platform but its own.
    const bool embebida = ado::isEmbeddedServer(Trim(TxtServidor->text()));
    if (embebida != embebida_) {
        embebida_ = embebida;
        if (embebida) {
            puertoPrevio_ = TxtPuerto->text();
            TxtPuerto->clear();
        } else {
            TxtPuerto->setText(puertoPrevio_);
        }
        TxtPuerto->setEnabled(!embebida);
        CboPlataformaDB->setEnabled(!embebida);
    }
    if (embebida)
        CboPlataformaDB->setCurrentIndex(-1);
    else if (CboPlataformaDB->currentIndex() < 0)
        CboPlataformaDB->setCurrentIndex(0);
}

QString frmAcceso::ServidorConPuerto() const {
    const QString servidor = TxtServidor->text();
    const QString puerto = Trim(TxtPuerto->text());
    bool numero = false;
    const int valor = puerto.toInt(&numero);
    if (CboPlataformaDB->currentIndex() > 0 || servidor.contains(u':') ||
        servidor.contains(u'#') || Trim(servidor).isEmpty() || !numero || valor <= 0 ||
        valor == 1433)
        return servidor;
    return Trim(servidor) + u':' + QString::number(valor);
}

bool frmAcceso::EjecutarCmdRegDB(const QString& Archivo, QString& ErrDevuelto) {
    if (!shell::runAndWait(Archivo)) {
        ErrDevuelto = QStringLiteral("Error al ejecutar el comando");
        return false;
    }
    return true;
}

void frmAcceso::llenarlist() {
    vb::Steps step(
        [](const vb::VbError& e) { return dbhooks::ManejaError(e, QStringLiteral("FormLoad")); });
    std::optional<QList<ConexionRegistrada>> entradas;
    step([&] { lstBases->clear(); });
    step([&] { entradas = bases::lee(); });
    step([&] {
        if (!entradas) return;
        for (const ConexionRegistrada& c : *entradas)
            if (!Trim(c.Nombre).isEmpty()) lstBases->addItem(c.Nombre);
    });
    step([&] {
        if (lstBases->count() > 0) lstBases->setCurrentRow(0);
    });
}

void frmAcceso::DatosBase(const QString& Nombre) {
    try {
        if (std::optional<ConexionRegistrada> c = bases::busca(Nombre)) encontrada_ = *c;
    } catch (const vb::VbError& e) {
        gUtil().MuestraError(e);
    }
}

bool frmAcceso::ExisteBaseDeDatos(const QString& Servidor, const QString& Dbname,
                                  const QString& Usuario, const QString& Password,
                                  const QString& Proveedor) {
    DB_Dll& db = gDB();
    try {
        if (db.gOpenFlag) db.gCnn.Close();
    } catch (const vb::VbError&) {
    }
    using connstr::quote;
    const QString cadena = QStringLiteral("PROVIDER=") + Proveedor + u';' +
                           QStringLiteral("Server=") + quote(Servidor) + u';' +
                           QStringLiteral("Database =") + quote(Dbname) + u';' +
                           QStringLiteral("UId=") + quote(Usuario) + u';' +
                           QStringLiteral("Pwd=") + quote(Password) + u';';
    try {
        db.gCnn.Open(cadena, QString(), QString(), -1);
    } catch (const vb::VbError&) {
        return false;
    }
    try {
        db.gCnn.Close();
    } catch (const vb::VbError&) {
    }
    return true;
}

void frmAcceso::AsignarDatosBase() {
    encontrada_.Servidor.clear();
    QListWidgetItem* item = lstBases->currentItem();
    DatosBase(Trim(item ? item->text() : QString()));
    QString servidor = encontrada_.Servidor;
    const qsizetype dosPuntos = servidor.indexOf(u':');
    const QString tras = dosPuntos < 0 ? QString() : Trim(servidor.mid(dosPuntos + 1));
    bool esPuerto = false;
    tras.toUInt(&esPuerto);
    if (esPuerto) {
        puerto_ = servidor.mid(dosPuntos + 1);
        servidor = antesDeDosPuntos(UCase(Trim(servidor)));
    } else {
        // No port (an embedded "sqlite:<folder>" server keeps its folder as written), and
        // no port inherited from the entry chosen before.
        puerto_.clear();
    }
    TxtServidor->setText(servidor);
    TxtUserId->clear();
    TxtUserPassword->clear();
    TxtDbName->setText(encontrada_.Database);
    TxtPuerto->setText(puerto_);
}

void frmAcceso::MensajeInicial(QLineEdit& ObjTxt) {
    // The hint is shown only while the box is empty, so it is never read as a value.
    QString pista;
    if (&ObjTxt == TxtUserId)
        pista = QStringLiteral("Ingrese el usuario");
    else if (&ObjTxt == TxtDbName)
        pista = QStringLiteral("ingrese el nombre de la base de datos");
    else if (&ObjTxt == TxtServidor)
        pista = QStringLiteral("ingrese el nombre del servidor e instancia");
    ObjTxt.setPlaceholderText(pista);
}

void frmAcceso::lstBases_Click() {
    AsignarDatosBase();
}

void frmAcceso::lstBases_DblClick() {
    AsignarDatosBase();
    bcAceptar_Click();
}

void frmAcceso::bcAceptar_Click() {
    Aceptar = true;
    accept();
}

void frmAcceso::bcCancelar_Click() {
    Aceptar = false;
    reject();
}

void frmAcceso::CmdLineaComando_Click() {
    const QString programa = vb::App().Path + u'/' + vb::App().EXEName;
    const QString nombre =
        vb::App().EXEName.isEmpty() ? QStringLiteral("Zentrik") : vb::App().EXEName;
    shell::createDesktopShortcut(nombre, programa, programa);
}

void frmAcceso::CmdRegistrar_Click() {
    DB_Dll& db = gDB();
    bool haciaElPaso6 = false;
    vb::Steps step([&](const vb::VbError& e) -> int {
        const long n = e.Number;
        if (n == ado::err::ObjectClosed || n == -2147023840 || n == 1056 || n == 440 || n == 20480)
            return vb::vbIgnore;
        ui::op().msgBox(QStringLiteral("SQL Server start failed.  ") + u'\r' +
                        QStringLiteral("SQL-DMO error:  ") + QString::number(n) + u' ' +
                        e.Description);
        haciaElPaso6 = true;
        return vb::vbAbort;
    });
    QString nombre;
    step([&] {
        nombre = UCase(Trim(TxtDbName->text())) + QStringLiteral(" / ") +
                 antesDeDosPuntos(UCase(Trim(TxtServidor->text())));
    });
    step([&] {
        encontrada_.Servidor.clear();
        DatosBase(nombre);
        if (Trim(encontrada_.Servidor).isEmpty()) return;
        ui::op().msgBox(QStringLiteral("La conexion que intenta registrar ya existe "),
                        vb::vbInformation, QStringLiteral("Atencion"));
        throw vb::ExitProcedure{};
    });
    step([&] {
        const std::int64_t puerto = gUtil().ValorEntero(TxtPuerto->text());
        puerto_ = QString::number(puerto == 0 ? 1433 : puerto);
    });
    step([&] {
        for (QLineEdit* caja : {TxtServidor, TxtUserId, TxtUserPassword, TxtDbName})
            caja->setText(Trim(caja->text()));
    });
    QString servidor;
    step([&] {
        servidor = ServidorConPuerto();
        const QString base = TxtDbName->text();
        if (!TXR_Common::ConexionRegistrable(nombre, base, base, base, servidor))
            throw vb::ExitProcedure{};
        if (ExisteBaseDeDatos(servidor, UCase(base), UCase(base), UCase(base),
                              QStringLiteral("SQLOLEDB"))) {
            TXR_Common::AgregaConexionBases(nombre, base, base, base, servidor);
            return;
        }
        if (db.gOpenFlag) db.gCnn.Close();
        db.gServidor = servidor;
        db.gUsuario = TxtUserId->text();
        db.gUserPassWord = TxtUserPassword->text();
        db.gDBName = base;
        // No retry box here: it would show this same dialog again from inside itself.
        db.OpenServerADODB(false, ado::adUseClient, QString(), true, true, false);
        if (!db.gOpenFlag) {
            ui::op().msgBox(QStringLiteral("NO SE PUDO CONECTAR AL SERVIDOR ") + servidor +
                                QStringLiteral(" VERIFIQUE EL NOMBRE DE USUARIO Y PASSWORD "
                                               "INGRESADO"),
                            vb::vbInformation, QStringLiteral("AVISO AL OPERADOR"));
            throw vb::ExitProcedure{};
        }
        TXR_Common::AgregaConexionBases(nombre, base, base, base, servidor);
    });
    if (step.left() && !haciaElPaso6) return;

    vb::Steps cierre([&](const vb::VbError& e) -> int {
        return e.Number == ado::err::ObjectClosed ? vb::vbIgnore : vb::vbAbort;
    });
    cierre([&] {
        const QString herramienta = vendrix::programFile(kHerramientaRegistro);
        if (!QFileInfo(herramienta).isFile()) return;
        shell::startDetached(herramienta, {QStringLiteral("Server=") + Trim(TxtServidor->text()) +
                                           QStringLiteral(";DB=") + db.gDBName + u';'});
    });
    cierre([&] { db.gCnn.Close(); });
    cierre([&] { llenarlist(); });
}
