#pragma once
// The visible number and name of every row of the two map lists.
#include "model/map_tables.h"

namespace klangrid {

int RowCount(RowKind kind);
// Both valid for the life of the process; row must lie in 0..RowCount-1.
const char* NumberText(RowKind kind, int row);
const char* Name(RowKind kind, int row);

}  // namespace klangrid
