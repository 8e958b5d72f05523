#include "model/gm_names.h"

namespace klangrid {

namespace {

struct NamedRow {
  const char* number;
  const char* name;
};

// Shown exactly as listed, spelling included: users know these texts.
const NamedRow kPrograms[kInstrumentRows] = {
    {"0", "Acoustic Grand Piano"},
    {"1", "Bright Acoustic Piano"},
    {"2", "Electric Grand Piano"},
    {"3", "Honky-tonk Piano"},
    {"4", "Rhodes Piano"},
    {"5", "Chorused Piano"},
    {"6", "Harpsichord"},
    {"7", "Clavinet"},
    {"8", "Celesta"},
    {"9", "Glockenspiel"},
    {"10", "Music box"},
    {"11", "Vibraphone"},
    {"12", "Marimba"},
    {"13", "Xylophone"},
    {"14", "Tubular Bells"},
    {"15", "Dulcimer"},
    {"16", "Hammond Organ"},
    {"17", "Percussive Organ"},
    {"18", "Rock Organ"},
    {"19", "Church Organ"},
    {"20", "Reed Organ"},
    {"21", "Accordion"},
    {"22", "Harmonica"},
    {"23", "Tango Accordion"},
    {"24", "Acoustic Guitar (nylon)"},
    {"25", "Acoustic Guitar (steel)"},
    {"26", "Electric Guitar (jazz)"},
    {"27", "Electric Guitar (clean)"},
    {"28", "Electric Guitar (muted)"},
    {"29", "Overdriven Guitar"},
    {"30", "Distortion Guitar"},
    {"31", "Guitar Harmonics"},
    {"32", "Acoustic Bass"},
    {"33", "Electric Bass (finger)"},
    {"34", "Electric Bass (pick)"},
    {"35", "Fretless Bass"},
    {"36", "Slap Bass 1"},
    {"37", "Slap Bass 2"},
    {"38", "Synth Bass 1"},
    {"39", "Synth Bass 2"},
    {"40", "Violin"},
    {"41", "Viola"},
    {"42", "Cello"},
    {"43", "Contrabass"},
    {"44", "Tremolo Strings"},
    {"45", "Pizzicato Strings"},
    {"46", "Orchestral Harp"},
    {"47", "Timpani"},
    {"48", "String Ensemble 1"},
    {"49", "String Ensemble 2"},
    {"50", "SynthStrings 1"},
    {"51", "SynthStrings 2"},
    {"52", "Choir Aahs"},
    {"53", "Voice Oohs"},
    {"54", "Synth Voice"},
    {"55", "Orchestra Hit"},
    {"56", "Trumpet"},
    {"57", "Trombone"},
    {"58", "Tuba"},
    {"59", "Muted Trumpet"},
    {"60", "French Horn"},
    {"61", "Brass Section"},
    {"62", "Synth Brass 1"},
    {"63", "Synth Brass 2"},
    {"64", "Soprano Sax"},
    {"65", "Alto Sax"},
    {"66", "Tenor Sax"},
    {"67", "Baritone Sax"},
    {"68", "Oboe"},
    {"69", "English Horn"},
    {"70", "Bassoon"},
    {"71", "Clarinet"},
    {"72", "Piccolo"},
    {"73", "Flute"},
    {"74", "Recorder"},
    {"75", "Pan Flute"},
    {"76", "Bottle Blow"},
    {"77", "Shakuhachi"},
    {"78", "Whistle"},
    {"79", "Ocarina"},
    {"80", "Lead 1 (square)"},
    {"81", "Lead 2 (sawtooth)"},
    {"82", "Lead 3 (caliope lead)"},
    {"83", "Lead 4 (chiff lead)"},
    {"84", "Lead 5 (charang)"},
    {"85", "Lead 6 (voice)"},
    {"86", "Lead 7 (fifths)"},
    {"87", "Lead 8 (bass + lead)"},
    {"88", "Pad 1 (new age)"},
    {"89", "Pad 2 (warm)"},
    {"90", "Pad 3 (polysynth)"},
    {"91", "Pad 4 (choir)"},
    {"92", "Pad 5 (bowed)"},
    {"93", "Pad 6 (metallic)"},
    {"94", "Pad 7 (halo)"},
    {"95", "Pad 8 (sweep)"},
    {"96", "FX 1 (rain)"},
    {"97", "FX 2 (soundtrack)"},
    {"98", "FX 3 (crystal)"},
    {"99", "FX 4 (atmosphere)"},
    {"100", "FX 5 (brightness)"},
    {"101", "FX 6 (goblins)"},
    {"102", "FX 7 (echoes)"},
    {"103", "FX 8 (sci-fi)"},
    {"104", "Sitar"},
    {"105", "Banjo"},
    {"106", "Shamisen"},
    {"107", "Koto"},
    {"108", "Kalimba"},
    {"109", "Bagpipe"},
    {"110", "Fiddle"},
    {"111", "Shanai"},
    {"112", "Tinkle Bell"},
    {"113", "Agogo"},
    {"114", "Steel Drums"},
    {"115", "Woodblock"},
    {"116", "Taiko Drum"},
    {"117", "Melodic Tom"},
    {"118", "Synth Drum"},
    {"119", "Reverse Cymbal"},
    {"120", "Guitar Fret Noise"},
    {"121", "Breath Noise"},
    {"122", "Seashore"},
    {"123", "Bird Tweet"},
    {"124", "Telephone Ring"},
    {"125", "Helicopter"},
    {"126", "Applause"},
    {"127", "Gunshot"},
};

// Row r is MIDI note 35 + r on the percussion channel.
const NamedRow kPercussion[kPercussionRows] = {
    {"35", "Acoustic Bass Drum"},
    {"36", "Bass Drum 1"},
    {"37", "Side Stick"},
    {"38", "Acoustic Snare"},
    {"39", "Hand Clap"},
    {"40", "Electric Snare"},
    {"41", "Low Floor Tom"},
    {"42", "Closed Hi-Hat"},
    {"43", "High Floor Tom"},
    {"44", "Pedal Hi-Hat"},
    {"45", "Low Tom"},
    {"46", "Open Hi-Hat"},
    {"47", "Low Mid Tom"},
    {"48", "Hi Mid Tom"},
    {"49", "Crash Cymbal"},
    {"50", "High Tom"},
    {"51", "Ride Cymbal 1"},
    {"52", "Chinese Cymbal"},
    {"53", "Ride Bell"},
    {"54", "Tambourine"},
    {"55", "Splash Cymbal"},
    {"56", "Cowbell"},
    {"57", "Crash Cymbal 2"},
    {"58", "Vibraslap"},
    {"59", "Ride Cymbal 2"},
    {"60", "Hi Bongo"},
    {"61", "Low Bongo"},
    {"62", "Mute Hi Conga"},
    {"63", "Open Hi Congo"},
    {"64", "Low Conga"},
    {"65", "High Timbal"},
    {"66", "Low Timbate"},
    {"67", "High Agogo"},
    {"68", "Low Agogo"},
    {"69", "Cabasa"},
    {"70", "Maracas"},
    {"71", "Shot Whistle"},
    {"72", "Long Whistle"},
    {"73", "short Guiro"},
    {"74", "Long Guiro"},
    {"75", "Claves"},
    {"76", "Hi Wood Block"},
    {"77", "Low Wood Block"},
    {"78", "Mute Cuica"},
    {"79", "Open Cuica"},
    {"80", "Mute Triangle"},
    {"81", "Open Triangle"},
};

const char* const kFamilies[kFamilyCount] = {
    "Piano", "Chromatic Percussion", "Organ", "Guitar", "Bass", "Strings", "Ensemble", "Brass",
    "Reed", "Pipe", "Synth Lead", "Synth Pad", "Synth Effects", "Ethnic", "Percussive",
    "Sound Effects",
};

bool ValidFamily(int family) { return family >= 0 && family < kFamilyCount; }

const NamedRow* Row(RowKind kind, int row) {
  if (row < 0 || row >= RowCount(kind)) return nullptr;
  return kind == RowKind::Instrument ? &kPrograms[row] : &kPercussion[row];
}

}  // namespace

int RowCount(RowKind kind) { return kind == RowKind::Instrument ? kInstrumentRows : kPercussionRows; }

const char* NumberText(RowKind kind, int row) {
  const NamedRow* r = Row(kind, row);
  return r ? r->number : "";
}

const char* Name(RowKind kind, int row) {
  const NamedRow* r = Row(kind, row);
  return r ? r->name : "";
}

int FamilyOf(int program) {
  return program >= 0 && program < kInstrumentRows ? program / kProgramsPerFamily : -1;
}

const char* FamilyName(int family) { return ValidFamily(family) ? kFamilies[family] : ""; }

int FamilyFirstProgram(int family) { return ValidFamily(family) ? family * kProgramsPerFamily : -1; }

int FamilyLastProgram(int family) {
  return ValidFamily(family) ? family * kProgramsPerFamily + kProgramsPerFamily - 1 : -1;
}

}  // namespace klangrid
