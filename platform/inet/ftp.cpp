#include "platform/inet/ftp.h"

#include "platform/ui/operator.h"
#include "platform/vb/datetime.h"
#include "platform/vb/safefile.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <mutex>

namespace inet {

namespace {

void initCurl() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// A download keeps at most this much read ahead of its reader before it pauses.
constexpr qsizetype kReadAhead = 256 * 1024;

// Seconds from 1 January 1601 to 1 January 1970, both UTC.
constexpr std::int64_t kEpochSeconds = 11644473600LL;

std::uint64_t fileTimeOf(const QDateTime& utc) {
    if (!utc.isValid()) return 0;
    const std::int64_t ms = utc.toMSecsSinceEpoch() + kEpochSeconds * 1000;
    return ms < 0 ? 0 : static_cast<std::uint64_t>(ms) * 10000;
}

// A name goes into an FTP command line as it is: a line end in it would start another
// command.
bool validName(const QString& name) {
    return !name.contains(u'\r') && !name.contains(u'\n') && !name.contains(QChar(0));
}

bool validHost(const QString& host) {
    static const QRegularExpression ok(QStringLiteral("^[A-Za-z0-9._:-]+$"));
    return ok.match(host).hasMatch();
}

// `name` taken against the folder `cwd`, as an absolute path with "." and ".." worked out.
QString resolve(const QString& cwd, const QString& name) {
    const QString full = name.startsWith(u'/') ? name : cwd + u'/' + name;
    QStringList parts;
    for (const QString& part : full.split(u'/', Qt::SkipEmptyParts)) {
        if (part == QLatin1String(".")) continue;
        if (part == QLatin1String("..")) {
            if (!parts.isEmpty()) parts.removeLast();
            continue;
        }
        parts << part;
    }
    return u'/' + parts.join(u'/');
}

bool matchesPattern(const QString& name, const QString& pattern) {
    if (pattern == QLatin1String("*") || pattern == QLatin1String("*.*")) return true;
    if (!pattern.contains(u'*') && !pattern.contains(u'?')) return name == pattern;
    QString re = QStringLiteral("^");
    for (const QChar c : pattern) {
        if (c == u'*')
            re += QStringLiteral(".*");
        else if (c == u'?')
            re += u'.';
        else
            re += QRegularExpression::escape(QString(c));
    }
    re += u'$';
    return QRegularExpression(re, QRegularExpression::CaseInsensitiveOption)
        .match(name)
        .hasMatch();
}

size_t discard(char*, size_t size, size_t count, void*) {
    return size * count;
}

size_t collect(char* data, size_t size, size_t count, void* user) {
    static_cast<QByteArray*>(user)->append(data, static_cast<qsizetype>(size * count));
    return size * count;
}

struct SList {
    curl_slist* list = nullptr;
    ~SList() { curl_slist_free_all(list); }
    void append(const QByteArray& line) { list = curl_slist_append(list, line.constData()); }
};

}  // namespace

QString errorMessage(std::uint32_t code) {
    switch (code) {
        case err::Timeout:
            return QStringLiteral("Se agotó el tiempo de espera de la operación");
        case err::ExtendedError:
            return QStringLiteral("El servidor devolvió información ampliada");
        case err::InternalError:
            return QStringLiteral("Se produjo un error interno");
        case err::NameNotResolved:
            return QStringLiteral("No se pudo resolver el nombre o la dirección del servidor");
        case err::CannotConnect:
            return QStringLiteral("No se puede establecer una conexión con el servidor");
        case err::ConnectionAborted:
            return QStringLiteral("La conexión con el servidor terminó de forma anormal");
        case err::TransferInProgress:
            return QStringLiteral(
                "No se puede realizar la operación porque hay otra operación en curso");
        default:
            return {};
    }
}

// What a download has brought so far, to tell a whole file from one the server ended early.
struct Received {
    bool text = false;
    std::uint64_t bytes = 0;
    std::uint64_t lineEnds = 0;
    void add(const char* data, size_t size) {
        bytes += size;
        if (text) lineEnds += static_cast<std::uint64_t>(std::count(data, data + size, '\n'));
    }
};

// One libcurl transfer on the session's multi handle.
struct Transfer {
    CURLM* multi = nullptr;
    CURL* easy = nullptr;
    bool added = false;
    bool finished = false;
    bool stalled = false;
    CURLcode result = CURLE_OK;

