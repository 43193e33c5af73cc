#include "lookup/search_grid_rows.h"

#include <QSysInfo>

#include <algorithm>
#include <cstring>

// A row's bytes: a byte of flags (1: it has a colour), the colour's 8 bytes when it has one,
// the number of cells, then each cell: its length times two, plus one for a UTF-16 text, and
// its characters, a UTF-16 text from an even byte of the row. Numbers are written 7 bits a
// byte, low bits first, the high bit set on every byte but the last. Rows begin at even bytes
// of their block, so that a UTF-16 text is aligned in memory too.

namespace {

// Blocks grow from 64 KB to 32 MB, the size from which the C library always maps memory of its
// own for a block and hands it back to the system when the rows go.
constexpr std::size_t kPrimerBloque = std::size_t(64) << 10;
constexpr std::size_t kMayorBloque = std::size_t(32) << 20;

char* escribeNumero(char* out, std::uint64_t n) {
    while (n >= 0x80) {
        *out++ = static_cast<char>((n & 0x7F) | 0x80);
        n >>= 7;
    }
    *out++ = static_cast<char>(n);
    return out;
}

// Copies a text of Latin-1 characters one byte a character, four at a time where the machine
// is little-endian; false, with part of it copied, at the first character that is not one or is
// the micro sign. Latin-1 texts are compared in one byte a character, which folds case as their
// UTF-16 does for every character but the micro sign (folded to a Greek letter): a text with one
// stays UTF-16, so that every comparison orders as QString's does.
bool copiaLatin1(const char16_t* c, qsizetype n, char* out) {
    qsizetype i = 0;
    if constexpr (QSysInfo::ByteOrder == QSysInfo::LittleEndian) {
        constexpr std::uint64_t kAltos = 0xFF00FF00FF00FF00, kUnos = 0x0001000100010001;
        constexpr std::uint64_t kSignos = 0x8000800080008000, kMicros = 0x00B500B500B500B5;
        for (; i + 4 <= n; i += 4) {
            std::uint64_t w;
            std::memcpy(&w, c + i, sizeof w);
            const std::uint64_t x = w ^ kMicros;  // a micro sign becomes a zero
            if ((w & kAltos) != 0 || ((x - kUnos) & ~x & kSignos) != 0) return false;
            w = (w | (w >> 8)) & 0x0000FFFF0000FFFF;
            const auto cuatro = static_cast<std::uint32_t>(w | (w >> 16));
            std::memcpy(out + i, &cuatro, sizeof cuatro);
        }
    }
    for (; i < n; ++i) {
        if (c[i] > 0xFF || c[i] == 0xB5) return false;
        out[i] = static_cast<char>(c[i]);
    }
    return true;
}

// Writes a cell at `p` of the row that begins at `fila`; returns where the next one goes. The
// length takes as many bytes for a UTF-16 text as for a Latin-1 one (the low bit of an even
// number changes no other), so a text is tried as Latin-1 first and written again if it is not.
char* escribeCelda(char* p, const char* fila, QStringView texto) {
    const qsizetype largo = texto.size();
    char* const cabeza = p;
    p = escribeNumero(p, static_cast<std::uint64_t>(largo) << 1);
    if (copiaLatin1(texto.utf16(), largo, p)) return p + largo;
    *cabeza |= 1;
    if ((p - fila) & 1) *p++ = 0;
    std::memcpy(p, texto.utf16(), static_cast<std::size_t>(largo) * 2);
    return p + largo * 2;
}

}  // namespace

class SearchGridRows::Lector {
public:
    explicit Lector(const char* fila) : fila_(fila), p_(fila) {
        const auto marcas = static_cast<unsigned char>(*p_++);
        if (marcas & 1) {
            qint64 c = 0;
            std::memcpy(&c, p_, sizeof c);
            p_ += sizeof c;
            color_ = c;
        }
        celdas_ = static_cast<qsizetype>(numero());
    }

    qsizetype celdas() const { return celdas_; }
    std::optional<qint64> color() const { return color_; }

    QAnyStringView siguiente() {
        const std::uint64_t cabeza = numero();
        const auto largo = static_cast<qsizetype>(cabeza >> 1);
        if ((cabeza & 1) == 0) {
            const char* texto = p_;
            p_ += largo;
            return QLatin1StringView(texto, largo);
        }
        if ((p_ - fila_) & 1) ++p_;
        const auto* texto = reinterpret_cast<const char16_t*>(p_);
        p_ += largo * 2;
        return QStringView(texto, largo);
    }

private:
    std::uint64_t numero() {
        std::uint64_t n = 0;
        for (int corrimiento = 0;; corrimiento += 7) {
            const auto b = static_cast<unsigned char>(*p_++);
            n |= std::uint64_t(b & 0x7F) << corrimiento;
            if ((b & 0x80) == 0) return n;
        }
    }

