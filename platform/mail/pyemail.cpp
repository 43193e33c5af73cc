#include "platform/mail/pyemail.h"

#include "platform/mail/headers.h"
#include "platform/ui/operator.h"
#include "platform/vb/vberror.h"

#include <QByteArrayList>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QMimeDatabase>
#include <QUuid>

#include <curl/curl.h>

#include <algorithm>
#include <mutex>

#include <sys/socket.h>

namespace mail {

namespace {

const QString kSource = QStringLiteral("PyEmail");

void initCurl() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

size_t discard(char*, size_t size, size_t count, void*) {
    return size * count;
}

struct SList {
    curl_slist* list = nullptr;
    ~SList() { curl_slist_free_all(list); }
    void append(const QByteArray& line) { list = curl_slist_append(list, line.constData()); }
};

struct Mime {
    curl_mime* mime;
    explicit Mime(CURL* curl) : mime(curl_mime_init(curl)) {}
    ~Mime() { curl_mime_free(mime); }
};

struct Attachment {
    QString fileName;
    QString mimeType;
    QByteArray bytes;
};

// The mail being built between Crear and Enviar.
struct Draft {
    bool started = false;
    std::optional<Address> from, replyTo;
    QList<Address> to;
    QString subject, text, html;
    QList<Attachment> files;
};

void addBody(curl_mime* into, const QByteArray& body, const char* type) {
    curl_mimepart* part = curl_mime_addpart(into);
    curl_mime_data(part, body.constData(), static_cast<size_t>(body.size()));
    curl_mime_type(part, type);
    curl_mime_encoder(part, "quoted-printable");
}

}  // namespace

Security securityForPort(int port) {
    switch (port) {
        case 465:
            return Security::ImplicitTls;
        case 587:
            return Security::StartTlsRequired;
        default:
            return Security::StartTlsIfOffered;
    }
}

struct PyEmail::Impl {
    Settings settings;
    CURL* curl = nullptr;
    bool connected = false;
    ConnectFailure connectFailure = ConnectFailure::None;
    std::function<bool()> cancelled;
    Draft draft;
    char errorText[CURL_ERROR_SIZE] = {};

    // Called by libcurl at every stage of the exchange (connection, TLS, login, upload, the
    // wait for each answer), at least once a second while it waits on the network, so the
    // interface keeps answering and the operator can stop the exchange there and then.
    static int progress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
        auto* d = static_cast<Impl*>(self);
        // Nothing may cross back into libcurl: a failure here lets the transfer go on.
        try {
            ui::op().doEvents();
        } catch (...) {
        }
        bool stop = false;
        try {
            stop = d->cancelled && d->cancelled();
        } catch (...) {
        }
        return stop ? 1 : 0;
    }

    // A stopped exchange may leave the connection in the middle of a reply: it is cut here,
    // so that nothing later (the farewell as the handle closes) waits on it.
    void abandonConnection() {
        curl_socket_t socket = CURL_SOCKET_BAD;
        if (curl_easy_getinfo(curl, CURLINFO_ACTIVESOCKET, &socket) == CURLE_OK &&
            socket != CURL_SOCKET_BAD)
            ::shutdown(socket, SHUT_RDWR);
        connected = false;
    }

    CURLcode perform() {
        errorText[0] = '\0';
        return curl_easy_perform(curl);
    }

    QString failure(CURLcode code) const {
        return QString::fromUtf8(errorText[0] ? errorText : curl_easy_strerror(code));
    }

    // The message's body: text and HTML as alternatives, then every attached file.
    void buildBody(curl_mime* root) {
        const QByteArray text = crlfText(draft.text), html = crlfText(draft.html);
        if (!text.isEmpty() && !html.isEmpty()) {
            curl_mime* alternatives = curl_mime_init(curl);
            addBody(alternatives, text, "text/plain; charset=UTF-8");
            addBody(alternatives, html, "text/html; charset=UTF-8");
            curl_mimepart* part = curl_mime_addpart(root);
            if (curl_mime_subparts(part, alternatives) != CURLE_OK) curl_mime_free(alternatives);
            curl_mime_type(part, "multipart/alternative");
        } else if (!html.isEmpty()) {
            addBody(root, html, "text/html; charset=UTF-8");
        } else {
            addBody(root, text, "text/plain; charset=UTF-8");
        }
        for (const Attachment& file : draft.files) {
            curl_mimepart* part = curl_mime_addpart(root);
            curl_mime_data(part, file.bytes.constData(), static_cast<size_t>(file.bytes.size()));
            curl_mime_type(part, attachmentType(file.mimeType, file.fileName).constData());
            curl_mime_encoder(part, "base64");
            SList headers;
            headers.append("Content-Disposition: " + attachmentDisposition(file.fileName));
            if (curl_mime_headers(part, headers.list, 1) == CURLE_OK) headers.list = nullptr;
        }
    }