    ~Transfer() { release(); }
    void release() {
        if (added) curl_multi_remove_handle(multi, easy);
        added = false;
        if (easy) curl_easy_cleanup(easy);
        easy = nullptr;
    }
    // Made ready for the same transfer once more.
    void reset() {
        release();
        finished = stalled = false;
        result = CURLE_OK;
    }
    bool ok() const { return finished && !stalled && result == CURLE_OK; }
};

struct FtpSession::Impl {
    Options options;
    CURLM* multi = nullptr;
    bool connected = false;
    bool busy = false;
    FtpFile::Impl* open = nullptr;

    QString host;
    int port = 21;
    QByteArray user, password;
    bool passive = true;
    QString cwd = QStringLiteral("/");

    std::uint32_t lastError = 0;
    QString lastResponse;
    int replyCode = 0;    // of the last complete reply within the current call
    QByteArray sentVerb;  // of the last command sent ("SIZE", "RETR"…), never its argument
    QByteArray partialReply;
    QStringList replyLines;
    QElapsedTimer activity;

    ~Impl() { closeMulti(); }

    void closeMulti() {
        if (multi) curl_multi_cleanup(multi);
        multi = nullptr;
        connected = false;
    }

    static int debug(CURL*, curl_infotype type, char* data, size_t size, void* user) {
        auto* d = static_cast<Impl*>(user);
        d->activity.restart();
        // Of what the client sends (the password among it) only the command's verb is kept.
        if (type == CURLINFO_HEADER_IN)
            d->replyText(QByteArray(data, static_cast<qsizetype>(size)));
        else if (type == CURLINFO_HEADER_OUT)
            d->sentVerb =
                QByteArray(data, static_cast<qsizetype>(size)).split(' ').first().trimmed();
        return 0;
    }

    // Before a binary download libcurl asks the file's SIZE, and takes a "550" to it for a
    // missing file; some servers refuse SIZE so for every file. The download is then made
    // again without asking: the file's end is where the server ends it, and a transfer cut
    // short still fails by the server's final reply.
    bool sizeRefused(const Transfer& t) const {
        return t.finished && t.result == CURLE_REMOTE_FILE_NOT_FOUND && sentVerb == "SIZE";
    }

    void replyText(const QByteArray& bytes) {
        partialReply += bytes;
        qsizetype end;
        while ((end = partialReply.indexOf('\n')) >= 0) {
            QByteArray line = partialReply.left(end);
            partialReply.remove(0, end + 1);
            if (line.endsWith('\r')) line.chop(1);
            replyLines << QString::fromUtf8(line);
            // "ddd text" ends a reply; "ddd-text" and other lines continue it.
            const bool last = line.size() >= 3 &&
                              std::isdigit(static_cast<unsigned char>(line[0])) &&
                              std::isdigit(static_cast<unsigned char>(line[1])) &&
                              std::isdigit(static_cast<unsigned char>(line[2])) &&
                              (line.size() == 3 || line[3] == ' ');
            if (last) {
                replyCode = line.left(3).toInt();
                lastResponse = replyLines.join(QStringLiteral("\r\n"));
                replyLines.clear();
            }
        }
    }

    QByteArray baseUrl() const {
        const QString h = host.contains(u':') ? u'[' + host + u']' : host;
        return "ftp://" + h.toUtf8() + ':' + QByteArray::number(port) + '/';
    }

    // The URL of an absolute remote path; folders end in "/".
    QByteArray url(const QString& path, bool folder) const {
        QByteArrayList segments;
        for (const QString& part : path.split(u'/', Qt::SkipEmptyParts))
            segments << QUrl::toPercentEncoding(part);
        // "%2F" makes the path start at the server's root, whatever the login folder.
        QByteArray u = baseUrl() + "%2F" + segments.join('/');
        if (folder) u += '/';
        return u;
    }

