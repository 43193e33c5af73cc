#pragma once

#include "platform/inet/ftp.h"
#include "platform/vb/variant.h"
#include "transfer/cdirlist.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace transfer {
class BarraProgreso;
}

// The system's FTP client: one session, at most one connection, transfers in pieces of 255
// bytes with their progress, remote listings, folder paths, and the text of the last
// failure. Operations on the server report success as a Boolean and never show a message.
class cFTP : public QObject {
    Q_OBJECT

public:
    cFTP();
    ~cFTP() override;

    // Kept for callers that set them; the session is opened without a proxy.
    vb::Variant pProxyName;
    vb::Variant pProxyPass;

    // The list of the last listing; an empty list when there is none.
    const cDirList& Directory() const;
    // The text built at the last failure; a later success does not clear it.
    QString GetLastErrorMessage() const { return error_; }

    void CloseConnection();
    bool SimpleFTPPutFile(const QString& sLocal, const QString& sRemote);
    bool RenameFTPFile(const QString& sExisting, const QString& sNewName);
    bool CreateFTPDirectory(const QString& sDirectory);
    bool RemoveFTPDirectory(const QString& sDirectory);
    bool DeleteFTPFile(const QString& sRemote);
    // `sPort` a number or a text holding one, 0 meaning 21; raises vb::err::TypeMismatch
    // for anything else and vb::err::Overflow outside the port numbers.
    bool OpenConnection(const QString& sServer, const QString& sUser, const QString& sPassword,
                        const vb::Variant& sPort = 21);
    // Piece-by-piece transfers, names trimmed; False (without an error text) for an empty
    // name. A download replaces the local file only once it is complete.
    bool FTPUploadFile(const QString& sLocal, const QString& sRemote);
    bool FTPDownloadFile(const QString& sLocal, const QString& sRemote);
    bool SimpleFTPGetFile(const QString& sLocal, const QString& sRemote);
    // The current remote folder; empty on failure.
    QString GetFTPDirectory();
    bool SetFTPDirectory(const QString& sDirectory);
    // Makes the remote folder path `sDir` exist, from the root, and ends in it.
    void FtpCreaArbolDirectorios(const vb::Variant& sDir);
    // The size of the remote file; -1 when there is no such file, -2 on another failure.
    std::int32_t GetFTPFileSize(const QString& sFile);
    // Lists the current folder's entries matching the pattern into the list Directory
    // gives; returns that list, or nullptr when nothing matched or the listing failed (an
    // error text only then). Of names that differ only in case, the first stays in the list
    // and the others are left out and named by NombresRepetidos.
    const cDirList* GetDirectoryListing(const QString& sFilter);
    // The names the last listing left out as repetitions, in listing order.
    const QStringList& NombresRepetidos() const { return repetidos_; }
    void SetTransferASCII();
    void SetTransferBinary();
    void SetModeActive();
    void SetModePassive();

signals:
    void FileTransferProgress(qint32 lCurrentBytes, qint32 lTotalBytes);

private:
    void SetErrorMessage(std::uint32_t code, const QString& tag);
    // The bar that shows a transfer: the popup's while a job runs, else the progress form's.
    transfer::BarraProgreso& barra() const;

    inet::FtpSession session_;
    inet::TransferType tipo_ = inet::TransferType::Ascii;
    bool pasivo_ = false;
    QString error_;
    std::optional<cDirList> listado_;
    QStringList repetidos_;
    cDirList vacio_;
};