    void buildHeaders(SList& headers) const {
        QByteArrayList to;
        for (const Address& a : draft.to) to << headerAddress(a);
        const QString domain = draft.from->address.section(QLatin1Char('@'), -1);
        headers.append("Date: " + headerDate(ui::clock().instant()));
        headers.append("From: " + headerAddress(*draft.from));
        if (draft.replyTo) headers.append("Reply-To: " + headerAddress(*draft.replyTo));
        headers.append("To: " + to.join(", "));
        headers.append("Subject: " + headerText(draft.subject));
        headers.append("Message-ID: <" + QUuid::createUuid().toByteArray(QUuid::WithoutBraces) +
                       '@' + domain.toUtf8() + '>');
    }
};

PyEmail::PyEmail(Settings settings) : d(std::make_unique<Impl>()) {
    initCurl();
    d->settings = std::move(settings);
    d->curl = curl_easy_init();
    CURL* c = d->curl;
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
    // Mail goes straight to its server, whatever proxy the environment names for other traffic.
    curl_easy_setopt(c, CURLOPT_PROXY, "");
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(d->settings.connectTimeout.count()));
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, static_cast<long>(d->settings.totalTimeout.count()));
    // Each reply is awaited at most a minute; this also bounds the farewell when the handle
    // closes its connection, where no other limit applies.
    const auto replyWait =
        std::min<std::chrono::milliseconds>(d->settings.totalTimeout, std::chrono::minutes(1));
    curl_easy_setopt(c, CURLOPT_SERVER_RESPONSE_TIMEOUT,
                     std::max(1L, static_cast<long>(replyWait.count() / 1000)));
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!d->settings.caFile.isEmpty())
        curl_easy_setopt(c, CURLOPT_CAINFO, QFile::encodeName(d->settings.caFile).constData());
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, d->errorText);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, discard);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, &Impl::progress);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, d.get());
}

PyEmail::~PyEmail() {
    curl_easy_cleanup(d->curl);
}

bool PyEmail::Conectar(const QString& host, const QString& login, const QString& password,
                       int port) {
    d->connected = false;
    d->connectFailure = ConnectFailure::Failed;
    const QString server = withoutLineBreaks(host).trimmed();
    if (server.isEmpty() || port <= 0 || port > 65535) return false;
    Security security = d->settings.security.value_or(securityForPort(port));
    // A login and its password never travel in clear, whoever strips the server's offer.
    if (!login.isEmpty() && security == Security::StartTlsIfOffered)
        security = Security::StartTlsRequired;
    const QString name = server.contains(QLatin1Char(':')) ? '[' + server + ']' : server;
    const QByteArray url = QStringLiteral("%1://%2:%3")
                               .arg(security == Security::ImplicitTls ? "smtps" : "smtp", name)
                               .arg(port)
                               .toUtf8();
    CURL* c = d->curl;
    curl_easy_setopt(c, CURLOPT_URL, url.constData());
    curl_easy_setopt(c, CURLOPT_USE_SSL,
                     security == Security::StartTlsIfOffered ? static_cast<long>(CURLUSESSL_TRY)
                                                             : static_cast<long>(CURLUSESSL_ALL));
    const QByteArray user = login.toUtf8(), secret = password.toUtf8();
    curl_easy_setopt(c, CURLOPT_USERNAME, login.isEmpty() ? nullptr : user.constData());
    curl_easy_setopt(c, CURLOPT_PASSWORD, login.isEmpty() ? nullptr : secret.constData());

    // A NOOP opens the connection, secures it and logs in; the connection then stays open in
    // the handle for the mails that follow.
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT, nullptr);
    curl_easy_setopt(c, CURLOPT_MIMEPOST, nullptr);
    curl_easy_setopt(c, CURLOPT_CUSTOMREQUEST, "NOOP");
    const CURLcode result = d->perform();
    curl_easy_setopt(c, CURLOPT_CUSTOMREQUEST, nullptr);
    d->connected = result == CURLE_OK;
    switch (result) {
        case CURLE_OK:
            d->connectFailure = ConnectFailure::None;
            break;
        case CURLE_USE_SSL_FAILED:
            d->connectFailure = ConnectFailure::NoTls;
            break;
        case CURLE_LOGIN_DENIED:
            d->connectFailure = ConnectFailure::LoginRefused;
            break;
        case CURLE_ABORTED_BY_CALLBACK:
            d->connectFailure = ConnectFailure::Cancelled;
            d->abandonConnection();
            break;
        default:
            d->connectFailure = ConnectFailure::Failed;
            break;
    }
    return d->connected;
}

