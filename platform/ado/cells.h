#pragma once

#include "platform/vb/currency.h"
#include "platform/vb/variant.h"

#include <QByteArray>

#include <cstdint>
#include <string>
#include <vector>

namespace ado {

// The values of a result, held compactly: numbers in place, texts and bytes in one buffer,
// made into the program's values (QString, date-times) only when read. A client cursor
// keeps every row in memory, and this keeps that cheap.
class Cells {
public:
    // The storage of the last result let go is taken up again by the next one to be filled,
    // so that a program running query after query does not ask the system for fresh memory
    // each time.
    Cells();
    ~Cells();
    Cells(Cells&& other) noexcept = default;
    Cells& operator=(Cells&& other) noexcept;
    Cells(const Cells&) = default;
    Cells& operator=(const Cells&) = default;

    size_t size() const { return cells_.size(); }
    // Empties it, keeping its storage for the next values.
    void clear() {
        cells_.clear();
        buffer_.clear();
        values_.clear();
    }

    void appendNull() { push(Tag::Null); }
    void appendInt16(std::int16_t v) { push(Tag::Int16).u.i = v; }
    void appendInt32(std::int32_t v) { push(Tag::Int32).u.i = v; }
    void appendInt64(std::int64_t v) { push(Tag::Int64).u.i = v; }
    void appendDouble(double v) { push(Tag::Double).u.d = v; }
    void appendCurrency(vb::Currency v) { push(Tag::Currency).u.i = v.scaled(); }
    // UTF-8 text; `dateText` when it holds a date-time to read (tsql::readDateTime), shown as
    // text when it does not.
    void appendText(const char* utf8, int length, bool dateText = false);
    void appendBytes(const char* data, int length);
    // Any value, kept as it is.
    void append(const vb::Variant& value);

    vb::Variant value(size_t index) const;
    void set(size_t index, const vb::Variant& value);

private:
    enum class Tag : std::uint8_t {
        Null,
        Int16,
        Int32,
        Int64,
        Double,
        Currency,
        Ascii,  // UTF-8 text of ASCII characters only
        Text,
        DateText,
        Bytes,
        Value
    };
    struct Cell {
        Tag tag = Tag::Null;
        std::uint32_t length = 0;
        union {
            std::int64_t i;
            double d;
            std::uint64_t at;  // offset in the buffer, or index in values_
        } u{};
    };
    Cell& push(Tag tag) {
        if (cells_.capacity() == 0) takeSpare();
        cells_.push_back({});
        cells_.back().tag = tag;
        return cells_.back();
    }
    Cell stored(const vb::Variant& value);

    struct Spare {
        bool full = false;
        std::vector<Cell> cells;
        std::string buffer;
    };
    void recycle();
    void takeSpare();
    static thread_local Spare spare_;

    // A text read again (a user, a workstation, a process name repeat row after row) shares
    // the QString made for it last time instead of making another: the last short texts read,
    // by a hash of their bytes.
    QString text(const Cell& c) const;
    static constexpr std::uint32_t kShortText = 32;
    struct Recent {
        std::uint32_t length = 0;
        char bytes[kShortText];
        QString text;
    };
    static constexpr int kRecent = 256;
    mutable std::vector<Recent> recent_;

    std::vector<Cell> cells_;
    std::string buffer_;
    std::vector<vb::Variant> values_;
};

}  // namespace ado
