#include "editor/offscreen_editor.h"

#include "editor/link_opener.h"

OffscreenEditor::~OffscreenEditor() {
    CloseEditorWindow();
}

bool OffscreenEditor::CopyToScreen(const IPlugRect& rect) {
    ++screenCopies_;
    lastCopied_ = rect;
    return true;
}

bool OffscreenEditor::OpenLink(const char* url, const char*, const char*, const char*) {
    return OpenLinkInBrowser(url);
}

void OffscreenEditor::CloseEditorWindow() {
    // As a closing window would.
    EndCountdownNow();
}
