#include "platform/reportengine/rows.h"

#include "platform/reportengine/errors.h"
#include "platform/vendrix/paths.h"

#include <QByteArrayView>
#include <QDir>
#include <QFile>
#include <QHash>

#include <cerrno>
#include <cstring>
#include <deque>
#include <limits>

#include <fcntl.h>
#include <unistd.h>

namespace reportengine {

namespace {

qsizetype& memoryBudget() {
    static qsizetype budget = kRowMemoryBudget;
    return budget;
}

enum class Tag : std::uint8_t {
    Empty,  // zero, so that fresh cells are Empty
    Null,
    Boolean,
    Int16,
    Int32,
    Int64,
    Double,
    Currency,
    Date,
    Text,
    Picture
};

struct Cell {
    std::int64_t u = 0;        // the number; a date's milliseconds; a text's place; a picture
    std::uint32_t length = 0;  // a text's bytes
    Tag tag = Tag::Empty;
};
static_assert(sizeof(Cell) == 16);

// Rows of a block: a power of two, so that a row's block is a shift away; few enough that a
// page's rows come back with little more than themselves.
constexpr int kBlockShift = 8;
constexpr qsizetype kBlockRows = qsizetype(1) << kBlockShift;

// A block of rows: the cells of each of its columns one after another, and the UTF-8 of its
// texts, each text a place in `texts`. It is in memory, or only in the file, or both.
struct Block {
    qsizetype rows = 0;
    int columns = 0;          // columns with cells here; those past them are Empty
    std::vector<Cell> cells;  // column p's cells from p * kBlockRows
    std::vector<char> texts;
    bool resident = true;
    bool dirty = true;  // changed since it was last written to the file
    // The blocks in memory, from the one asked for last to the one asked for least lately.
    Block* newer = nullptr;
    Block* older = nullptr;
    qsizetype footprint = 0;
    // Its copy in the file: where, the room it has there, and what it holds.
    qint64 at = -1;
    qint64 room = 0;
    int storedColumns = 0;
    qsizetype storedTexts = 0;

    qsizetype measure() const {
        return static_cast<qsizetype>(cells.capacity() * sizeof(Cell) + texts.capacity());
    }
};

// The temporary file of one store: made in the temporary folder when the store first goes past
// its budget, with no name in the folder (the space goes back when the store closes it, or
// when the process ends however it ends), readable and writable by this user only.
class SpillFile {
public:
    SpillFile() = default;
    SpillFile(const SpillFile&) = delete;
    SpillFile& operator=(const SpillFile&) = delete;
    ~SpillFile() {
        if (fd_ >= 0) ::close(fd_);
    }

    // Room for `bytes` at the end of the file.
    qint64 reserve(qint64 bytes) {
        open();
        const qint64 at = end_;
        end_ += bytes;
        return at;
    }

    void write(qint64 at, const void* data, size_t bytes) {
        const char* p = static_cast<const char*>(data);
        while (bytes > 0) {
            const ssize_t n = ::pwrite(fd_, p, bytes, at);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) writeFailed(n < 0 ? errno : ENOSPC);
            p += n;
            at += n;
            bytes -= static_cast<size_t>(n);
        }
    }

