#pragma once

#include "platform/reportengine/selection.h"

#include <QList>
#include <QString>

#include <optional>

// The texts a caller hands the report printer besides the selection: formula assignments,
// sort fields and the logon text.
namespace reportengine {

// A formula assignment "name = 'value'" (also "name='value'").
struct Assignment {
    QString name;
    QString value;
};

// The name is the trimmed text before the first "="; the value lies between the first
// apostrophe after it and the last apostrophe of the text, so apostrophes inside it survive
// ("Nombreempresa = 'O'Brien SA'"); without apostrophes it is the trimmed rest. Nothing for a
// blank text; raises err::Formula for a text without a name or with one lone apostrophe.
std::optional<Assignment> parseAssignment(const QString& text);

// A sort field "+{T.F}" (ascending) or "-{T.F}" (descending).
struct SortField {
    FieldRef field;
    bool descending = false;
};

// Nothing when the text does not have a sort field's shape.
std::optional<SortField> parseSortField(const QString& text);

// The report logon text "DSN=<database>; UID=<user>; PWD=<password>" (keys without regard to
// case, in any order; missing ones stay empty).
struct Logon {
    QString database;
    QString user;
    QString password;
};

Logon parseLogon(const QString& text);

}  // namespace reportengine
