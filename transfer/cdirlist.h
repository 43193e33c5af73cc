#pragma once

#include "transfer/cdiritem.h"

#include <QHash>
#include <QList>
#include <QString>

#include <cstdint>

// The entries of a remote folder listing, in the order they were added and keyed by file
// name without regard to case.
class cDirList {
public:
    // Raises vb::err::DuplicateKey when an entry of that name (in any case) is already there.
    void Add(std::int32_t lAttrib, const vb::DateTime& dtCreationTime,
             const vb::DateTime& dtLastAccessTime, const vb::DateTime& dtLastWriteTime,
             std::int32_t lFileSize, const QString& sFilename);
    void Clear();
    // By position, 1 first (vb::err::SubscriptOutOfRange outside), or by name
    // (vb::err::InvalidProcedureCall when there is none).
    cDirItem& Item(int Index);
    cDirItem& Item(const QString& Key);
    const cDirItem& Item(int Index) const;
    const cDirItem& Item(const QString& Key) const;
    // Whether an entry has that name, without regard to case.
    bool Exists(const QString& Key) const;
    int Count() const { return static_cast<int>(items_.size()); }

    QList<cDirItem>::const_iterator begin() const { return items_.begin(); }
    QList<cDirItem>::const_iterator end() const { return items_.end(); }

private:
    qsizetype indexOf(const QString& key) const;

    QList<cDirItem> items_;
    // Position of each item by its name folded to one case, so that a listing of many
    // names is keyed in time that grows with its length, not with its square.
    QHash<QString, qsizetype> positions_;
};