    CURL* newEasy(const QByteArray& url) {
        CURL* e = curl_easy_init();
        curl_easy_setopt(e, CURLOPT_URL, url.constData());
        curl_easy_setopt(e, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(e, CURLOPT_PASSWORD, password.constData());
        curl_easy_setopt(e, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_NOCWD));
        curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS,
                         static_cast<long>(options.connectTimeout.count()));
        curl_easy_setopt(e, CURLOPT_VERBOSE, 1L);
        curl_easy_setopt(e, CURLOPT_DEBUGFUNCTION, &Impl::debug);
        curl_easy_setopt(e, CURLOPT_DEBUGDATA, this);
        curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &discard);
        if (!passive) curl_easy_setopt(e, CURLOPT_FTPPORT, "-");
        return e;
    }

    // A call may start: connected, and no other call or open file under way.
    bool begin() {
        if (busy || open) {
            lastError = err::TransferInProgress;
            return false;
        }
        if (!connected) {
            lastError = err::InvalidHandle;
            return false;
        }
        return true;
    }

    void start(Transfer& t, CURL* easy) {
        t.multi = multi;
        t.easy = easy;
        replyCode = 0;
        curl_multi_add_handle(multi, easy);
        t.added = true;
    }

    // Drives the transfer until it ends or `until` holds, letting the interface run
    // meanwhile; a server silent for longer than the stall limit ends it.
    void run(Transfer& t, const std::function<bool()>& until = {}) {
        activity.restart();
        const bool wasBusy = busy;
        busy = true;
        for (;;) {
            int running = 0;
            curl_multi_perform(multi, &running);
            int left = 0;
            while (CURLMsg* m = curl_multi_info_read(multi, &left)) {
                if (m->msg == CURLMSG_DONE && m->easy_handle == t.easy) {
                    t.finished = true;
                    t.result = m->data.result;
                }
            }
            if (t.finished || (until && until())) break;
            if (activity.elapsed() > options.stallTimeout.count()) {
                t.finished = true;
                t.stalled = true;
                t.release();
                break;
            }
            curl_multi_poll(multi, nullptr, 0, 20, nullptr);
            try {
                ui::op().doEvents();
            } catch (...) {
                // The transfer goes on whatever an event handler did.
            }
        }
        busy = wasBusy;
    }

    std::uint32_t failureCode(const Transfer& t) const {
        if (t.stalled) return err::Timeout;
        switch (t.result) {
            case CURLE_COULDNT_RESOLVE_HOST:
                return err::NameNotResolved;
            case CURLE_COULDNT_CONNECT:
                return err::CannotConnect;
            case CURLE_OPERATION_TIMEDOUT:
                return err::Timeout;
            default:
                break;
        }
        if (replyCode >= 400) return err::ExtendedError;
        switch (t.result) {
            case CURLE_RECV_ERROR:
            case CURLE_SEND_ERROR:
            case CURLE_GOT_NOTHING:
            case CURLE_PARTIAL_FILE:
            case CURLE_FTP_ACCEPT_FAILED:
            case CURLE_FTP_ACCEPT_TIMEOUT:
                return err::ConnectionAborted;
            default:
                return err::InternalError;
        }
    }

    bool fail(const Transfer& t) {
        lastError = failureCode(t);
        return false;
    }

    // Runs commands on the control connection, in order; the first refused ends the call.
    // Each goes alone and marked "*", so that libcurl keeps the connection when the server
    // refuses it; the reply then tells.
    bool commands(const QList<QString>& lines) {
        if (!begin()) return false;
        for (const QString& line : lines) {
            SList quote;
            quote.append('*' + line.toUtf8());
            Transfer t;
            CURL* e = newEasy(baseUrl());
            curl_easy_setopt(e, CURLOPT_NOBODY, 1L);
            curl_easy_setopt(e, CURLOPT_QUOTE, quote.list);
            start(t, e);
            run(t);
            if (!t.ok()) return fail(t);
            if (replyCode >= 400) {
                lastError = err::ExtendedError;
                return false;
            }
        }
        return true;
    }

    // The entries of a folder, in the machine format or, from a server without it, through
    // LIST; nothing when the listing failed.
    std::optional<QList<FindData>> entries(const QString& folder) {
        if (auto body = listing(folder, "MLSD")) return parseMachineListing(*body);
        // A server without the machine format answers "not understood": its LIST then.
        if (replyCode < 500 || replyCode > 502) return std::nullopt;
        auto text = listing(folder, nullptr);
        if (!text) return std::nullopt;
        return parseListing(*text, QDate::currentDate().year());
    }

    // The size the folder's listing gives the file at the absolute `path`, none when it does
    // not show it; false when the listing failed (its failure then in lastError).
    bool listedSize(const QString& path, std::optional<std::uint64_t>& size) {
        const qsizetype slash = path.lastIndexOf(u'/');
        const auto found = entries(path.left(slash + 1));
        if (!found) return false;
        size.reset();
        const QString name = path.mid(slash + 1);
        for (const FindData& e : *found)
            if (e.fileName == name && !(e.attributes & attr::Directory)) size = e.size;
        return true;
    }

    // Whether a download the server called complete brought the listed size. A text transfer
    // sends each line end as CR LF and libcurl hands it on as LF, so a whole text file may come
    // up to one byte a line short of its listed size; less than that is a file ended early. A
    // file the listing did not show cannot be told whole.
    bool whole(const Received& got, const std::optional<std::uint64_t>& listed) {
        if (listed && got.bytes + got.lineEnds >= *listed) return true;
        lastError = listed ? err::ConnectionAborted : err::InternalError;
        return false;
    }

    // The body of a listing command on a folder; nothing when it failed.
    std::optional<QByteArray> listing(const QString& folder, const char* command) {
        QByteArray body;
        Transfer t;
        CURL* e = newEasy(url(folder, true));
        if (command) curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, command);
        curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &collect);
        curl_easy_setopt(e, CURLOPT_WRITEDATA, &body);
        start(t, e);
        run(t);
        if (!t.ok()) {
            fail(t);
            return std::nullopt;
        }
        return body;
    }
};