    const char* fila_;
    const char* p_;
    qsizetype celdas_ = 0;
    std::optional<qint64> color_;
};

const char* SearchGridRows::inicio(qsizetype fila) const {
    const Registro& r = filas_[fila];
    return bloques_[r.bloque].bytes.get() + r.inicio;
}

FilaGrilla SearchGridRows::operator[](qsizetype fila) const {
    Lector lector(inicio(fila));
    FilaGrilla out;
    out.celdas.reserve(lector.celdas());
    for (qsizetype k = 0; k < lector.celdas(); ++k)
        out.celdas.append(lector.siguiente().toString());
    out.marcada = filas_[fila].marcada;
    out.color = lector.color();
    return out;
}

void SearchGridRows::clear() {
    std::vector<Registro>().swap(filas_);
    std::vector<Bloque>().swap(bloques_);
}

void SearchGridRows::reserve(qsizetype filas) {
    filas_.reserve(static_cast<std::size_t>(std::max<qsizetype>(0, filas)));
}

void SearchGridRows::agrega(const QString* celdas, qsizetype n, bool marcada,
                            std::optional<qint64> color) {
    filas_.push_back({});
    guarda(celdas, n, marcada, color, &filas_.back());
}

void SearchGridRows::agrega(const FilaGrilla& fila) {
    agrega(fila.celdas.constData(), fila.celdas.size(), fila.marcada, fila.color);
}

void SearchGridRows::guarda(const QString* celdas, qsizetype n, bool marcada,
                            std::optional<qint64> color, Registro* destino) {
    // Room for the row as if every text were UTF-16; it takes what it needs of it.
    constexpr std::size_t kNumero = 10;
    std::size_t lugar = 1 + sizeof(qint64) + kNumero;
    for (qsizetype k = 0; k < n; ++k)
        lugar += kNumero + 1 + static_cast<std::size_t>(celdas[k].size()) * 2;

    const auto par = [](std::size_t x) { return (x + 1) & ~std::size_t(1); };
    if (bloques_.empty() || par(bloques_.back().usado) + lugar > bloques_.back().tamano) {
        Bloque b;
        b.tamano =
            bloques_.empty() ? kPrimerBloque : std::min(kMayorBloque, bloques_.back().tamano * 2);
        b.tamano = std::max(b.tamano, lugar);
        b.bytes = std::make_unique_for_overwrite<char[]>(b.tamano);
        bloques_.push_back(std::move(b));
    }
    Bloque& b = bloques_.back();
    const std::size_t en = par(b.usado);
    char* const fila = b.bytes.get() + en;
    char* p = fila;
    *p++ = color ? 1 : 0;
    if (color) {
        const qint64 c = *color;
        std::memcpy(p, &c, sizeof c);
        p += sizeof c;
    }
    p = escribeNumero(p, static_cast<std::uint64_t>(n));
    for (qsizetype k = 0; k < n; ++k) p = escribeCelda(p, fila, celdas[k]);
    b.usado = en + static_cast<std::size_t>(p - fila);
    destino->bloque = static_cast<std::uint32_t>(bloques_.size() - 1);
    destino->inicio = static_cast<std::uint32_t>(en);
    destino->marcada = marcada ? 1 : 0;
}

qsizetype SearchGridRows::celdas(qsizetype fila) const {
    return Lector(inicio(fila)).celdas();
}

QAnyStringView SearchGridRows::celda(qsizetype fila, qsizetype columna) const {
    Lector lector(inicio(fila));
    if (columna < 0 || columna >= lector.celdas()) return QLatin1StringView();
    for (qsizetype k = 0; k < columna; ++k) lector.siguiente();
    return lector.siguiente();
}

QString SearchGridRows::texto(qsizetype fila, qsizetype columna) const {
    return celda(fila, columna).toString();
}

void SearchGridRows::ponTexto(qsizetype fila, qsizetype columna, const QString& texto) {
    FilaGrilla f = (*this)[fila];
    while (f.celdas.size() <= columna) f.celdas.append(QString());
    f.celdas[columna] = texto;
    // The row is written again at the end; its old bytes stay unused until the rows go.
    guarda(f.celdas.constData(), f.celdas.size(), f.marcada, f.color, &filas_[fila]);
}

std::optional<qint64> SearchGridRows::color(qsizetype fila) const {
    return Lector(inicio(fila)).color();
}

void SearchGridRows::reordena(const QList<int>& orden) {
    std::vector<Registro> nuevas;
    nuevas.reserve(orden.size());
    for (const int i : orden) nuevas.push_back(filas_[i]);
    filas_ = std::move(nuevas);
}
