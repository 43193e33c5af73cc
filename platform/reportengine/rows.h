#pragma once

#include "platform/vb/variant.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSharedDataPointer>

#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <vector>

namespace reportengine {

// Distinct byte values (pictures), each held once and numbered in the order they first come.
class DistinctBytes {
public:
    // The number of the value, added when it is new.
    int add(const QByteArray& bytes);
    int size() const { return static_cast<int>(values_.size()); }
    bool isEmpty() const { return values_.isEmpty(); }
    const QByteArray& operator[](int index) const { return values_[index]; }
    const QList<QByteArray>& values() const { return values_; }

private:
    QList<QByteArray> values_;
    QHash<QByteArray, int> index_;
    // The last value added: rows that share one (a linked image) skip its hashing.
    const char* last_ = nullptr;
    int lastIndex_ = -1;
};

// The memory the rows of one store may hold, in bytes; a store past it keeps its blocks of
// rows in a temporary file and reads them back as they are asked for.
constexpr qsizetype kRowMemoryBudget = 32 * 1024 * 1024;
// The budget of the stores made from now on (tests use small ones); returns the one it
// replaces.
qsizetype setRowMemoryBudget(qsizetype bytes);

// The values of a report's rows, held compactly in blocks of rows: numbers, Booleans and dates
// in place, texts in the block's buffer (a text met again in a block is kept once), byte values
// (pictures) once per distinct content. Within the memory budget the blocks stay in memory;
// past it, the blocks used least lately go to a temporary file of the temporary folder (open to
// this process only, its name gone from the folder from the start, so that it goes with the
// store or the process) and come back when their rows are read, in any order. Copies share the
// storage until one of them changes. Rows read like lists of values: `rows[i]` is row i's
// values. Raises err::WriteFailed when the file cannot be written (a full disk told as such)
// and err::Data when it cannot be read back.
class Rows {
public:
    Rows();
    Rows(std::initializer_list<QList<vb::Variant>> rows);
    Rows(const Rows&);
    Rows& operator=(const Rows&);
    Rows(Rows&&) noexcept;
    Rows& operator=(Rows&&) noexcept;
    ~Rows();

    qsizetype size() const;
    bool isEmpty() const { return size() == 0; }
    int columnCount() const;

    // A value; Empty outside the rows and columns held.
    vb::Variant value(qsizetype row, int column) const;
    // Whether a value is Null or Empty, without making it.
    bool isBlank(qsizetype row, int column) const;
    // The byte value of a cell as its distinct picture, -1 when it holds none.
    int pictureAt(qsizetype row, int column) const;
    // The distinct byte values, each once.
    int pictureCount() const;
    const QByteArray& picture(int index) const;

    QList<vb::Variant> operator[](qsizetype row) const;
    QList<vb::Variant> at(qsizetype row) const { return (*this)[row]; }

    // Appends a row (its first `count` values, all when negative); a row longer than the
    // others widens them all (Empty), a shorter one is Empty past its end.
    void append(const QList<vb::Variant>& row, qsizetype count = -1);
    void set(qsizetype row, int column, const vb::Variant& value);
    // A distinct picture given by its index in `picture` (a saved report refers to them so).
    void setPicture(qsizetype row, int column, int index);
    // Adds a distinct picture and returns its index (the same content gives the same index).
    int addPicture(const QByteArray& bytes);
    // Columns added at the end, Empty in every row.
    void addColumns(int count);
    void removeColumns(int from, int count);
    // Keeps the rows whose flag is set, in order.
    void keepRows(const std::vector<bool>& keep);

    friend bool operator==(const Rows& a, const Rows& b);

    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = QList<vb::Variant>;
        using difference_type = qsizetype;
        using pointer = void;
        using reference = QList<vb::Variant>;
        const_iterator(const Rows* rows, qsizetype at) : rows_(rows), at_(at) {}
        QList<vb::Variant> operator*() const { return (*rows_)[at_]; }
        const_iterator& operator++() {
            ++at_;
            return *this;
        }
        friend bool operator==(const const_iterator& a, const const_iterator& b) {
            return a.at_ == b.at_;
        }

    private:
        const Rows* rows_;
        qsizetype at_;
    };
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }

    struct Data;

private:
    QSharedDataPointer<Data> d;
};

}  // namespace reportengine
