#pragma once

#include "db/bases_txt.h"
#include "db/hooks.h"

#include <QDialog>
#include <QString>
#include <QStringList>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// The connection dialog "Control de Acceso": server, database, user, password, port and
// platform, or a connection registered in "BASES.TXT"; it can register the typed connection
// and put a shortcut to the program on the desktop.
class frmAcceso : public QDialog {
    Q_OBJECT

public:
    explicit frmAcceso(QWidget* parent = nullptr);

    // Makes this dialog the one the database class shows when it asks for a connection.
    static void Instala();

    bool Aceptar = false;  // closed with Aceptar

    // Runs a command line and waits for it while the interface stays alive. False, with
    // `ErrDevuelto` set, when it could not be started.
    bool EjecutarCmdRegDB(const QString& Archivo, QString& ErrDevuelto);
    void llenarlist();
    void DatosBase(const QString& Nombre);
    // Opens and closes gDB()'s connection with the given parameters.
    bool ExisteBaseDeDatos(const QString& Servidor, const QString& Dbname, const QString& Usuario,
                           const QString& Password, const QString& Proveedor);
    void AsignarDatosBase();
    void MensajeInicial(QLineEdit& ObjTxt);
    // Shows `aviso` over the boxes (hides the label when it is empty), the dialog growing to
    // hold it.
    void MuestraAviso(const QString& aviso);

    // The server the connection should use: a port typed in the port box joins a SQL Server
    // name that has none (1433, the default, is left out so named instances keep working).
    QString ServidorConPuerto() const;

    void CmdLineaComando_Click();
    void CmdRegistrar_Click();
    void lstBases_Click();
    void lstBases_DblClick();
    void bcAceptar_Click();
    void bcCancelar_Click();

    // Controls, with their given names as object names.
    QPushButton* CmdLineaComando;
    QPushButton* CmdRegistrar;
    QListWidget* lstBases;
    QPushButton* bcCancelar;
    QPushButton* bcAceptar;
    QGroupBox* framAcceso;
    QLineEdit* TxtPuerto;
    QComboBox* CboPlataformaDB;
    QLineEdit* TxtUserPassword;
    QLineEdit* TxtServidor;
    QLineEdit* TxtDbName;
    QLineEdit* TxtUserId;
    QLabel* lblAviso;  // why the dialog was shown; hidden when there is nothing to say

private:
    // The constructor's three parts: the controls with their names and texts, their places
    // and the order Tab follows, and what each of them sets off.
    void creaControles();
    void colocaControles();
    void conectaControles();
    // The focus in the box of the first command-line item ("@Server", "@DbName", "@Usuario",
    // "@Password") of `faltan`; in TxtServidor when it names none.
    void enfocaFaltante(const QStringList& faltan);
    // The port box and the platform list as the server typed asks: an embedded server has
    // neither; the port it had comes back with another server.
    void muestraMotor();

    // The entry DatosBase found last.
    ConexionRegistrada encontrada_;
    QString puerto_;         // port value; empty at first
    bool embebida_ = false;  // the server typed is the embedded engine's
    QString puertoPrevio_;   // the port box's text before an embedded server emptied it
};
