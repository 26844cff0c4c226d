#pragma once

// The 25 note values of "Delay Rate", a third of an octave apart: straight, then the
// triplet of the next longer straight value, then the dotted form.
constexpr int kNoteValueCount = 25;
extern const char* const kNoteValueTexts[kNoteValueCount];

// Length in whole notes of the note value at `index` (also past the table's end).
float NoteLength(int index);
