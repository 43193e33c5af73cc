#include "platform/reportengine/rows.h"

#include "platform/ado/tsql/collation.h"

#include <QByteArrayView>
#include <QHash>

#include <cstring>
#include <limits>
#include <memory>

namespace reportengine {

namespace {

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

// The cells of one column in pages, so that a growing column never moves or copies what it
// already holds (a doubling array would, for a moment, hold it three times).
class Column {
public:
    Column() = default;
    Column(const Column& other) : size_(other.size_) {
        for (const auto& page : other.pages_) {
            pages_.push_back(std::make_unique<Cell[]>(kPage));
            std::memcpy(pages_.back().get(), page.get(), kPage * sizeof(Cell));
        }
    }
    Column(Column&&) noexcept = default;
    Column& operator=(Column&&) noexcept = default;

    qsizetype size() const { return size_; }
    const Cell& operator[](qsizetype i) const { return pages_[i / kPage][i % kPage]; }
    Cell& operator[](qsizetype i) { return pages_[i / kPage][i % kPage]; }
    void push(const Cell& c) {
        resize(size_ + 1);
        (*this)[size_ - 1] = c;
    }
    // Grows with Empty cells; shrinking leaves the cells past the end Empty again.
    void resize(qsizetype n) {
        while (static_cast<qsizetype>(pages_.size()) * kPage < n)
            pages_.push_back(std::make_unique<Cell[]>(kPage));
        for (qsizetype i = n; i < size_; ++i) (*this)[i] = Cell{};
        size_ = n;
    }

private:
    static constexpr qsizetype kPage = 4096;
    std::vector<std::unique_ptr<Cell[]>> pages_;
    qsizetype size_ = 0;
};

// UTF-8 texts in blocks that never move. A text met lately is found again and kept once: users,
// workstations, processes and statements repeat from row to row.
class Texts {
public:
    Texts() = default;
    Texts(const Texts& other) : used_(other.used_) {
        for (size_t i = 0; i < other.blocks_.size(); ++i) {
            blocks_.push_back(std::unique_ptr<char[]>(new char[other.sizes_[i]]));
            std::memcpy(blocks_.back().get(), other.blocks_[i].get(), other.sizes_[i]);
            sizes_.push_back(other.sizes_[i]);
        }
    }

    // Where the text is kept: its block in the high half, its offset in the low one.
    std::int64_t add(QByteArrayView utf8) {
        if (utf8.isEmpty()) return 0;
        if (const auto it = recent_.constFind(utf8); it != recent_.constEnd()) return *it;
        const auto length = static_cast<size_t>(utf8.size());
        if (blocks_.empty() || used_ + length > sizes_.back()) {
            const size_t size = std::max(kBlock, length);
            blocks_.push_back(std::unique_ptr<char[]>(new char[size]));
            sizes_.push_back(size);
            used_ = 0;
        }
        char* at = blocks_.back().get() + used_;
        std::memcpy(at, utf8.data(), length);
        const std::int64_t place = (static_cast<std::int64_t>(blocks_.size() - 1) << 32) |
                                   static_cast<std::int64_t>(used_);
        used_ += length;
        // Bounded: the texts seen lately, not every text of the report.
        if (recent_.size() >= kRecent) recent_.clear();
        recent_.insert(QByteArrayView(at, utf8.size()), place);
        return place;
    }

    QByteArrayView view(std::int64_t place, std::uint32_t length) const {
        if (length == 0) return {};
        return QByteArrayView(
            blocks_[static_cast<size_t>(place >> 32)].get() + (place & 0xffffffff),
            static_cast<qsizetype>(length));
    }

private:
    static constexpr size_t kBlock = 1u << 20;
    static constexpr qsizetype kRecent = 1 << 16;
    std::vector<std::unique_ptr<char[]>> blocks_;
    std::vector<size_t> sizes_;
    size_t used_ = 0;  // in the last block
    QHash<QByteArrayView, std::int64_t> recent_;
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

}  // namespace

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
    std::vector<Column> columns;
    qsizetype rows = 0;
    Texts texts;
    DistinctBytes pictures;

    Cell cell(const vb::Variant& v) {
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
                c.u = texts.add(utf8);
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

    vb::Variant value(const Cell& c) const {
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
                const QByteArrayView utf8 = texts.view(c.u, c.length);
                return vb::Variant(QString::fromUtf8(utf8.data(), utf8.size()));
            }
            case Tag::Picture:
                return vb::Variant(pictures[static_cast<int>(c.u)]);
        }
        return {};
    }

