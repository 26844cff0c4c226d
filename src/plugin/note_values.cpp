#include "plugin/note_values.h"

#include <cmath>
#include <cstdint>

const char* const kNoteValueTexts[kNoteValueCount] = {
    "1/64", "1/32T", "1/64D", "1/32", "1/16T", "1/32D", "1/16", "1/8T", "1/16D",
    "1/8",  "1/4T",  "1/8D",  "1/4",  "1/2T",  "1/4D",  "1/2",  "1/1T", "1/2D",
    "1/1",  "2/1T",  "1/1D",  "2/1",  "4/1T",  "2/1D",  "4/1"};

float NoteLength(int index) {
    const int i = static_cast<std::int16_t>(index);
    constexpr double kThird = 1.0 / 3.0;
    constexpr double kTwoThirds = 2.0 / 3.0;
    constexpr double kSixtyFourth = 0.015625;
    double length;
    switch (i % 3) {
    case 0:
        length = std::pow(2.0, i * kThird) * kSixtyFourth;
        break;
    case 1:
        length = std::pow(2.0, (i + 2) * kThird) * kSixtyFourth * kTwoThirds;
        break;
    default:
        length = std::pow(2.0, (i - 2) * kThird) * kSixtyFourth * 1.5;
        break;
    }
    return static_cast<float>(length);
}
