#pragma once
#include "devices/midi_output_enumerator.h"
#include "model/map_tables.h"

namespace klangrid {

extern const char* const kDefaultDeviceNames[kSlotCount];

// Slot 2 from the first output device whose name holds "OPL" in any case,
// then the defaults for every slot still empty.
void ResolveDeviceNames(MidiOutputEnumerator& outputs, MapTables& tables);

}  // namespace klangrid
