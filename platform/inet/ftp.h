#pragma once

#include <QList>
#include <QString>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>

// The internet library's FTP calls, over libcurl: a session that holds at most one logged-in
// connection, whole-file and piece-by-piece transfers, folder listings, folders and renames,
// and the number and server reply of the last failure.
namespace inet {

// Numbers of the failures, as callers test them (those of the Windows internet library).
namespace err {
constexpr std::uint32_t FileNotFound = 2;       // a local file that is not there
constexpr std::uint32_t AccessDenied = 5;       // a local file that cannot be read or written
constexpr std::uint32_t InvalidHandle = 6;      // no connection
constexpr std::uint32_t NoMoreFiles = 18;       // a search that found nothing
constexpr std::uint32_t InvalidName = 123;      // a name that cannot go into an FTP command
constexpr std::uint32_t Timeout = 12002;        // the server stopped answering
constexpr std::uint32_t ExtendedError = 12003;  // the server refused: see lastResponseInfo
constexpr std::uint32_t InternalError = 12004;
constexpr std::uint32_t NameNotResolved = 12007;
constexpr std::uint32_t CannotConnect = 12029;
constexpr std::uint32_t ConnectionAborted = 12030;
constexpr std::uint32_t TransferInProgress = 12110;  // a file is open, or a call is running
}  // namespace err

// The message table's text for a failure number; empty for a number it has no text for.
QString errorMessage(std::uint32_t code);

enum class TransferType { Ascii = 1, Binary = 2 };

// File attribute bits of a listing entry.
namespace attr {
constexpr std::uint32_t Directory = 0x10;
constexpr std::uint32_t Normal = 0x80;
}  // namespace attr

// One entry of a remote folder. Times are file times: 100-nanosecond intervals since
// 1 January 1601 UTC (0 when the server gave none).
struct FindData {
    std::uint32_t attributes = 0;
    std::uint64_t creationTime = 0;
    std::uint64_t lastAccessTime = 0;
    std::uint64_t lastWriteTime = 0;
    std::uint64_t size = 0;
    QString fileName;
};

struct Options {
    std::chrono::milliseconds connectTimeout = std::chrono::seconds(30);
    // The longest wait without a word or a byte from the server before a call fails.
    std::chrono::milliseconds stallTimeout = std::chrono::seconds(60);
};

class FtpFile;

// An FTP session. Every call but connect needs the connection that connect opened; remote
// names are taken relative to the current remote folder, which the session keeps. A failing
// call returns false (or nothing) and leaves its number in lastError; successes leave it
// as it was. While the call waits on the network the interface keeps processing its events;
// a call made from such an event, or while a file is open, fails with TransferInProgress.
class FtpSession {
public:
    // `agent` names the client; FTP servers are not told it.
    explicit FtpSession(QString agent, Options options = {});
    ~FtpSession();
    FtpSession(const FtpSession&) = delete;
    FtpSession& operator=(const FtpSession&) = delete;

    std::uint32_t lastError() const;
    // The server's last reply, its lines joined by CR LF; it never holds what the client sent.
    QString lastResponseInfo() const;

    // Closes any connection, then connects and logs in. Passive mode or active mode.
    bool connect(const QString& server, int port, const QString& user, const QString& password,
                 bool passive);
    void disconnect();
    bool connected() const;

    std::optional<QString> currentDirectory();
    bool setCurrentDirectory(const QString& folder);
    bool createDirectory(const QString& folder);
    bool removeDirectory(const QString& folder);
    bool deleteFile(const QString& name);
    bool renameFile(const QString& from, const QString& to);
    // Whole-file transfers. A download replaces the local file only once it is complete:
    // as long as the file's SIZE or, when the server refuses SIZE or the transfer is text, the
    // size the folder's listing gives (a text file within one byte a line, its line ends being
    // made LF). One the server ends sooner fails as ConnectionAborted, also when it calls the
    // transfer complete; one the listing does not show fails as InternalError.
    bool putFile(const QString& local, const QString& remote, TransferType type);
    bool getFile(const QString& remote, const QString& local, TransferType type);

    // The entries of a folder whose names match the pattern's last part: "*" and "*.*" match
    // every name, "?" one character (both without regard to case); a name without wildcards
    // matches only itself. The pattern's folder part, if any, names the folder. "." and ".."
    // are never listed. An empty list when nothing matches; nothing when the search failed.
    std::optional<QList<FindData>> findFiles(const QString& pattern);

    enum class Access { Read, Write };
    // Opens a remote file for a piece-by-piece transfer; nothing when the server refuses. A
    // file being read is held to its size as getFile's download is.
    // The file must be closed (or destroyed) before the session makes any other call, and
    // must not outlive the session.
    std::unique_ptr<FtpFile> openFile(const QString& remote, Access access, TransferType type);

private:
    friend class FtpFile;
    struct Impl;
    std::unique_ptr<Impl> d;
};

// A remote file open for reading or for writing. One destroyed without close is abandoned:
// its transfer and its connection end there (the next call logs in again).
class FtpFile {
public:
    ~FtpFile();
    FtpFile(const FtpFile&) = delete;
    FtpFile& operator=(const FtpFile&) = delete;

    // Hands the bytes to the server; false when the transfer failed.
    bool write(const char* data, qint64 size);
    // Up to `size` bytes (fewer only at the end of the file); 0 at its end, -1 on failure,
    // a file that ended short of its size among them.
    qint64 read(char* data, qint64 size);
    // Ends the transfer: a written file is complete once the server confirms it; a file
    // being read is abandoned when it was not read to its end. False when the server
    // reported a failure.
    bool close();

private:
    friend class FtpSession;
    struct Impl;
    explicit FtpFile(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> d;
};

// The entries of a folder listing in the machine format (MLSD) or in the Unix or DOS
// format of LIST, for the year of `currentYear` when a Unix line leaves it out.
QList<FindData> parseMachineListing(const QByteArray& text);
QList<FindData> parseListing(const QByteArray& text, int currentYear);

}  // namespace inet