    void read(qint64 at, void* data, size_t bytes) const {
        char* p = static_cast<char*>(data);
        while (bytes > 0) {
            const ssize_t n = ::pread(fd_, p, bytes, at);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                fail(err::Data,
                     QStringLiteral(
                         "No se pueden leer los datos del reporte guardados en la carpeta "
                         "temporal %1: %2")
                         .arg(shownFolder(),
                              QString::fromLocal8Bit(std::strerror(n < 0 ? errno : EIO))));
            }
            p += n;
            at += n;
            bytes -= static_cast<size_t>(n);
        }
    }

private:
    void open() {
        if (fd_ >= 0) return;
        folder_ = vendrix::temporaryFolder();
        const QByteArray folder = QFile::encodeName(folder_);
        fd_ = ::open(folder.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
        if (fd_ < 0 && errno != ENOSPC && errno != EDQUOT) {
            // A file system without unnamed files: a named one, its name removed at once.
            QByteArray name =
                QFile::encodeName(QDir(folder_).filePath(QStringLiteral("zentrik-filas-XXXXXX")));
            fd_ = ::mkostemp(name.data(), O_CLOEXEC);
            if (fd_ >= 0) ::unlink(name.constData());
        }
        if (fd_ < 0) {
            const int error = errno;
            if (error == ENOSPC || error == EDQUOT) writeFailed(error);
            fail(err::WriteFailed,
                 QStringLiteral("No se puede crear el archivo de los datos del reporte en la "
                                "carpeta temporal %1: %2")
                     .arg(shownFolder(), QString::fromLocal8Bit(std::strerror(error))));
        }
    }

    [[noreturn]] void writeFailed(int error) const {
        if (error == ENOSPC || error == EDQUOT || error == EFBIG) {
            fail(err::WriteFailed,
                 QStringLiteral("No hay espacio en el disco para los datos del reporte: la "
                                "carpeta temporal %1 está llena")
                     .arg(shownFolder()));
        }
        fail(err::WriteFailed,
             QStringLiteral(
                 "No se pueden guardar los datos del reporte en la carpeta temporal %1: %2")
                 .arg(shownFolder(), QString::fromLocal8Bit(std::strerror(error))));
    }

    QString shownFolder() const { return QDir::toNativeSeparators(QDir::cleanPath(folder_)); }

    int fd_ = -1;
    qint64 end_ = 0;
    QString folder_;
};

// The blocks of a store within its memory budget: those asked for least lately go to the file
// when the ones in memory take more than the budget, always but the two asked for last (a
// comparison reads two rows at once).
class Blocks {
public:
    explicit Blocks(qsizetype budget) : budget_(budget) {}
    Blocks(const Blocks&) = delete;
    Blocks& operator=(const Blocks&) = delete;

    qsizetype count() const { return static_cast<qsizetype>(blocks_.size()); }

    // Block `k`, in memory.
    Block& get(qsizetype k) const {
        Block& b = blocks_[static_cast<size_t>(k)];
        if (!b.resident) {
            load(b);
        } else if (&b != newest_) {
            unlink(b);
            pushNewest(b);
        }
        return b;
    }

    // Block `k`, in memory, to be changed.
    Block& change(qsizetype k) {
        Block& b = get(k);
        b.dirty = true;
        return b;
    }

    Block& add() {
        blocks_.emplace_back();
        Block& b = blocks_.back();
        takeSpare(b);
        b.texts.reserve(16 * 1024);
        pushNewest(b);
        ++resident_;
        settle(b);
        return b;
    }

    // After a block grew or came back: the blocks past the budget go to the file.
    void settle(Block& b) const {
        const qsizetype now = b.measure();
        inMemory_ += now - b.footprint;
        b.footprint = now;
        while (inMemory_ > budget_ && resident_ > 2) evict(*oldest_);
    }

    // The place of a text in block `b`, kept once when the block already holds it.
    std::int64_t addText(Block& b, QByteArrayView utf8) {
        if (utf8.isEmpty()) return 0;
        if (writing_ != &b) {
            seen_.clear();
            writing_ = &b;
        }
        const auto at = static_cast<std::uint64_t>(b.texts.size());
        b.texts.insert(b.texts.end(), utf8.data(), utf8.data() + utf8.size());
        const std::uint64_t place = seen_.place(b.texts, at, utf8.size());
        if (place != at) b.texts.resize(at);
        return static_cast<std::int64_t>(place);
    }

private:
    // The texts a block was given since it was last written to, each found by its bytes.
    class Seen {
    public:
        void clear() {
            keys_.clear();
            slots_.clear();
        }
        // The place of the same text added before, else `at` (the text's bytes are there).
        std::uint64_t place(const std::vector<char>& texts, std::uint64_t at, qsizetype length) {
            if (2 * (keys_.size() + 1) > slots_.size()) grow();
            const char* bytes = texts.data() + at;
            const size_t hash = qHashBits(bytes, static_cast<size_t>(length));
            const size_t mask = slots_.size() - 1;
            for (size_t i = hash & mask;; i = (i + 1) & mask) {
                const int k = slots_[i];
                if (k < 0) {
                    slots_[i] = static_cast<int>(keys_.size());
                    keys_.push_back({at, static_cast<std::uint32_t>(length), hash});
                    return at;
                }
                const Key& key = keys_[static_cast<size_t>(k)];
                if (key.hash == hash && key.length == length &&
                    std::memcmp(texts.data() + key.at, bytes, key.length) == 0)
                    return key.at;
            }
        }

