#include "editor/key_codes.h"

int EditorKeyCode(int key) {
    using namespace virtual_key;
    if (key == kSpace) return 0;
    if (key == kUp) return 1;
    if (key == kDown) return 2;
    if (key == kLeft) return 3;
    if (key == kRight) return 4;
    if (key >= 48 && key <= 57) return key - 43;
    if (key >= 65 && key <= 90) return key - 50;
    if (key >= 97 && key <= 122) return key - 82;
    return -1;
}
