#include "transfer/cftp.h"

#include "platform/ui/operator.h"
#include "platform/vb/conversions.h"
#include "platform/vb/safefile.h"
#include "platform/vb/strings.h"
#include "platform/vb/vberror.h"
#include "transfer/modftp.h"
#include "transfer/ventanas.h"

#include <QFile>
#include <QFileInfo>

#include <cmath>

namespace {

// Transfers move this many bytes per call, with one yield, one bar update and one event
// per piece.
constexpr qint64 kPieza = 255;

// A local file that could not be read to its end.
constexpr std::uint32_t kErrorLectura = 30;

const QString kAgente = QStringLiteral("RUZUDCliente");

int numeroDePuerto(const vb::Variant& sPort) {
    if (!vb::IsNumeric(sPort)) vb::raise(vb::err::TypeMismatch, QStringLiteral("cFTP"));
    const double n = std::nearbyint(vb::CDbl(sPort));
    if (n < 0 || n > 65535) vb::raise(vb::err::Overflow, QStringLiteral("cFTP"));
    // Port 0 asks for the service's own port, as the platform took it.
    return n == 0 ? 21 : static_cast<int>(n);
}

std::int32_t palabraBaja(std::uint64_t size) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(size & 0xFFFFFFFFu));
}

}  // namespace

cFTP::cFTP() : session_(kAgente) {}

cFTP::~cFTP() = default;

const cDirList& cFTP::Directory() const {
    return listado_ ? *listado_ : vacio_;
}

void cFTP::CloseConnection() {
    session_.disconnect();
}

void cFTP::SetErrorMessage(std::uint32_t code, const QString& tag) {
    error_ = tag + QStringLiteral(" error code: ") + QString::number(code) +
             QStringLiteral(" Message: ") + inet::errorMessage(code);
    if (code == inet::err::ExtendedError) {
        // The server said why: its reply alone is the clearest text.
        error_ = session_.lastResponseInfo();
        if (!modFTP::gFTPAutomatico) transfer::ventanas().FrmMsg().setLabel1(error_);
    }
}

transfer::BarraProgreso& cFTP::barra() const {
    return modFTP::gFTPAutomatico ? transfer::ventanas().FrmNotificacionRecepcioon().pb()
                                  : transfer::ventanas().FrmMsg().pb();
}

bool cFTP::SimpleFTPPutFile(const QString& sLocal, const QString& sRemote) {
    if (session_.putFile(sLocal, sRemote, tipo_)) return true;
    SetErrorMessage(session_.lastError(), QStringLiteral("SimpleFtpPutFile"));
    return false;
}

bool cFTP::SimpleFTPGetFile(const QString& sLocal, const QString& sRemote) {
    if (session_.getFile(sRemote, sLocal, tipo_)) return true;
    SetErrorMessage(session_.lastError(), QStringLiteral("SimpleFtpGetFile"));
    return false;
}

bool cFTP::RenameFTPFile(const QString& sExisting, const QString& sNewName) {
    if (session_.renameFile(sExisting, sNewName)) return true;
    SetErrorMessage(session_.lastError(), QStringLiteral("RenameFTPFile"));
    return false;
}

bool cFTP::CreateFTPDirectory(const QString& sDirectory) {
    if (session_.createDirectory(sDirectory)) return true;
    SetErrorMessage(session_.lastError(), QStringLiteral("CreateFTPDirectory"));
    return false;
}

bool cFTP::RemoveFTPDirectory(const QString& sDirectory) {
    if (session_.removeDirectory(sDirectory)) return true;
    SetErrorMessage(session_.lastError(), QStringLiteral("RemoveFTPDirectory"));
    return false;
}

bool cFTP::DeleteFTPFile(const QString& sRemote) {
    if (session_.deleteFile(sRemote)) return true;
    SetErrorMessage(session_.lastError(), QStringLiteral("DeleteFTPFile"));
    return false;
}

bool cFTP::OpenConnection(const QString& sServer, const QString& sUser, const QString& sPassword,
                          const vb::Variant& sPort) {
    const int puerto = numeroDePuerto(sPort);
    if (session_.connect(sServer, puerto, sUser, sPassword, pasivo_)) return true;
    SetErrorMessage(session_.lastError(), QStringLiteral("InternetConnect"));
    return false;
}