struct FtpFile::Impl {
    FtpSession::Impl* s = nullptr;
    FtpSession::Access access = FtpSession::Access::Read;
    Transfer t;
    QByteArray buffer;
    qsizetype wanted = 0;
    bool started = false;
    bool paused = false;
    bool eof = false;
    bool closed = false;
    bool localFailure = false;
    // Set when libcurl cannot check the file's end itself (see FtpSession::openFile).
    bool checkEnd = false;
    std::optional<std::uint64_t> listed;
    Received got;

    static size_t give(char* out, size_t size, size_t count, void* user) {
        auto* f = static_cast<Impl*>(user);
        f->started = true;
        if (f->buffer.isEmpty()) {
            if (f->eof) return 0;
            f->paused = true;
            return CURL_READFUNC_PAUSE;
        }
        const qsizetype n =
            std::min<qsizetype>(static_cast<qsizetype>(size * count), f->buffer.size());
        std::memcpy(out, f->buffer.constData(), static_cast<size_t>(n));
        f->buffer.remove(0, n);
        return static_cast<size_t>(n);
    }

    static size_t take(char* data, size_t size, size_t count, void* user) {
        auto* f = static_cast<Impl*>(user);
        f->started = true;
        if (f->buffer.size() >= std::max(kReadAhead, f->wanted)) {
            f->paused = true;
            return CURL_WRITEFUNC_PAUSE;
        }
        f->buffer.append(data, static_cast<qsizetype>(size * count));
        f->got.add(data, size * count);
        return size * count;
    }

    void resume() {
        if (!paused || !t.easy) return;
        paused = false;
        curl_easy_pause(t.easy, CURLPAUSE_CONT);
    }

    void detach() {
        t.release();
        if (s && s->open == this) s->open = nullptr;
    }
};

FtpSession::FtpSession(QString agent, Options options) : d(std::make_unique<Impl>()) {
    initCurl();
    Q_UNUSED(agent);
    d->options = options;
}

FtpSession::~FtpSession() {
    if (d->open) {
        d->open->t.release();
        d->open->s = nullptr;
    }
}

std::uint32_t FtpSession::lastError() const {
    return d->lastError;
}

QString FtpSession::lastResponseInfo() const {
    return d->lastResponse;
}

bool FtpSession::connect(const QString& server, int port, const QString& user,
                         const QString& password, bool passive) {
    if (d->busy || d->open) {
        d->lastError = err::TransferInProgress;
        return false;
    }
    disconnect();
    if (!validHost(server)) {
        d->lastError = err::NameNotResolved;
        return false;
    }
    if (!validName(user) || !validName(password)) {
        d->lastError = err::InvalidName;
        return false;
    }
    d->host = server;
    d->port = port;
    d->user = user.toUtf8();
    d->password = password.toUtf8();
    d->passive = passive;
    d->multi = curl_multi_init();
    curl_multi_setopt(d->multi, CURLMOPT_MAXCONNECTS, 1L);

    Transfer t;
    CURL* e = d->newEasy(d->baseUrl());
    curl_easy_setopt(e, CURLOPT_NOBODY, 1L);
    d->start(t, e);
    d->run(t);
    if (!t.ok()) {
        d->fail(t);
        t.release();
        d->closeMulti();
        return false;
    }
    char* entry = nullptr;
    curl_easy_getinfo(t.easy, CURLINFO_FTP_ENTRY_PATH, &entry);
    d->cwd = resolve(QStringLiteral("/"), entry ? QString::fromUtf8(entry) : QString());
    d->connected = true;
    return true;
}

