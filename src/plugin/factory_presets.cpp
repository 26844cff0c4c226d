// clang-format off
// Program 0 holds the defaults; programs 1 to 20 are the factory sounds. The last four
// programs stay free for the user.
#include "plugin/velmorande.h"

void VSTCLASS::AddFactoryPresets() {
    AddDefaultPresets("---- default ----", 1);
    //  name                        rate time sync ping pan  fb  freq  dry wet
    AddPreset("Classic Delay",         {9, 500, 1, 2, 90, 60, 6000, 70, 60});
    AddPreset("Classic Delay Triplet", {9, 500, 1, 0, 90, 60, 6000, 70, 60});
    AddPreset("Bright Room",           {0, 500, 1, 2, 100, 60, 6000, 100, 70});
    AddPreset("Dark Room",             {1, 500, 1, 2, 90, 50, 500, 60, 60});
    AddPreset("Etheric Room",          {1, 500, 1, 2, 100, 90, 8000, 90, 50});
    AddPreset("Resonant Room",         {0, 500, 1, 2, 100, 80, 6000, 100, 60});
    AddPreset("Distant Echoes",        {21, 500, 1, 2, 100, 60, 6000, 60, 50});
    AddPreset("Distant Echoes 2",      {20, 500, 1, 2, 100, 70, 6000, 60, 40});
    AddPreset("Harp",                  {3, 500, 1, 2, 90, 80, 6000, 70, 50});
    AddPreset("Long Delay",            {9, 500, 1, 2, 90, 80, 6000, 80, 70});
    AddPreset("Very Long Delay",       {9, 500, 1, 2, 90, 90, 6000, 70, 50});
    AddPreset("Don't Stop",            {9, 500, 1, 2, 90, 96, 6000, 70, 50});
    AddPreset("Light Drops",           {2, 500, 1, 2, 90, 80, 6000, 70, 50});
    AddPreset("Only Delay",            {12, 500, 1, 2, 90, 60, 6000, 0, 90});
    AddPreset("Quiet Delay",           {6, 500, 1, 2, 90, 80, 6000, 50, 30});
    AddPreset("Quiet Delay Dotted",    {6, 500, 1, 1, 90, 80, 6000, 50, 30});
    AddPreset("Relaxation",            {6, 500, 1, 2, 90, 80, 6000, 60, 40});
    AddPreset("Relaxation Dotted",     {6, 500, 1, 1, 90, 80, 6000, 60, 40});
    AddPreset("Stereo Enhanced",       {9, 500, 1, 2, 100, 70, 6000, 100, 70});
    AddPreset("Stereo Enhanced 2",     {9, 500, 1, 0, 100, 70, 6000, 100, 70});
}
// clang-format on