    private:
        struct Key {
            std::uint64_t at;
            std::uint32_t length;
            size_t hash;
        };
        void grow() {
            slots_.assign(std::max<size_t>(1024, 2 * slots_.size()), -1);
            const size_t mask = slots_.size() - 1;
            for (size_t k = 0; k < keys_.size(); ++k) {
                size_t i = keys_[k].hash & mask;
                while (slots_[i] >= 0) i = (i + 1) & mask;
                slots_[i] = static_cast<int>(k);
            }
        }
        std::vector<Key> keys_;
        std::vector<int> slots_;
    };

    void pushNewest(Block& b) const {
        b.newer = nullptr;
        b.older = newest_;
        if (newest_) newest_->newer = &b;
        newest_ = &b;
        if (!oldest_) oldest_ = &b;
    }

    void unlink(Block& b) const {
        (b.newer ? b.newer->older : newest_) = b.older;
        (b.older ? b.older->newer : oldest_) = b.newer;
        b.newer = b.older = nullptr;
    }

    void evict(Block& b) const {
        if (b.dirty) {
            const qint64 bytes =
                static_cast<qint64>(b.columns * b.rows * sizeof(Cell) + b.texts.size());
            if (b.at < 0 || b.room < bytes) {
                b.at = file_.reserve(bytes);
                b.room = bytes;
            }
            eachPiece(b,
                      [this](qint64 at, void* data, size_t size) { file_.write(at, data, size); });
            b.storedColumns = b.columns;
            b.storedTexts = static_cast<qsizetype>(b.texts.size());
            b.dirty = false;
        }
        if (writing_ == &b) writing_ = nullptr;
        // Its buffers serve the next block that comes back, so that the heap does not give
        // them back to the system and take them again block after block.
        spareCells_.swap(b.cells);
        spareTexts_.swap(b.texts);
        b.cells = {};
        b.texts = {};
        b.resident = false;
        unlink(b);
        --resident_;
        inMemory_ -= b.footprint;
        b.footprint = 0;
    }

    // The pieces of a block's copy in the file, in their order: the cells of each of its
    // columns, then its texts.
    template <typename Each>
    static void eachPiece(Block& b, Each each) {
        qint64 at = b.at;
        for (int p = 0; p < b.columns; ++p) {
            const size_t size = static_cast<size_t>(b.rows) * sizeof(Cell);
            each(at, b.cells.data() + p * kBlockRows, size);
            at += static_cast<qint64>(size);
        }
        each(at, b.texts.data(), b.texts.size());
    }

    void takeSpare(Block& b) const {
        b.cells.swap(spareCells_);
        b.texts.swap(spareTexts_);
        b.cells.clear();
        b.texts.clear();
    }

    void load(Block& b) const {
        takeSpare(b);
        b.columns = b.storedColumns;
        b.cells.resize(static_cast<size_t>(b.columns) * kBlockRows);
        b.texts.resize(static_cast<size_t>(b.storedTexts));
        eachPiece(b, [this](qint64 at, void* data, size_t size) { file_.read(at, data, size); });
        b.resident = true;
        b.dirty = false;
        pushNewest(b);
        ++resident_;
        settle(b);
    }