void FtpSession::disconnect() {
    if (d->open) d->open->detach();
    d->closeMulti();
}

bool FtpSession::connected() const {
    return d->connected;
}

std::optional<QString> FtpSession::currentDirectory() {
    if (!d->begin()) return std::nullopt;
    return d->cwd;
}

bool FtpSession::setCurrentDirectory(const QString& folder) {
    if (!validName(folder)) {
        d->lastError = err::InvalidName;
        return false;
    }
    const QString target = resolve(d->cwd, folder);
    if (!d->commands({QStringLiteral("CWD ") + target})) return false;
    d->cwd = target;
    return true;
}

bool FtpSession::createDirectory(const QString& folder) {
    if (!validName(folder)) {
        d->lastError = err::InvalidName;
        return false;
    }
    return d->commands({QStringLiteral("MKD ") + resolve(d->cwd, folder)});
}

bool FtpSession::removeDirectory(const QString& folder) {
    if (!validName(folder)) {
        d->lastError = err::InvalidName;
        return false;
    }
    return d->commands({QStringLiteral("RMD ") + resolve(d->cwd, folder)});
}

bool FtpSession::deleteFile(const QString& name) {
    if (!validName(name)) {
        d->lastError = err::InvalidName;
        return false;
    }
    return d->commands({QStringLiteral("DELE ") + resolve(d->cwd, name)});
}

bool FtpSession::renameFile(const QString& from, const QString& to) {
    if (!validName(from) || !validName(to)) {
        d->lastError = err::InvalidName;
        return false;
    }
    return d->commands({QStringLiteral("RNFR ") + resolve(d->cwd, from),
                        QStringLiteral("RNTO ") + resolve(d->cwd, to)});
}

namespace {

size_t readLocal(char* out, size_t size, size_t count, void* user) {
    const qint64 n = static_cast<QFile*>(user)->read(out, static_cast<qint64>(size * count));
    return n < 0 ? CURL_READFUNC_ABORT : static_cast<size_t>(n);
}

struct LocalSink {
    vb::ReplacementFile* file;
    Received* got;
    bool failed = false;
};

size_t writeLocal(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<LocalSink*>(user);
    if (!sink->file->write(QByteArray::fromRawData(data, static_cast<qsizetype>(size * count)))) {
        sink->failed = true;
        return 0;
    }
    sink->got->add(data, size * count);
    return size * count;
}

}  // namespace

bool FtpSession::putFile(const QString& local, const QString& remote, TransferType type) {
    if (!d->begin()) return false;
    if (!validName(remote)) {
        d->lastError = err::InvalidName;
        return false;
    }
    QFile in(local);
    if (!in.open(QIODevice::ReadOnly)) {
        d->lastError = QFileInfo::exists(local) ? err::AccessDenied : err::FileNotFound;
        return false;
    }
    Transfer t;
    CURL* e = d->newEasy(d->url(resolve(d->cwd, remote), false));
    curl_easy_setopt(e, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(e, CURLOPT_READFUNCTION, &readLocal);
    curl_easy_setopt(e, CURLOPT_READDATA, &in);
    curl_easy_setopt(e, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(in.size()));
    if (type == TransferType::Ascii) curl_easy_setopt(e, CURLOPT_TRANSFERTEXT, 1L);
    d->start(t, e);
    d->run(t);
    return t.ok() || d->fail(t);
}

bool FtpSession::getFile(const QString& remote, const QString& local, TransferType type) {
    if (!d->begin()) return false;
    if (!validName(remote)) {
        d->lastError = err::InvalidName;
        return false;
    }
    vb::ReplacementFile out(local);
    if (!out.open()) {
        d->lastError = err::AccessDenied;
        return false;
    }
    const QString path = resolve(d->cwd, remote);
    Received got;
    got.text = type == TransferType::Ascii;
    LocalSink sink{&out, &got};
    Transfer t;
    auto download = [&](bool askSize) {
        CURL* e = d->newEasy(d->url(path, false));
        curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &writeLocal);
        curl_easy_setopt(e, CURLOPT_WRITEDATA, &sink);
        if (type == TransferType::Ascii) curl_easy_setopt(e, CURLOPT_TRANSFERTEXT, 1L);
        if (!askSize) curl_easy_setopt(e, CURLOPT_IGNORE_CONTENT_LENGTH, 1L);
        d->start(t, e);
        d->run(t);
    };
    // libcurl holds a binary download to the file's SIZE; a text one, or one from a server
    // that refuses SIZE, is held to the size the folder's listing gives.
    std::optional<std::uint64_t> listed;
    bool checkEnd = type == TransferType::Ascii;
    if (checkEnd && !d->listedSize(path, listed)) return false;
    download(true);
    if (d->sizeRefused(t)) {
        t.reset();
        checkEnd = true;
        if (!d->listedSize(path, listed)) return false;
        download(false);
    }
    if (sink.failed) {
        d->lastError = err::AccessDenied;
        return false;
    }
    if (!t.ok()) return d->fail(t);
    if (checkEnd && !d->whole(got, listed)) return false;
    if (!out.commit()) {
        d->lastError = err::AccessDenied;
        return false;
    }
    return true;
}

