#pragma once

#include <QAnyStringView>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// One row of the search grid as its readers see it.
struct FilaGrilla {
    QStringList celdas;  // column 1 is the row text
    bool marcada = false;
    std::optional<qint64> color;  // Windows colour number of a stock level
};

// The search grid's rows, held compactly: each row's cells one after the other in large blocks
// shared by many rows, a text of Latin-1 characters one byte a character and any
// other text two, with no object of its own per cell. A long lookup then costs about its
// texts' characters and a few bytes a row. The cells are read in place, for searching and
// sorting, or as texts.
class SearchGridRows {
public:
    // Reads the rows in order, each as a FilaGrilla made for it.
    class const_iterator {
    public:
        const_iterator(const SearchGridRows& filas, qsizetype fila)
            : filas_(&filas), fila_(fila) {}
        FilaGrilla operator*() const { return (*filas_)[fila_]; }
        const_iterator& operator++() {
            ++fila_;
            return *this;
        }
        bool operator==(const const_iterator& o) const { return fila_ == o.fila_; }
        bool operator!=(const const_iterator& o) const { return fila_ != o.fila_; }

    private:
        const SearchGridRows* filas_;
        qsizetype fila_;
    };

    SearchGridRows() = default;
    SearchGridRows(const SearchGridRows&) = delete;
    SearchGridRows& operator=(const SearchGridRows&) = delete;

    qsizetype size() const { return static_cast<qsizetype>(filas_.size()); }
    bool isEmpty() const { return filas_.empty(); }
    FilaGrilla operator[](qsizetype fila) const;
    const_iterator begin() const { return {*this, 0}; }
    const_iterator end() const { return {*this, size()}; }

    // Drops every row and gives their memory back.
    void clear();
    void reserve(qsizetype filas);
    void agrega(const QString* celdas, qsizetype n, bool marcada, std::optional<qint64> color);
    void agrega(const FilaGrilla& fila);

    // The cells a row has.
    qsizetype celdas(qsizetype fila) const;
    // Cell `columna` of a row, read in place (Latin-1 or UTF-16); empty past the row's cells.
    QAnyStringView celda(qsizetype fila, qsizetype columna) const;
    QString texto(qsizetype fila, qsizetype columna) const;
    // Gives cell `columna` of a row a new text, adding empty cells before it when the row has
    // fewer.
    void ponTexto(qsizetype fila, qsizetype columna, const QString& texto);

    bool marcada(qsizetype fila) const { return filas_[fila].marcada; }
    void marca(qsizetype fila, bool marcada) { filas_[fila].marcada = marcada; }
    std::optional<qint64> color(qsizetype fila) const;

    // Puts the rows in a new order: the i-th row becomes the one that was at orden[i], every
    // row once.
    void reordena(const QList<int>& orden);

private:
    // Where a row's bytes begin; marcada is the only thing about a row that changes in place.
    struct Registro {
        std::uint32_t bloque;
        std::uint32_t inicio : 31;
        std::uint32_t marcada : 1;
    };
    struct Bloque {
        std::unique_ptr<char[]> bytes;
        std::size_t tamano = 0;
        std::size_t usado = 0;
    };
    // A row's bytes, read from the start: its colour, then its cells.
    class Lector;

    const char* inicio(qsizetype fila) const;
    void guarda(const QString* celdas, qsizetype n, bool marcada, std::optional<qint64> color,
                Registro* destino);

    std::vector<Registro> filas_;
    std::vector<Bloque> bloques_;
};