    const qsizetype budget_;
    // Reading rows brings blocks back and sends others out: what a reader sees does not change.
    mutable std::deque<Block> blocks_;
    mutable SpillFile file_;
    mutable Block* newest_ = nullptr;
    mutable Block* oldest_ = nullptr;
    mutable qsizetype inMemory_ = 0;
    mutable qsizetype resident_ = 0;
    mutable std::vector<Cell> spareCells_;
    mutable std::vector<char> spareTexts_;
    mutable Block* writing_ = nullptr;  // the block whose texts `seen_` holds
    Seen seen_;
};

// A date is held as its wall-clock reading's milliseconds since 1970, which order as the
// dates do; an invalid date as a number no date has.
constexpr std::int64_t kInvalidDate = std::numeric_limits<std::int64_t>::min();

std::int64_t dateCell(const vb::DateTime& date) {
    return date.isValid() ? date.toMSecsSinceEpoch() : kInvalidDate;
}

vb::DateTime dateOf(std::int64_t ms) {
    return ms == kInvalidDate ? vb::DateTime() : vb::DateTime::fromMSecsSinceEpoch(ms);
}

const Cell kEmpty{};

}  // namespace

qsizetype setRowMemoryBudget(qsizetype bytes) {
    std::swap(memoryBudget(), bytes);
    return bytes;
}

int DistinctBytes::add(const QByteArray& bytes) {
    if (last_ && bytes.constData() == last_) return lastIndex_;
    auto it = index_.constFind(bytes);
    if (it == index_.constEnd()) {
        values_.append(bytes);
        it = index_.insert(bytes, static_cast<int>(values_.size() - 1));
    }
    last_ = values_[*it].constData();
    lastIndex_ = *it;
    return *it;
}

struct Rows::Data : QSharedData {
    // The columns as the rows show them, each its place in the blocks: removed columns leave
    // their cells unread rather than every block rewritten.
    std::vector<int> columns;
    int places = 0;  // places handed out
    qsizetype rows = 0;
    Blocks blocks{memoryBudget()};
    DistinctBytes pictures;

    Data() = default;
    Data(const Data& other)
        : QSharedData(other), places(other.columnCount()), pictures(other.pictures) {
        for (int c = 0; c < places; ++c) columns.push_back(c);
        for (qsizetype r = 0; r < other.rows; ++r) copyRow(other, r);
    }

    int columnCount() const { return static_cast<int>(columns.size()); }

    // A row's cell of a column; a place past the block's columns is Empty.
    struct At {
        const Cell* cell = nullptr;
        const Block* block = nullptr;
    };
    At at(qsizetype row, int column) const {
        const Block& b = blocks.get(row >> kBlockShift);
        const int p = columns[static_cast<size_t>(column)];
        if (p >= b.columns) return {&kEmpty, &b};
        return {&b.cells[static_cast<size_t>(p) * kBlockRows + (row & (kBlockRows - 1))], &b};
    }
    // The same, none outside the rows and columns.
    At find(qsizetype row, int column) const {
        if (row < 0 || row >= rows || column < 0 || column >= columnCount()) return {};
        return at(row, column);
    }

    static QByteArrayView textOf(const At& a) {
        if (a.cell->length == 0) return {};
        return QByteArrayView(a.block->texts.data() + a.cell->u,
                              static_cast<qsizetype>(a.cell->length));
    }

    // The cell of row `row` at `place`, the block holding that place's cells.
    Cell& cellToChange(Block& b, qsizetype row, int place) {
        if (place >= b.columns) {
            b.columns = place + 1;
            b.cells.resize(static_cast<size_t>(b.columns) * kBlockRows);
        }
        return b.cells[static_cast<size_t>(place) * kBlockRows + (row & (kBlockRows - 1))];
    }

    // A new row at the end, every cell Empty; its block.
    Block& addRow() {
        const bool first = (rows & (kBlockRows - 1)) == 0;
        Block& b = first ? blocks.add() : blocks.change(blocks.count() - 1);
        if (first) b.cells.reserve(static_cast<size_t>(places) * kBlockRows);
        ++b.rows;
        ++rows;
        return b;
    }

