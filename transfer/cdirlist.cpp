#include "transfer/cdirlist.h"

#include "platform/vb/vberror.h"

namespace {

const QString kSource = QStringLiteral("cDirList");

// The name with every character folded as QString::compare folds it without regard to case,
// so two names are the same key exactly when that comparison finds them equal.
QString folded(const QString& name) {
    QString key;
    key.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        if (c.isHighSurrogate() && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            const char32_t f = QChar::toCaseFolded(QChar::surrogateToUcs4(c, name[i + 1]));
            key += QChar(QChar::highSurrogate(f));
            key += QChar(QChar::lowSurrogate(f));
            ++i;
        } else {
            key += QChar(QChar::toCaseFolded(c.unicode()));
        }
    }
    return key;
}

}  // namespace

void cDirList::Add(std::int32_t lAttrib, const vb::DateTime& dtCreationTime,
                   const vb::DateTime& dtLastAccessTime, const vb::DateTime& dtLastWriteTime,
                   std::int32_t lFileSize, const QString& sFilename) {
    const QString key = folded(sFilename);
    if (positions_.contains(key)) vb::raise(vb::err::DuplicateKey, kSource);
    cDirItem item;
    item.ReadOnly = lAttrib & 0x1;
    item.Hidden = lAttrib & 0x2;
    item.System = lAttrib & 0x4;
    item.Directory = lAttrib & 0x10;
    item.Archive = lAttrib & 0x20;
    item.Normal = lAttrib & 0x80;
    item.Temporary = lAttrib & 0x100;
    item.Compressed = lAttrib & 0x800;
    item.Offline = lAttrib & 0x1000;
    item.CreationTime = dtCreationTime;
    item.LastAccessTime = dtLastAccessTime;
    item.LastWriteTime = dtLastWriteTime;
    item.FileSize = lFileSize;
    item.Filename = sFilename;
    positions_.insert(key, items_.size());
    items_.append(item);
}

void cDirList::Clear() {
    items_.clear();
    positions_.clear();
}

cDirItem& cDirList::Item(int Index) {
    return const_cast<cDirItem&>(std::as_const(*this).Item(Index));
}

cDirItem& cDirList::Item(const QString& Key) {
    return const_cast<cDirItem&>(std::as_const(*this).Item(Key));
}

const cDirItem& cDirList::Item(int Index) const {
    if (Index < 1 || Index > items_.size()) vb::raise(vb::err::SubscriptOutOfRange, kSource);
    return items_[Index - 1];
}

const cDirItem& cDirList::Item(const QString& Key) const {
    const qsizetype i = indexOf(Key);
    if (i < 0) vb::raise(vb::err::InvalidProcedureCall, kSource);
    return items_[i];
}

bool cDirList::Exists(const QString& Key) const {
    return indexOf(Key) >= 0;
}

qsizetype cDirList::indexOf(const QString& key) const {
    return positions_.value(folded(key), -1);
}