std::optional<QList<FindData>> FtpSession::findFiles(const QString& pattern) {
    if (!d->begin()) return std::nullopt;
    if (!validName(pattern)) {
        d->lastError = err::InvalidName;
        return std::nullopt;
    }
    const qsizetype slash = pattern.lastIndexOf(u'/');
    const QString folder = resolve(d->cwd, slash < 0 ? QString() : pattern.left(slash + 1));
    const QString names = slash < 0 ? pattern : pattern.mid(slash + 1);

    const auto entries = d->entries(folder);
    if (!entries) return std::nullopt;
    QList<FindData> out;
    for (const FindData& entry : *entries)
        if (names.isEmpty() || matchesPattern(entry.fileName, names)) out << entry;
    return out;
}

std::unique_ptr<FtpFile> FtpSession::openFile(const QString& remote, Access access,
                                              TransferType type) {
    if (!d->begin()) return nullptr;
    if (!validName(remote)) {
        d->lastError = err::InvalidName;
        return nullptr;
    }
    const QString path = resolve(d->cwd, remote);
    auto f = std::make_unique<FtpFile::Impl>();
    f->s = d.get();
    f->access = access;
    f->got.text = type == TransferType::Ascii;
    auto open = [&](bool askSize) {
        CURL* e = d->newEasy(d->url(path, false));
        if (access == Access::Write) {
            curl_easy_setopt(e, CURLOPT_UPLOAD, 1L);
            curl_easy_setopt(e, CURLOPT_READFUNCTION, &FtpFile::Impl::give);
            curl_easy_setopt(e, CURLOPT_READDATA, f.get());
        } else {
            curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &FtpFile::Impl::take);
            curl_easy_setopt(e, CURLOPT_WRITEDATA, f.get());
        }
        if (type == TransferType::Ascii) curl_easy_setopt(e, CURLOPT_TRANSFERTEXT, 1L);
        if (!askSize) curl_easy_setopt(e, CURLOPT_IGNORE_CONTENT_LENGTH, 1L);
        d->start(f->t, e);
        // The server has accepted the file once data starts to flow (or an empty file ended).
        d->run(f->t, [&] { return f->started; });
    };
    // As for getFile: a text file, or one whose SIZE is refused, is held to its listed size.
    if (access == Access::Read && type == TransferType::Ascii) {
        f->checkEnd = true;
        if (!d->listedSize(path, f->listed)) return nullptr;
    }
    open(true);
    if (access == Access::Read && d->sizeRefused(f->t)) {
        f->t.reset();
        f->checkEnd = true;
        if (!d->listedSize(path, f->listed)) return nullptr;
        open(false);
    }
    // A file that failed only after its first bytes came (a short one may fail whole before
    // this returns) is open: its reads give what came, then the failure.
    if (f->t.finished && !f->t.ok() && !f->started) {
        d->fail(f->t);
        return nullptr;
    }
    d->open = f.get();
    return std::unique_ptr<FtpFile>(new FtpFile(std::move(f)));
}

