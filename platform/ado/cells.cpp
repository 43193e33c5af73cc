#include "platform/ado/cells.h"

#include "platform/ado/tsql/datetime.h"

#include <algorithm>
#include <cstring>

namespace ado {

namespace {

// Larger storage is given back to the system rather than kept.
constexpr size_t kKeepBytes = 64u << 20;

// Whether UTF-8 text is plain ASCII, eight bytes at a time: such a text becomes a QString by
// widening its bytes, which costs a fraction of decoding UTF-8.
bool isAscii(const char* p, size_t n) {
    std::uint64_t bits = 0;
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, p + i, 8);
        bits |= word;
    }
    for (; i < n; ++i) bits |= static_cast<unsigned char>(p[i]);
    return (bits & 0x8080808080808080ull) == 0;
}

}  // namespace

thread_local Cells::Spare Cells::spare_;

Cells::Cells() = default;

void Cells::takeSpare() {
    if (!spare_.full || !buffer_.empty()) return;
    cells_.swap(spare_.cells);
    buffer_.swap(spare_.buffer);
    spare_.full = false;
}

Cells::~Cells() {
    recycle();
}

Cells& Cells::operator=(Cells&& other) noexcept {
    if (this != &other) {
        recycle();
        cells_ = std::move(other.cells_);
        buffer_ = std::move(other.buffer_);
        values_ = std::move(other.values_);
        recent_ = std::move(other.recent_);
    }
    return *this;
}

void Cells::recycle() {
    recent_.clear();
    if (spare_.full || cells_.capacity() == 0) return;
    if (cells_.capacity() * sizeof(Cell) + buffer_.capacity() > kKeepBytes) return;
    cells_.clear();
    buffer_.clear();
    spare_.cells.swap(cells_);
    spare_.buffer.swap(buffer_);
    spare_.full = true;
}

void Cells::appendText(const char* utf8, int length, bool dateText) {
    Cell& c = push(dateText                                     ? Tag::DateText
                   : isAscii(utf8, static_cast<size_t>(length)) ? Tag::Ascii
                                                                : Tag::Text);
    c.u.at = static_cast<std::uint64_t>(buffer_.size());
    c.length = static_cast<std::uint32_t>(length);
    buffer_.append(utf8, static_cast<size_t>(length));
}

void Cells::appendBytes(const char* data, int length) {
    Cell& c = push(Tag::Bytes);
    c.u.at = static_cast<std::uint64_t>(buffer_.size());
    c.length = static_cast<std::uint32_t>(length);
    buffer_.append(data, static_cast<size_t>(length));
}

Cells::Cell Cells::stored(const vb::Variant& value) {
    Cell c;
    switch (value.type()) {
        case vb::Variant::Type::Null:
            break;
        case vb::Variant::Type::Integer:
            c.tag = Tag::Int16;
            c.u.i = static_cast<std::int64_t>(value.number());
            break;
        case vb::Variant::Type::Long:
            c.tag = Tag::Int32;
            c.u.i = static_cast<std::int64_t>(value.number());
            break;
        case vb::Variant::Type::Double:
            c.tag = Tag::Double;
            c.u.d = value.number();
            break;
        case vb::Variant::Type::Currency:
            c.tag = Tag::Currency;
            c.u.i = value.currency().scaled();
            break;
        default:
            c.tag = Tag::Value;
            c.u.at = values_.size();
            values_.push_back(value);
            break;
    }
    return c;
}

void Cells::append(const vb::Variant& value) {
    if (cells_.capacity() == 0) takeSpare();
    cells_.push_back(stored(value));
}

void Cells::set(size_t index, const vb::Variant& value) {
    cells_[index] = stored(value);
}

QString Cells::text(const Cell& c) const {
    const char* bytes = buffer_.data() + c.u.at;
    const auto make = [&] {
        return c.tag == Tag::Ascii ? QString::fromLatin1(bytes, static_cast<qsizetype>(c.length))
                                   : QString::fromUtf8(bytes, static_cast<qsizetype>(c.length));
    };
    // Long texts (descriptions, statements) seldom repeat and are not worth the comparison.
    if (c.length > kShortText || c.length == 0) return make();
    // The hash of the first and last eight bytes (or fewer) and the length.
    std::uint64_t head = 0, tail = 0;
    std::memcpy(&head, bytes, std::min<std::uint32_t>(c.length, 8));
    if (c.length > 8) std::memcpy(&tail, bytes + c.length - 8, 8);
    const std::uint64_t hash = (head * 0x9E3779B97F4A7C15ull) ^ (tail + c.length);
    if (recent_.empty()) recent_.resize(kRecent);
    Recent& r = recent_[(hash >> 56) % kRecent];
    // The bytes are compared with a copy of their own: the buffer may have been cleared and
    // written again since (a result read row by row reuses it).
    if (r.length == c.length && std::memcmp(r.bytes, bytes, c.length) == 0) return r.text;
    std::memcpy(r.bytes, bytes, c.length);
    r.length = c.length;
    r.text = make();
    return r.text;
}

vb::Variant Cells::value(size_t index) const {
    const Cell& c = cells_[index];
    switch (c.tag) {
        case Tag::Null:
            return vb::Variant::null();
        case Tag::Int16:
            return vb::Variant(static_cast<std::int16_t>(c.u.i));
        case Tag::Int32:
            return vb::Variant(static_cast<int>(c.u.i));
        case Tag::Int64:
            return vb::Variant(static_cast<long long>(c.u.i));
        case Tag::Double:
            return c.u.d;
        case Tag::Currency:
            return vb::Currency::fromScaled(c.u.i);
        case Tag::Ascii:
        case Tag::Text:
            return text(c);
        case Tag::DateText: {
            const char* text = buffer_.data() + c.u.at;
            if (auto d = tsql::readDateTime(text, static_cast<int>(c.length))) return *d;
            return QString::fromUtf8(text, static_cast<qsizetype>(c.length));
        }
        case Tag::Bytes:
            return QByteArray(buffer_.data() + c.u.at, static_cast<qsizetype>(c.length));
        case Tag::Value:
            return values_[c.u.at];
    }
    return vb::Variant::null();
}

}  // namespace ado
