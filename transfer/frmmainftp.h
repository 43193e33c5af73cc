#pragma once

#include "transfer/cftp.h"

#include <QDialog>

#include <functional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTreeWidget;

// The interactive FTP client: connect with server, user and password (remembered after a
// successful connection), browse the remote folders, and upload, download, rename, delete
// files and make or remove folders, with a bar following each transfer.
class frmMainFTP : public QDialog {
    Q_OBJECT

public:
    explicit frmMainFTP(QWidget* parent = nullptr);
    ~frmMainFTP() override;

    cFTP mFTP;
    // The port cmdConnect connects to: the FTP service's own.
    int PuertoFTP = 21;

    void cmdConnect_Click();
    void cmdDisconnect_Click();
    void optActive_Click();
    void optPassive_Click();
    void optAscii_Click();
    void optBin_Click();
    void TxtDir_KeyPress(int KeyAscii);
    void cmdRefresh_Click();
    void lv_DblClick();
    void cmdDownload_Click();
    void cmdUpload_Click();
    void cmdRename_Click();
    void cmdCreateDir_Click();
    void cmdDelete_Click();
    void mFTP_FileTransferProgress(qint32 lCurrentBytes, qint32 lTotalBytes);

    // Controls, with their given names as object names.
    QGroupBox* fraConexion;
    QLineEdit* txtServer;
    QLineEdit* txtUser;
    QLineEdit* txtPassword;
    QPushButton* cmdConnect;
    QPushButton* cmdDisconnect;
    QGroupBox* fraModo;
    QRadioButton* optPassive;
    QRadioButton* optActive;
    QGroupBox* fraTransferencia;
    QRadioButton* optBin;
    QRadioButton* optAscii;
    QLineEdit* TxtDir;
    QTreeWidget* lv;
    QPushButton* cmdRefresh;
    QPushButton* cmdUpload;
    QPushButton* cmdDownload;
    QPushButton* cmdRename;
    QPushButton* cmdCreateDir;
    QPushButton* cmdDelete;
    QProgressBar* pb;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The constructor's three parts: the controls with their names and texts, their places,
    // and what each of them sets off.
    void creaControles();
    void colocaControles();
    void conectaControles();
    void Form_Load();
    void Form_Unload();
    void RefrescarLista();
    // The selected row's text; empty when none is selected.
    QString filaElegida() const;
    // The selected row's entry, when it is a file of the listing (not "..", not a folder).
    bool archivoElegido(QString& nombre) const;
    // Shows the bar while the transfer runs (when there is a file to move), then the
    // client's error text, or `hecho`, the elapsed seconds and `unidad`; refreshes the list.
    void Transfiere(bool hayArchivo, const std::function<bool()>& transferencia,
                    const QString& hecho, const QString& unidad);
    // Runs an event's work; a run-time error goes to the central error dialog.
    void evento(const QString& rutina, const std::function<void()>& trabajo);

    bool descargado_ = false;
};