FtpFile::FtpFile(std::unique_ptr<Impl> impl) : d(std::move(impl)) {}

FtpFile::~FtpFile() {
    if (d->closed) return;
    d->closed = true;
    d->detach();
}

bool FtpFile::write(const char* data, qint64 size) {
    if (!d->s || d->closed || d->access != FtpSession::Access::Write) return false;
    if (d->t.finished) return d->s->fail(d->t);
    d->buffer.append(data, static_cast<qsizetype>(size));
    d->resume();
    d->s->run(d->t, [&] { return d->buffer.isEmpty(); });
    if (d->t.finished) return d->s->fail(d->t);
    return true;
}

qint64 FtpFile::read(char* data, qint64 size) {
    if (!d->s || d->closed || d->access != FtpSession::Access::Read) return -1;
    d->wanted = static_cast<qsizetype>(size);
    while (d->buffer.size() < size && !d->t.finished) {
        d->resume();
        d->s->run(d->t, [&] { return d->buffer.size() >= size || d->paused; });
    }
    const qsizetype n = std::min<qsizetype>(static_cast<qsizetype>(size), d->buffer.size());
    if (n == 0) {
        if (!d->t.ok()) {
            d->s->fail(d->t);
            return -1;
        }
        return d->checkEnd && !d->s->whole(d->got, d->listed) ? -1 : 0;
    }
    std::memcpy(data, d->buffer.constData(), static_cast<size_t>(n));
    d->buffer.remove(0, n);
    return n;
}

bool FtpFile::close() {
    if (d->closed) return true;
    d->closed = true;
    if (!d->s) return false;
    bool ok = true;
    if (d->access == FtpSession::Access::Write) {
        d->eof = true;
        d->resume();
        d->s->run(d->t);
        ok = d->t.ok() || d->s->fail(d->t);
    } else if (d->t.finished) {
        ok = d->t.ok() ? !d->checkEnd || d->s->whole(d->got, d->listed) : d->s->fail(d->t);
    }
    // A file abandoned before its end takes its connection with it; the next call opens
    // another one with the same login.
    d->detach();
    return ok;
}

// ---- listings ----

namespace {

// "YYYYMMDDHHMMSS[.sss]", a UTC time: read as UTC from the start, since a local reading of
// those fields may be one the machine's clock skips.
std::uint64_t machineTime(const QByteArray& value) {
    const QString digits = QString::fromLatin1(value.left(14));
    const QDateTime t =
        vb::utcInstant(QDate::fromString(digits.left(8), QStringLiteral("yyyyMMdd")),
                       QTime::fromString(digits.mid(8), QStringLiteral("HHmmss")));
    if (!t.isValid()) return 0;
    std::uint64_t ft = fileTimeOf(t);
    // Fractions of a second, when given: ".sss".
    if (value.size() > 15 && value[14] == '.') {
        const QByteArray frac = (value.mid(15) + "000").left(3);
        ft += static_cast<std::uint64_t>(frac.toInt()) * 10000;
    }
    return ft;
}

}  // namespace

QList<FindData> parseMachineListing(const QByteArray& text) {
    QList<FindData> out;
    for (QByteArray line : text.split('\n')) {
        if (line.endsWith('\r')) line.chop(1);
        const qsizetype space = line.indexOf(' ');
        if (space < 0) continue;
        FindData entry;
        entry.fileName = QString::fromUtf8(line.mid(space + 1));
        QByteArray type;
        for (const QByteArray& fact : line.left(space).split(';')) {
            const qsizetype eq = fact.indexOf('=');
            if (eq < 0) continue;
            const QByteArray key = fact.left(eq).toLower();
            const QByteArray value = fact.mid(eq + 1);
            if (key == "type")
                type = value.toLower();
            else if (key == "size" || key == "sizd")
                entry.size = value.toULongLong();
            else if (key == "modify")
                entry.lastWriteTime = machineTime(value);
            else if (key == "create")
                entry.creationTime = machineTime(value);
        }
        if (type == "cdir" || type == "pdir" || entry.fileName.isEmpty()) continue;
        entry.attributes = type == "dir" ? attr::Directory : attr::Normal;
        if (entry.creationTime == 0) entry.creationTime = entry.lastWriteTime;
        entry.lastAccessTime = entry.lastWriteTime;
        out << entry;
    }
    return out;
}

