#pragma once

#include "platform/ado/field.h"

#include <QString>

// Puts files (logos, QR images) into a field of a recordset's current record.
class clsArchivoCampo {
public:
    // The whole contents of the file at `ruta` become the value of `campo`, an edit of the
    // current record that the recordset's Update saves. File not found (53) when the file
    // cannot be read; the field's own errors (no current record, read-only) pass through.
    void CargaArchivo(ado::Field campo, const QString& ruta);
};