bool cFTP::FTPUploadFile(const QString& sLocal, const QString& sRemote) {
    const QString local = vb::Trim(sLocal);
    const QString remote = vb::Trim(sRemote);
    if (local.isEmpty() || remote.isEmpty()) return false;

    // A local file that cannot be read is a failed upload, never an empty remote file.
    QFile in(local);
    if (!in.open(QIODevice::ReadOnly)) {
        SetErrorMessage(
            QFileInfo::exists(local) ? inet::err::AccessDenied : inet::err::FileNotFound,
            QStringLiteral("CreateFile"));
        return false;
    }
    auto remoto = session_.openFile(remote, inet::FtpSession::Access::Write, tipo_);
    if (!remoto) {
        SetErrorMessage(session_.lastError(), QStringLiteral("FtpOpenFile:PutFile"));
        return false;
    }
    const qint64 largo = in.size();
    barra().setMax(static_cast<int>(largo));
    barra().setMin(0);
    barra().setValue(0);

    char pieza[kPieza];
    qint64 enviados = 0;
    for (qint64 i = 0; i < largo / kPieza; ++i) {
        if (in.read(pieza, kPieza) != kPieza) {
            SetErrorMessage(kErrorLectura, QStringLiteral("ReadFile"));
            return false;
        }
        if (!remoto->write(pieza, kPieza)) {
            SetErrorMessage(session_.lastError(), QStringLiteral("InternetWriteFile"));
            return false;
        }
        ui::op().doEvents();
        enviados += kPieza;
        barra().setValue(static_cast<int>(enviados));
        emit FileTransferProgress(static_cast<qint32>(enviados), static_cast<qint32>(largo));
    }
    const qint64 resto = largo % kPieza;
    if (in.read(pieza, resto) != resto) {
        SetErrorMessage(kErrorLectura, QStringLiteral("ReadFile"));
        return false;
    }
    if (!remoto->write(pieza, resto)) {
        SetErrorMessage(session_.lastError(), QStringLiteral("InternetWriteFile2"));
        return false;
    }
    enviados += resto;
    emit FileTransferProgress(static_cast<qint32>(enviados), static_cast<qint32>(enviados));
    in.close();
    // The server confirms the file only when it is closed: a refusal then is a failure.
    if (!remoto->close()) {
        SetErrorMessage(session_.lastError(), QStringLiteral("InternetCloseHandle"));
        return false;
    }
    return true;
}

bool cFTP::FTPDownloadFile(const QString& sLocal, const QString& sRemote) {
    const QString local = vb::Trim(sLocal);
    const QString remote = vb::Trim(sRemote);
    if (local.isEmpty() || remote.isEmpty()) return false;

    const std::int32_t tamano = GetFTPFileSize(remote);
    if (tamano <= 0) return false;
    barra().setMax(tamano);
    barra().setMin(0);
    barra().setValue(0);

    auto remoto = session_.openFile(remote, inet::FtpSession::Access::Read, tipo_);
    if (!remoto) {
        SetErrorMessage(session_.lastError(), QStringLiteral("FtpOpenFile:GetFile"));
        return false;
    }
    // Written aside and put in place only when complete: a failed download leaves the
    // local file as it was.
    vb::ReplacementFile out(local);
    if (!out.open()) {
        SetErrorMessage(inet::err::AccessDenied, QStringLiteral("CreateFile"));
        return false;
    }
    char pieza[kPieza];
    qint64 recibidos = 0;
    auto guarda = [&](qint64 n) {
        if (out.write(QByteArray::fromRawData(pieza, static_cast<qsizetype>(n)))) return true;
        SetErrorMessage(inet::err::AccessDenied, QStringLiteral("WriteFile"));
        return false;
    };
    for (std::int32_t i = 0; i < tamano / kPieza; ++i) {
        const qint64 n = remoto->read(pieza, kPieza);
        if (n < 0) {
            SetErrorMessage(session_.lastError(), QStringLiteral("InternetReadFile"));
            return false;
        }
        if (!guarda(n)) return false;
        ui::op().doEvents();
        recibidos += n;
        emit FileTransferProgress(static_cast<qint32>(recibidos), tamano);
        barra().setValue(static_cast<int>(recibidos));
        if (n < kPieza) break;  // the file ended before its listed size
    }
    // The rest is read to the file's end: a text transfer may bring more bytes than the
    // listing gave.
    for (;;) {
        const qint64 n = remoto->read(pieza, kPieza);
        if (n < 0) {
            SetErrorMessage(session_.lastError(), QStringLiteral("InternetReadFile2"));
            return false;
        }
        if (n == 0) break;
        if (!guarda(n)) return false;
        recibidos += n;
    }
    emit FileTransferProgress(static_cast<qint32>(recibidos), static_cast<qint32>(recibidos));
    if (!remoto->close()) {
        SetErrorMessage(session_.lastError(), QStringLiteral("InternetCloseHandle"));
        return false;
    }
    if (!out.commit()) {
        SetErrorMessage(inet::err::AccessDenied, QStringLiteral("WriteFile"));
        return false;
    }
    return true;
}

