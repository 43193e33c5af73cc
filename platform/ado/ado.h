#pragma once

// Our stand-in for ADO: a connection, recordsets, fields and the provider's error list, with
// ADO's member names and numbers so the database class reads as it always has.
#include "platform/ado/connection.h"
#include "platform/ado/errors.h"
#include "platform/ado/field.h"
#include "platform/ado/recordset.h"
#include "platform/ado/row.h"
#include "platform/ado/types.h"