namespace {

const char* const kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                               "jul", "aug", "sep", "oct", "nov", "dec"};

// "drwxr-xr-x 2 owner group 4096 Mar  5 12:30 name", or a year in place of the time; some
// servers leave the group out, so the date is found by its month name.
std::optional<FindData> unixLine(const QString& line, int currentYear) {
    if (line.isEmpty() || !QStringLiteral("-dlbcps").contains(line[0])) return std::nullopt;
    static const QRegularExpression token(QStringLiteral("\\S+"));
    QList<QRegularExpressionMatch> tokens;
    for (auto it = token.globalMatch(line); it.hasNext() && tokens.size() < 9;)
        tokens << it.next();
    for (qsizetype i = 3; i + 3 < tokens.size(); ++i) {
        int month = 0;
        for (int k = 0; k < 12; ++k)
            if (tokens[i].captured().compare(QLatin1String(kMonths[k]), Qt::CaseInsensitive) == 0)
                month = k + 1;
        bool sizeOk = false, dayOk = false;
        const std::uint64_t size = tokens[i - 1].captured().toULongLong(&sizeOk);
        const int day = tokens[i + 1].captured().toInt(&dayOk);
        if (month == 0 || !sizeOk || !dayOk) continue;
        const QString when = tokens[i + 2].captured();
        int year = currentYear;
        QTime time(0, 0);
        if (when.contains(u':')) {
            time = QTime::fromString(when, QStringLiteral("H:mm"));
            // A date shown without its year lies within the last twelve months.
            if (QDate(currentYear, month, day) > QDate::currentDate().addDays(1)) --year;
        } else {
            year = when.toInt();
        }
        if (!time.isValid() || year <= 0) return std::nullopt;
        FindData entry;
        QString name = line.mid(tokens[i + 2].capturedEnd() + 1);
        if (line[0] == u'l') {
            const qsizetype arrow = name.indexOf(QLatin1String(" -> "));
            if (arrow >= 0) name.truncate(arrow);
        }
        entry.fileName = name;
        entry.attributes = line[0] == u'd' ? attr::Directory : attr::Normal;
        entry.size = size;
        const QDateTime stamp = vb::utcInstant(QDate(year, month, day), time);
        entry.lastWriteTime = entry.creationTime = entry.lastAccessTime = fileTimeOf(stamp);
        return entry;
    }
    return std::nullopt;
}

// "03-05-24  12:30PM       <DIR>          name" or "... 1234 name".
std::optional<FindData> dosLine(const QString& line) {
    static const QRegularExpression re(QStringLiteral(
        R"(^(\d{2})-(\d{2})-(\d{2,4})\s+(\d{1,2}):(\d{2})([AaPp][Mm])?\s+(<DIR>|\d+)\s+(.+)$)"));
    const auto m = re.match(line);
    if (!m.hasMatch()) return std::nullopt;
    int year = m.captured(3).toInt();
    if (m.captured(3).size() == 2) year += year < 70 ? 2000 : 1900;
    int hour = m.captured(4).toInt();
    const QString half = m.captured(6).toUpper();
    if (half == QLatin1String("PM") && hour < 12) hour += 12;
    if (half == QLatin1String("AM") && hour == 12) hour = 0;
    FindData entry;
    entry.fileName = m.captured(8);
    const bool dir = m.captured(7) == QLatin1String("<DIR>");
    entry.attributes = dir ? attr::Directory : attr::Normal;
    entry.size = dir ? 0 : m.captured(7).toULongLong();
    const QDateTime when =
        vb::utcInstant(QDate(year, m.captured(1).toInt(), m.captured(2).toInt()),
                       QTime(hour, m.captured(5).toInt()));
    entry.lastWriteTime = entry.creationTime = entry.lastAccessTime = fileTimeOf(when);
    return entry;
}

}  // namespace

QList<FindData> parseListing(const QByteArray& text, int currentYear) {
    QList<FindData> out;
    for (QByteArray bytes : text.split('\n')) {
        if (bytes.endsWith('\r')) bytes.chop(1);
        const QString line = QString::fromUtf8(bytes);
        auto entry = unixLine(line, currentYear);
        if (!entry) entry = dosLine(line);
        if (!entry || entry->fileName == QLatin1String(".") ||
            entry->fileName == QLatin1String(".."))
            continue;
        out << *entry;
    }
    return out;
}

}  // namespace inet
