#include "platform/ado/tsql/collation.h"

#include <QString>

#include <array>

namespace tsql {

namespace {

char32_t fold(char32_t c) {
    if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    return QChar::toCaseFolded(c);
}

// The weight a folded letter sorts by: accented Latin letters next to their base letter, and ñ
// as the letter of its own between n and o. Letters of equal weight that differ are told
// apart afterwards, so equality still keeps accents apart.
char32_t weight(char32_t folded) {
    static const auto latin = [] {
        std::array<char32_t, 0x250> w{};
        for (char32_t c = 0; c < w.size(); ++c) {
            char32_t base = c;
            if (c >= 0x80 && QChar::decompositionTag(c) == QChar::Canonical) {
                base = fold(QChar::decomposition(c).at(0).unicode());
            }
            w[c] = base * 2;
        }
        w[0xF1] = u'n' * 2 + 1;
        return w;
    }();
    return folded < latin.size() ? latin[folded] : folded * 2;
}

// Reads code points from UTF-8 bytes, the trailing blanks left out.
class Utf8Reader {
public:
    Utf8Reader(const void* p, int n) : s_(static_cast<const unsigned char*>(p)), n_(n) {
        while (n_ > 0 && s_[n_ - 1] == ' ') --n_;
    }
    bool atEnd() const { return i_ >= n_; }
    char32_t next() {
        const unsigned c = s_[i_++];
        if (c < 0x80) return c;
        int extra = 0;
        char32_t cp = 0;
        if ((c & 0xE0) == 0xC0) {
            extra = 1;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return 0xFFFD;
        }
        while (extra-- > 0 && i_ < n_ && (s_[i_] & 0xC0) == 0x80)
            cp = (cp << 6) | (s_[i_++] & 0x3F);
        return cp;
    }

private:
    const unsigned char* s_;
    int n_;
    int i_ = 0;
};

// Reads code points from UTF-16 text, the trailing blanks left out.
class Utf16Reader {
public:
    explicit Utf16Reader(QStringView s) : s_(s), n_(s.size()) {
        while (n_ > 0 && s_[n_ - 1] == u' ') --n_;
    }
    bool atEnd() const { return i_ >= n_; }
    char32_t next() {
        const QChar c = s_[i_++];
        if (c.isHighSurrogate() && i_ < n_ && s_[i_].isLowSurrogate())
            return QChar::surrogateToUcs4(c, s_[i_++]);
        return c.unicode();
    }

private:
    QStringView s_;
    qsizetype n_;
    qsizetype i_ = 0;
};

template <class Reader>
int compareWith(Reader a, Reader b) {
    int tie = 0;  // the first difference of letters of equal weight
    while (!a.atEnd() && !b.atEnd()) {
        const char32_t x = fold(a.next());
        const char32_t y = fold(b.next());
        if (x == y) continue;
        const char32_t wx = weight(x);
        const char32_t wy = weight(y);
        if (wx != wy) return wx < wy ? -1 : 1;
        if (tie == 0) tie = x < y ? -1 : 1;
    }
    if (!a.atEnd()) return 1;
    if (!b.atEnd()) return -1;
    return tie;
}

}  // namespace

int compareText(QStringView a, QStringView b) {
    return compareWith(Utf16Reader(a), Utf16Reader(b));
}

int compareTextUtf8(const void* a, int bytesA, const void* b, int bytesB) {
    return compareWith(Utf8Reader(a, bytesA), Utf8Reader(b, bytesB));
}

}  // namespace tsql