ConnectFailure PyEmail::lastConnectFailure() const {
    return d->connectFailure;
}

void PyEmail::setCancelCheck(std::function<bool()> cancelled) {
    d->cancelled = std::move(cancelled);
}

bool PyEmail::Crear() {
    d->draft = Draft{};
    d->draft.started = d->connected;
    return d->draft.started;
}

void PyEmail::Remitente(const QString& address) {
    d->draft.from = parseAddress(address);
}

void PyEmail::ResponderA(const QString& address) {
    d->draft.replyTo = parseAddress(address);
}

bool PyEmail::AgregarDestinatario(const QString& address) {
    const std::optional<Address> parsed = parseAddress(address);
    if (!parsed) return false;
    d->draft.to.append(*parsed);
    return true;
}

void PyEmail::Motivo(const QString& subject) {
    d->draft.subject = subject;
}

void PyEmail::MensajeTexto(const QString& text) {
    d->draft.text = text;
}

void PyEmail::MensajeHTML(const QString& html) {
    d->draft.html = html;
}

bool PyEmail::Adjuntar(const QString& path) {
    if (!d->draft.started) return false;
    const QFileInfo info(path);
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) return false;
    Attachment attachment;
    attachment.bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) return false;
    attachment.fileName = info.fileName();
    const QMimeType type = QMimeDatabase().mimeTypeForFile(info, QMimeDatabase::MatchExtension);
    attachment.mimeType =
        type.isValid() ? type.name() : QStringLiteral("application/octet-stream");
    d->draft.files.append(std::move(attachment));
    return true;
}

bool PyEmail::Enviar() {
    const Draft& draft = d->draft;
    if (!draft.started || !draft.from || draft.to.isEmpty())
        throw vb::VbError(err::MissingData,
                          QStringLiteral("Faltan el remitente o los destinatarios del correo"),
                          kSource);

    SList recipients, headers;
    for (const Address& a : draft.to) recipients.append('<' + a.address.toUtf8() + '>');
    d->buildHeaders(headers);
    Mime body(d->curl);
    d->buildBody(body.mime);

    CURL* c = d->curl;
    const QByteArray from = '<' + draft.from->address.toUtf8() + '>';
    curl_easy_setopt(c, CURLOPT_MAIL_FROM, from.constData());
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT, recipients.list);
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.list);
    curl_easy_setopt(c, CURLOPT_MIMEPOST, body.mime);
    const CURLcode result = d->perform();
    curl_easy_setopt(c, CURLOPT_MIMEPOST, nullptr);
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, nullptr);
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT, nullptr);
    if (result == CURLE_OK) return true;

    if (result == CURLE_ABORTED_BY_CALLBACK) {
        d->abandonConnection();
        throw vb::VbError(err::Cancelled, QStringLiteral("El envío del correo fue cancelado"),
                          kSource);
    }

    if (result == CURLE_LOGIN_DENIED)
        throw vb::VbError(err::LoginRefused,
                          "El servidor de correo rechazó la cuenta: " + d->failure(result),
                          kSource);
    // A reply of 400 or more is the server refusing this mail; anything else is the network.
    long reply = 0;
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &reply);
    if (reply >= 400) return false;
    throw vb::VbError(err::NoConnection,
                      "No se pudo comunicar con el servidor de correo: " + d->failure(result),
                      kSource);
}

}  // namespace mail