QString cFTP::GetFTPDirectory() {
    if (auto folder = session_.currentDirectory()) return *folder;
    SetErrorMessage(session_.lastError(), QStringLiteral("FtpGetCurrentDirectory"));
    return {};
}

bool cFTP::SetFTPDirectory(const QString& sDirectory) {
    if (session_.setCurrentDirectory(sDirectory)) return true;
    SetErrorMessage(session_.lastError(), QStringLiteral("FtpSetCurrentDirectory"));
    return false;
}

void cFTP::FtpCreaArbolDirectorios(const vb::Variant& sDir) {
    const QString dir = vb::CStr(sDir);
    // The whole path at once first; its failure is no error, only a reason to build it.
    const bool existe = session_.setCurrentDirectory(dir);
    QString ruta;
    for (const QString& parte : dir.split(u'/')) {
        if (vb::Trim(parte).isEmpty()) continue;
        ruta += u'/' + vb::Trim(parte);
        if (existe) {
            SetFTPDirectory(ruta);
        } else {
            SetFTPDirectory(ruta);
            CreateFTPDirectory(vb::Trim(ruta));
            SetFTPDirectory(ruta);
        }
    }
}

std::int32_t cFTP::GetFTPFileSize(const QString& sFile) {
    const auto encontrados = session_.findFiles(sFile);
    if (!encontrados) {
        SetErrorMessage(session_.lastError(), QStringLiteral("FtpFindFirstFile"));
        return -2;
    }
    if (encontrados->isEmpty()) return -1;
    return palabraBaja(encontrados->first().size);
}

const cDirList* cFTP::GetDirectoryListing(const QString& sFilter) {
    listado_.reset();
    repetidos_.clear();
    const auto encontrados = session_.findFiles(sFilter);
    if (!encontrados) {
        SetErrorMessage(session_.lastError(), QStringLiteral("FtpFindFirstFile"));
        return nullptr;
    }
    if (encontrados->isEmpty()) return nullptr;
    listado_.emplace();
    for (const inet::FindData& e : *encontrados) {
        // The list is keyed without regard to case: a second spelling of a name stays out
        // of it and is named, and the listing goes on.
        if (listado_->Exists(e.fileName)) {
            repetidos_ << e.fileName;
            continue;
        }
        listado_->Add(static_cast<std::int32_t>(e.attributes),
                      modFTP::FileTimeAFecha(e.creationTime),
                      modFTP::FileTimeAFecha(e.lastAccessTime),
                      modFTP::FileTimeAFecha(e.lastWriteTime), palabraBaja(e.size), e.fileName);
    }
    return &*listado_;
}

void cFTP::SetTransferASCII() {
    tipo_ = inet::TransferType::Ascii;
}

void cFTP::SetTransferBinary() {
    tipo_ = inet::TransferType::Binary;
}

void cFTP::SetModeActive() {
    pasivo_ = false;
}

void cFTP::SetModePassive() {
    pasivo_ = true;
}
