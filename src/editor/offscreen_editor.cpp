#include "editor/offscreen_editor.h"

#include "bitmap/png_loader.h"
#include "core/plug_base.h"
#include "editor/link_opener.h"

OffscreenEditor::~OffscreenEditor() {
    CloseEditorWindow();
}

void OffscreenEditor::Tick() {
    IPlugRect dirty;
    if (FindDirtyArea(dirty)) DrawArea(dirty);
    if (countdown_ > 0 && --countdown_ == 0) Plug()->EndPendingEdit();
}

void OffscreenEditor::DrawAll() {
    MarkAllDirty();
    Tick();
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
    // As a closing window would: a wheel gesture still counting down ends now.
    if (countdown_ > 0 && Plug()) Plug()->EndPendingEdit();
}

std::unique_ptr<PixelBitmap> OffscreenEditor::LoadImageResource(int id, const char*,
                                                                DisplayScale scale) {
    const EmbeddedResource* resource = FindEmbeddedResource(id, scale);
    if (!resource) return nullptr;
    return LoadPngMemory(resource->data, resource->size);
}