    Cell cell(const vb::Variant& v, Block& b) {
        using T = vb::Variant::Type;
        Cell c;
        switch (v.type()) {
            case T::Empty:
                break;
            case T::Null:
                c.tag = Tag::Null;
                break;
            case T::Boolean:
                c.tag = Tag::Boolean;
                c.u = v.boolean() ? 1 : 0;
                break;
            case T::Integer:
                c.tag = Tag::Int16;
                c.u = v.wholeNumber();
                break;
            case T::Long:
                c.tag = Tag::Int32;
                c.u = v.wholeNumber();
                break;
            case T::LongLong:
                c.tag = Tag::Int64;
                c.u = v.wholeNumber();
                break;
            case T::Double: {
                c.tag = Tag::Double;
                const double d = v.number();
                std::memcpy(&c.u, &d, sizeof d);
                break;
            }
            case T::Currency:
                c.tag = Tag::Currency;
                c.u = v.currency().scaled();
                break;
            case T::Date:
                c.tag = Tag::Date;
                c.u = dateCell(v.date());
                break;
            case T::String: {
                c.tag = Tag::Text;
                const QByteArray utf8 = v.string().toUtf8();
                c.u = blocks.addText(b, utf8);
                c.length = static_cast<std::uint32_t>(utf8.size());
                break;
            }
            case T::Bytes:
                c.tag = Tag::Picture;
                c.u = pictures.add(v.bytes());
                break;
        }
        return c;
    }

    vb::Variant value(const At& a) const {
        const Cell& c = *a.cell;
        switch (c.tag) {
            case Tag::Empty:
                return {};
            case Tag::Null:
                return vb::Variant::null();
            case Tag::Boolean:
                return vb::Variant(c.u != 0);
            case Tag::Int16:
                return vb::Variant(static_cast<std::int16_t>(c.u));
            case Tag::Int32:
                return vb::Variant(static_cast<int>(c.u));
            case Tag::Int64:
                return vb::Variant(static_cast<long long>(c.u));
            case Tag::Double: {
                double d = 0;
                std::memcpy(&d, &c.u, sizeof d);
                return vb::Variant(d);
            }
            case Tag::Currency:
                return vb::Variant(vb::Currency::fromScaled(c.u));
            case Tag::Date:
                return vb::Variant(dateOf(c.u));
            case Tag::Text: {
                const QByteArrayView utf8 = textOf(a);
                return vb::Variant(QString::fromUtf8(utf8.data(), utf8.size()));
            }
            case Tag::Picture:
                return vb::Variant(pictures[static_cast<int>(c.u)]);
        }
        return {};
    }

    // Appends row `row` of `from`, whose columns these are and whose pictures these hold.
    void copyRow(const Data& from, qsizetype row) {
        Block& b = addRow();
        for (int c = 0; c < columnCount(); ++c) {
            const At a = from.at(row, c);
            Cell copied = *a.cell;
            if (copied.tag == Tag::Text) copied.u = blocks.addText(b, textOf(a));
            cellToChange(b, rows - 1, columns[static_cast<size_t>(c)]) = copied;
        }
        blocks.settle(b);
    }
};

Rows::Rows() : d(new Data) {}

Rows::Rows(std::initializer_list<QList<vb::Variant>> rows) : Rows() {
    for (const auto& row : rows) append(row);
}

Rows::Rows(const Rows&) = default;
Rows& Rows::operator=(const Rows&) = default;
Rows::Rows(Rows&&) noexcept = default;
Rows& Rows::operator=(Rows&&) noexcept = default;
Rows::~Rows() = default;

qsizetype Rows::size() const {
    return d->rows;
}

int Rows::columnCount() const {
    return d->columnCount();
}

vb::Variant Rows::value(qsizetype row, int column) const {
    const Data::At a = d->find(row, column);
    return a.cell ? d->value(a) : vb::Variant();
}

bool Rows::isBlank(qsizetype row, int column) const {
    const Cell* c = d->find(row, column).cell;
    return !c || c->tag == Tag::Empty || c->tag == Tag::Null;
}

