#include "transfer/voraro.h"

#include "platform/ui/operator.h"
#include "platform/vb/app.h"
#include "platform/vb/strings.h"
#include "platform/vb/textfile.h"
#include "platform/vb/vberror.h"
#include "platform/vendrix/paths.h"
#include "transfer/cftp.h"
#include "transfer/modftp.h"
#include "transfer/ventanas.h"

#include <QDir>
#include <QFileInfo>

#include <memory>

namespace VORARo {

QString gServidorFTPAlternativo;

namespace {

const QString kSubiendo = QStringLiteral("||FTP Subiendo||");
const QString kCrLf = QStringLiteral("\r\n");

// The popup as the job shows it: opacity 220, steps of 5 twips, 6375 by 2190 twips.
void popup(std::int32_t ocultar) {
    transfer::ventanas().MuestraNotificacion(ocultar, 220, 5, 6375, 2190);
}

void leyendas(const QString& caption, const QString& titulo, const QString& info) {
    auto& form = transfer::ventanas().FrmNotificacionRecepcioon();
    form.setCaption(caption);
    form.setLblTitulo(titulo);
    form.setLblInfo(info);
}

// VB's "Bad file name or number".
constexpr long kNombreInvalido = 52;

// A name as the error box shows it: control characters as "?".
QString visible(QString nombre) {
    for (QChar& ch : nombre)
        if (ch.category() == QChar::Other_Control) ch = u'?';
    return nombre;
}

bool igual(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

class Trabajo {
public:
    explicit Trabajo(std::int16_t& hayError)
        : hayError_(hayError), pasos_([this](const vb::VbError& e) { return pregunta(e); }) {}

    void corre(const QString& parametros);

private:
    // Runs one statement under the job's error box; false once the operator left the job.
    bool paso(const std::function<void()>& sentencia) {
        pasos_(sentencia);
        return !pasos_.left();
    }
    int pregunta(const vb::VbError& e) const {
        return ui::op().msgBox(QStringLiteral("Error ") + e.Description + kCrLf +
                                   QStringLiteral("Archivo:") + p_.ARCHIVO + kCrLf +
                                   QStringLiteral("Dest: ") + p_.DIRDESTINO + kCrLf +
                                   QStringLiteral("imagen: ") + linea_ + kCrLf +
                                   QStringLiteral("DirWeb ") + p_.DIRWEB,
                               vb::vbAbortRetryIgnore, QStringLiteral("Atencion"));
    }
    // A local path: the folder of DIRDESTINO (written for Windows or not) and a name.
    QString local(const QString& nombre) const {
        return QString(p_.DIRDESTINO).replace(u'\\', u'/') + nombre;
    }

    void conectar();
    bool bajaTodo();
    bool subeTodo();
    bool subeLista();
    void unArchivo();

    std::int16_t& hayError_;
    vb::Steps pasos_;
    ParametrosFTP p_;
    std::unique_ptr<cFTP> ftp_;
    bool bConectado_ = false;
    QString linea_;
};

void Trabajo::corre(const QString& parametros) {
    hayError_ = -1;
    modFTP::gFTPAutomatico = false;
    if (vb::Trim(parametros).isEmpty()) {
        transfer::ventanas().MuestraFrmMainFTP();
        return;
    }
    modFTP::gFTPAutomatico = true;
    LeeParametros(parametros, p_, pasos_);
    if (pasos_.left()) return;
    ftp_ = std::make_unique<cFTP>();
    ftp_->pProxyName = p_.PROXY;
    ftp_->pProxyPass = p_.PROXYPASS;
    ftp_->SetModePassive();
    ftp_->SetTransferBinary();
    if (!paso([&] { conectar(); })) return;

    if (bConectado_) {
        bool sigue = true;
        if (igual(p_.ARCHIVO, QStringLiteral("TODOS")))
            sigue = igual(p_.DOWNLOAD, QStringLiteral("SI")) ? bajaTodo() : subeTodo();
        else if (igual(p_.ARCHIVO, QStringLiteral("ComandosI.txt")))
            sigue = subeLista();
        else
            sigue = paso([&] { unArchivo(); });
        if (!sigue) return;
    }
    popup(1);
    transfer::ventanas().DescargaFrmMainFTP();
    ftp_.reset();
}

void Trabajo::conectar() {
    bConectado_ = false;
    if (ftp_->OpenConnection(p_.SERVER, p_.USUARIO, p_.PASSWORD, p_.PUERTO)) {
        bConectado_ = true;
    } else if (!vb::Trim(gServidorFTPAlternativo).isEmpty()) {
        p_.SERVER = gServidorFTPAlternativo;
        bConectado_ = ftp_->OpenConnection(p_.SERVER, p_.USUARIO, p_.PASSWORD, p_.PUERTO);
    }
    if (!bConectado_) return;
    if (vb::Trim(p_.DIRWEB).isEmpty())
        p_.DIRWEB = QStringLiteral("/");
    else if (vb::Left(p_.DIRWEB, 1) != QLatin1String("/"))
        p_.DIRWEB = u'/' + p_.DIRWEB;
    ftp_->FtpCreaArbolDirectorios(p_.DIRWEB);
    ftp_->SetFTPDirectory(p_.DIRWEB);
    // An empty DIRDESTINO is the current folder, which is there.
    const QString carpeta = local(QString());
    if (!carpeta.isEmpty() && !QFileInfo::exists(carpeta) && !QDir().mkdir(carpeta))
        vb::raise(vb::err::PathNotFound, QStringLiteral("VORARo"));
}

bool Trabajo::bajaTodo() {
    if (!paso([&] { ftp_->GetDirectoryListing(QStringLiteral("*.*")); })) return false;
    // A name the server listed twice (in another case) would land on the same local file:
    // each is told, and the first spelling is downloaded.
    for (const QString& repetido : ftp_->NombresRepetidos()) {
        linea_ = visible(repetido);
        if (!paso([] { vb::raise(vb::err::DuplicateKey, QStringLiteral("VORARo")); }))
            return false;
    }
    for (const cDirItem& item : ftp_->Directory()) {
        if (item.Directory) continue;
        const QString nombre = vb::Trim(item.Filename);
        // The server names the local file: one that would leave the destination folder is
        // refused and told, and the job goes on with the others.
        if (!modFTP::NombreLocalValido(nombre)) {
            linea_ = visible(nombre);
            if (!paso([] {
                    throw vb::VbError(kNombreInvalido, QStringLiteral("Bad file name or number"),
                                      QStringLiteral("VORARo"));
                }))
                return false;
            continue;
        }
        ftp_->FTPDownloadFile(local(nombre), nombre);
    }
    return true;
}

bool Trabajo::subeTodo() {
    QStringList archivos;
    if (!paso([&] {
            archivos = QDir(local(QString()))
                           .entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
        }))
        return false;
    for (const QString& nombre : archivos) {
        leyendas(kSubiendo, QStringLiteral("Subiendo Información"),
                 QStringLiteral("Subiendo ") + nombre);
        popup(0);
        ui::op().doEvents();
        if (!ftp_->FTPUploadFile(local(nombre), nombre)) {
            leyendas(kSubiendo, QStringLiteral("Subiendo "),
                     QStringLiteral("** FALLO  ") + nombre);
            if (!paso([&] { conectar(); })) return false;
            if (bConectado_) ftp_->FTPUploadFile(local(nombre), nombre);
            popup(0);
        }
        ui::op().doEvents();
    }
    return true;
}

bool Trabajo::subeLista() {
    p_.ARCHIVO = vendrix::programFile(p_.ARCHIVO);
    QStringList lineas;
    if (!paso([&] {
            auto leidas = vb::readTextLines(p_.ARCHIVO);
            if (!leidas) vb::raise(vb::err::FileNotFound, QStringLiteral("VORARo"));
            lineas = *leidas;
        }))
        return false;
    const int j = static_cast<int>(lineas.size());
    for (int i = 1; i <= j; ++i) {
        linea_ = lineas[i - 1];
        if (linea_.isEmpty()) continue;
        const QString titulo = QStringLiteral("Subiendo %1 de %2").arg(i).arg(j);
        leyendas(kSubiendo, titulo, QStringLiteral("Subiendo ") + linea_);
        popup(0);
        ui::op().doEvents();
        if (ftp_->FTPUploadFile(local(linea_), linea_)) {
            hayError_ = 0;
        } else {
            leyendas(kSubiendo, titulo, QStringLiteral("** FALLO  ") + linea_);
            if (!paso([&] { conectar(); })) return false;
            if (bConectado_) {
                leyendas(kSubiendo, titulo, QStringLiteral("** REINTENTANDO  ") + linea_);
                if (ftp_->FTPUploadFile(local(linea_), linea_)) {
                    hayError_ = 0;
                    leyendas(kSubiendo, titulo, QStringLiteral("** OK  ") + linea_);
                }
            }
            popup(0);
        }
        ui::op().doEvents();
    }
    return true;
}

void Trabajo::unArchivo() {
    if (igual(p_.DOWNLOAD, QStringLiteral("SI"))) {
        leyendas(QStringLiteral("||FTP Descargando||"), QStringLiteral("Descargando Información"),
                 QStringLiteral("Descargando ") + p_.ARCHIVO);
        popup(0);
        ftp_->FTPDownloadFile(local(p_.ARCHIVO), p_.ARCHIVO);
    } else if (igual(p_.DOWNLOAD, QStringLiteral("NO"))) {
        leyendas(kSubiendo, QStringLiteral("Subiendo Información"),
                 QStringLiteral("Subiendo ") + p_.ARCHIVO);
        popup(0);
        ftp_->FTPUploadFile(local(p_.ARCHIVO), p_.ARCHIVO);
    } else if (igual(p_.DOWNLOAD, QStringLiteral("BORRAR"))) {
        ftp_->DeleteFTPFile(p_.ARCHIVO);
    }
}

}  // namespace

QString BuscaValor(const QString& parametros, const QString& clave) {
    if (clave.isEmpty()) return {};
    // The key is matched whole: it starts an entry (the string's start or just after a
    // ";") and no letter, digit or "_" follows it, so PROXY never reads PROXYPASS and a
    // value that holds a key's text is not taken for that key.
    int donde = 0;
    for (int desde = 1;;) {
        donde = vb::InStr(desde, parametros, clave, vb::Compare::Text);
        if (donde == 0) return {};
        const int tras = donde + static_cast<int>(clave.size());
        const bool empieza = donde == 1 || parametros[donde - 2] == u';';
        const bool termina =
            tras > parametros.size() ||
            !(parametros[tras - 1].isLetterOrNumber() || parametros[tras - 1] == u'_');
        if (empieza && termina) break;
        desde = donde + 1;
    }
    const int p = donde + static_cast<int>(clave.size());
    const int fin = vb::InStr(p, parametros, QStringLiteral(";"));
    // The character at p (the "=") is skipped whatever it is.
    const int largo = fin - p - 1;
    if (fin == 0 || largo < 0) vb::raise(vb::err::InvalidProcedureCall, QStringLiteral("VORARo"));
    return vb::Mid(parametros, p + 1, largo);
}

void LeeParametros(const QString& parametros, ParametrosFTP& p, vb::Steps& pasos) {
    const std::pair<const char*, QString*> claves[] = {
        {"DOWNLOAD", &p.DOWNLOAD},   {"SERVER", &p.SERVER},         {"USUARIO", &p.USUARIO},
        {"PASSWORD", &p.PASSWORD},   {"PUERTO", &p.PUERTO},         {"ARCHIVO", &p.ARCHIVO},
        {"DIRWEB", &p.DIRWEB},       {"DIRDESTINO", &p.DIRDESTINO}, {"PROXY", &p.PROXY},
        {"PROXYPASS", &p.PROXYPASS},
    };
    for (const auto& clave : claves) {
        pasos([&] { *clave.second = BuscaValor(parametros, QLatin1String(clave.first)); });
        if (pasos.left()) return;
    }
    if (vb::Trim(p.PUERTO).isEmpty()) p.PUERTO = QStringLiteral("21");
}

void EjecutaFTP(const QString& parametros, std::int16_t& hayError) {
    Trabajo(hayError).corre(parametros);
}

}  // namespace VORARo