    const Cell* find(qsizetype row, int column) const {
        if (row < 0 || row >= rows || column < 0 || column >= static_cast<int>(columns.size()))
            return nullptr;
        return &columns[static_cast<size_t>(column)][row];
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
    return static_cast<int>(d->columns.size());
}

vb::Variant Rows::value(qsizetype row, int column) const {
    const Cell* c = d->find(row, column);
    return c ? d->value(*c) : vb::Variant();
}

bool Rows::isBlank(qsizetype row, int column) const {
    const Cell* c = d->find(row, column);
    return !c || c->tag == Tag::Empty || c->tag == Tag::Null;
}

int Rows::pictureAt(qsizetype row, int column) const {
    const Cell* c = d->find(row, column);
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
    for (size_t c = 0; c < data.columns.size(); ++c) {
        const auto i = static_cast<qsizetype>(c);
        data.columns[c].push(i < n ? data.cell(row[i]) : Cell{});
    }
    ++data.rows;
}

void Rows::set(qsizetype row, int column, const vb::Variant& value) {
    if (row < 0 || row >= size() || column < 0 || column >= columnCount()) return;
    Data& data = *d;
    data.columns[static_cast<size_t>(column)][row] = data.cell(value);
}

void Rows::setPicture(qsizetype row, int column, int index) {
    if (row < 0 || row >= size() || column < 0 || column >= columnCount() || index < 0 ||
        index >= pictureCount())
        return;
    Cell c;
    c.tag = Tag::Picture;
    c.u = index;
    d->columns[static_cast<size_t>(column)][row] = c;
}

int Rows::addPicture(const QByteArray& bytes) {
    return d->pictures.add(bytes);
}

void Rows::addColumns(int count) {
    Data& data = *d;
    for (int i = 0; i < count; ++i) {
        data.columns.emplace_back();
        data.columns.back().resize(data.rows);
    }
}

void Rows::removeColumns(int from, int count) {
    if (from < 0 || count <= 0 || from >= columnCount()) return;
    Data& data = *d;
    const auto first = data.columns.begin() + from;
    data.columns.erase(first, first + std::min(count, columnCount() - from));
}

void Rows::keepRows(const std::vector<bool>& keep) {
    Data& data = *d;
    qsizetype kept = 0;
    for (qsizetype r = 0; r < data.rows; ++r) {
        if (r >= static_cast<qsizetype>(keep.size()) || !keep[static_cast<size_t>(r)]) continue;
        for (Column& column : data.columns) column[kept] = column[r];
        ++kept;
    }
    for (Column& column : data.columns) column.resize(kept);
    data.rows = kept;
}

int Rows::compare(qsizetype a, qsizetype b, int column) const {
    const Cell* x = d->find(a, column);
    const Cell* y = d->find(b, column);
    if (!x || !y) return 0;
    // Null, then numbers, then date-times, then texts, then bytes.
    const auto rank = [](Tag t) {
        switch (t) {
            case Tag::Empty:
            case Tag::Null:
                return 0;
            case Tag::Date:
                return 2;
            case Tag::Text:
                return 3;
            case Tag::Picture:
                return 4;
            default:
                return 1;
        }
    };
    const auto sign = [](auto p, auto q) { return p < q ? -1 : (q < p ? 1 : 0); };
    const int rx = rank(x->tag), ry = rank(y->tag);
    if (rx != ry) return sign(rx, ry);
    switch (rx) {
        case 1:
            if (x->tag == Tag::Currency && y->tag == Tag::Currency) return sign(x->u, y->u);
            return sign(d->value(*x).number(), d->value(*y).number());
        case 2:
            return sign(x->u, y->u);
        case 3: {
            const QByteArrayView tx = d->texts.view(x->u, x->length);
            const QByteArrayView ty = d->texts.view(y->u, y->length);
            return tsql::compareTextUtf8(tx.data(), static_cast<int>(tx.size()), ty.data(),
                                         static_cast<int>(ty.size()));
        }
        default:
            return 0;
    }
}

void Rows::reorder(const std::vector<qsizetype>& order) {
    Data& data = *d;
    for (Column& column : data.columns) {
        Column moved;
        moved.resize(static_cast<qsizetype>(order.size()));
        for (size_t i = 0; i < order.size(); ++i)
            moved[static_cast<qsizetype>(i)] = column[order[i]];
        column = std::move(moved);
    }
    data.rows = static_cast<qsizetype>(order.size());
}

bool operator==(const Rows& a, const Rows& b) {
    if (a.size() != b.size() || a.columnCount() != b.columnCount()) return false;
    for (qsizetype r = 0; r < a.size(); ++r)
        for (int c = 0; c < a.columnCount(); ++c)
            if (!(a.value(r, c) == b.value(r, c))) return false;
    return true;
}

}  // namespace reportengine
