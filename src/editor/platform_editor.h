#pragma once

#include <memory>

class IPlugBase;
class IPlugEditor;

// The editor of this platform: a window layer where there is one, else an off-screen one.
IPlugEditor* CreatePlatformEditor(IPlugBase* plug, int width, int height, int framesPerSecond);