int Rows::pictureAt(qsizetype row, int column) const {
    const Cell* c = d->find(row, column).cell;
    return c && c->tag == Tag::Picture ? static_cast<int>(c->u) : -1;
}

int Rows::pictureCount() const {
    return d->pictures.size();
}

const QByteArray& Rows::picture(int index) const {
    return d->pictures[index];
}

QList<vb::Variant> Rows::operator[](qsizetype row) const {
    QList<vb::Variant> out;
    out.reserve(columnCount());
    for (int c = 0; c < columnCount(); ++c) out.append(value(row, c));
    return out;
}

void Rows::append(const QList<vb::Variant>& row, qsizetype count) {
    const qsizetype n = count < 0 ? row.size() : std::min(count, row.size());
    if (n > columnCount()) addColumns(static_cast<int>(n) - columnCount());
    Data& data = *d;
    Block& b = data.addRow();
    for (int c = 0; c < data.columnCount() && c < n; ++c) {
        const int place = data.columns[static_cast<size_t>(c)];
        const Cell cell = data.cell(row[c], b);
        data.cellToChange(b, data.rows - 1, place) = cell;
    }
    data.blocks.settle(b);
}

void Rows::set(qsizetype row, int column, const vb::Variant& value) {
    if (row < 0 || row >= size() || column < 0 || column >= columnCount()) return;
    Data& data = *d;
    Block& b = data.blocks.change(row >> kBlockShift);
    const int place = data.columns[static_cast<size_t>(column)];
    const Cell cell = data.cell(value, b);
    data.cellToChange(b, row, place) = cell;
    data.blocks.settle(b);
}

void Rows::setPicture(qsizetype row, int column, int index) {
    if (row < 0 || row >= size() || column < 0 || column >= columnCount() || index < 0 ||
        index >= pictureCount())
        return;
    Data& data = *d;
    Block& b = data.blocks.change(row >> kBlockShift);
    Cell& c = data.cellToChange(b, row, data.columns[static_cast<size_t>(column)]);
    c = Cell{};
    c.tag = Tag::Picture;
    c.u = index;
    data.blocks.settle(b);
}

int Rows::addPicture(const QByteArray& bytes) {
    return d->pictures.add(bytes);
}

void Rows::addColumns(int count) {
    // A new place in every block is Empty until a row's cell there is set.
    Data& data = *d;
    for (int i = 0; i < count; ++i) data.columns.push_back(data.places++);
}

void Rows::removeColumns(int from, int count) {
    if (from < 0 || count <= 0 || from >= columnCount()) return;
    Data& data = *d;
    const auto first = data.columns.begin() + from;
    data.columns.erase(first, first + std::min(count, columnCount() - from));
}

namespace {

// Rows taken from a store into a new one, in the order given: only the columns shown are
// copied, each text into its new block.
template <typename Each>
void rebuild(QSharedDataPointer<Rows::Data>& d, Each each) {
    const Rows::Data& old = *d.constData();
    QSharedDataPointer<Rows::Data> built(new Rows::Data);
    built->places = old.columnCount();
    for (int c = 0; c < built->places; ++c) built->columns.push_back(c);
    built->pictures = old.pictures;
    each([&](qsizetype row) { built->copyRow(old, row); });
    d = built;
}

}  // namespace

void Rows::keepRows(const std::vector<bool>& keep) {
    rebuild(d, [&](const auto& copy) {
        for (qsizetype r = 0; r < size(); ++r)
            if (r < static_cast<qsizetype>(keep.size()) && keep[static_cast<size_t>(r)]) copy(r);
    });
}

bool operator==(const Rows& a, const Rows& b) {
    if (a.size() != b.size() || a.columnCount() != b.columnCount()) return false;
    for (qsizetype r = 0; r < a.size(); ++r)
        for (int c = 0; c < a.columnCount(); ++c)
            if (!(a.value(r, c) == b.value(r, c))) return false;
    return true;
}

}  // namespace reportengine
