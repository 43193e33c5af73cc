#include "transfer/cdirlist.h"

#include "platform/vb/vberror.h"

namespace {

const QString kSource = QStringLiteral("cDirList");

}  // namespace

void cDirList::Add(std::int32_t lAttrib, const QDateTime& dtCreationTime,
                   const QDateTime& dtLastAccessTime, const QDateTime& dtLastWriteTime,
                   std::int32_t lFileSize, const QString& sFilename) {
    if (indexOf(sFilename) >= 0) vb::raise(vb::err::DuplicateKey, kSource);
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
    items_.append(item);
}

void cDirList::Clear() {
    items_.clear();
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
    for (qsizetype i = 0; i < items_.size(); ++i)
        if (items_[i].Filename.compare(key, Qt::CaseInsensitive) == 0) return i;
    return -1;
}
