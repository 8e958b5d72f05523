#pragma once
// The visible number and name of every row of the two map lists.
#include "model/map_tables.h"

namespace klangrid {

int RowCount(RowKind kind);
// Both valid for the life of the process; row must lie in 0..RowCount-1.
const char* NumberText(RowKind kind, int row);
const char* Name(RowKind kind, int row);

// The General MIDI families: 16 runs of 8 consecutive programs, Piano
// (0-7) to Sound Effects (120-127).
constexpr int kFamilyCount = 16;
constexpr int kProgramsPerFamily = 8;
static_assert(kFamilyCount * kProgramsPerFamily == kInstrumentRows, "families cover every program");
// Family 0..15 of a program row, or -1 outside 0..127.
int FamilyOf(int program);
// "Piano", "Chromatic Percussion", ...; empty outside 0..15.
const char* FamilyName(int family);
// First and last program row of a family; -1 outside 0..15.
int FamilyFirstProgram(int family);
int FamilyLastProgram(int family);

}  // namespace klangrid
