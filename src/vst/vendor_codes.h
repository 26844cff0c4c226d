#pragma once

// Four-character codes and vendor-specific request numbers exchanged with hosts beyond the
// published opcodes.
#include "base/four_char_code.h"
#include "vst/aeffect.h"

static_assert(FourCharCode("VstP") == kEffectMagic);

// The answer to effIdentify.
inline constexpr VstIntPtr kIdentifyAnswer = FourCharCode("NvEf");

// effVendorSpecific requests of the Cockos extensions, by index.
inline constexpr VstInt32 kVendorValueDisplay = 7; // text of the normalised value in opt
inline constexpr VstInt32 kVendorIsSwitch = 8;     // whether a parameter has two states
inline constexpr VstInt32 kVendorTextValue = 27;   // normalised value of the text at ptr
// A wheel movement the host forwards: index 'stCA', value 'Whee', opt the notches.
inline constexpr VstInt32 kVendorHostWheel = FourCharCode("stCA");
inline constexpr VstIntPtr kVendorHostWheelValue = FourCharCode("Whee");
// A content scale some hosts give their plug-in editors (PreSonus, Bitwig): index 'PreS',
// value 'AeCs', opt the factor.
inline constexpr VstInt32 kVendorPreSonus = FourCharCode("PreS");
inline constexpr VstIntPtr kVendorContentScale = FourCharCode("AeCs");
// What the extensions answer when they handled a request, and a capability they know.
inline constexpr VstIntPtr kVendorHandled = 0xBEEF;
inline constexpr VstIntPtr kVendorCanDo = 0xBEEF0000;
