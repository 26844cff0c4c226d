#include "editor/plug_editor.h"

#include "bitmap/blit.h"
#include "bitmap/heap_bitmap.h"
#include "bitmap/png_loader.h"
#include "bitmap/text/plug_text.h"
#include "controls/control.h"
#include "controls/text_control.h"
#include "core/plug_base.h"
#include "editor/entry_plan.h"
#include "editor/image_cache.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

IPlugEditor::IPlugEditor(IPlugBase* plug, int width, int height, int framesPerSecond)
    : plug_(plug), width_(width), height_(height),
      framesPerSecond_(framesPerSecond > 0 ? framesPerSecond : 24) {}

IPlugEditor::~IPlugEditor() {
    controls_.DeleteAll();
    bitmap_.reset();
}

std::unique_ptr<PixelBitmap> IPlugEditor::CreateBitmap(int width, int height) {
    return std::make_unique<HeapBitmap>(width, height, 4);
}

const EmbeddedResource* IPlugEditor::FindEmbeddedResource(int id) const {
    for (const EmbeddedResource& resource : embedded_)
        if (resource.id == id) return &resource;
    return nullptr;
}

std::unique_ptr<PixelBitmap> IPlugEditor::LoadImageResource(int id, const char*) {
    const EmbeddedResource* resource = FindEmbeddedResource(id);
    if (!resource) return nullptr;
    return LoadPngMemory(resource->data, resource->size);
}

IPlugEditor* EditorOf(const IPlugBase* plug) {
    return plug ? dynamic_cast<IPlugEditor*>(plug->GetEditor()) : nullptr;
}

void IPlugEditor::CreateDrawSurface() {
    bitmap_ = CreateBitmap(width_, height_);
}

void IPlugEditor::ResizeBitmap(int width, int height) {
    if (bitmap_) bitmap_->Resize(width, height);
}

void IPlugEditor::SetBackgroundImage(int id, const char* name) {
    IPlugImage image = LoadImage(id, name, 1);
    auto* background = new IImageControl(plug_, IPlugRect{0, 0, image.width, image.height}, -1,
                                         image, IPlugBlend{IPlugBlend::BlendOpaque, 1.0f}, true);
    controls_.Insert(0, background);
}

IPlugImage IPlugEditor::LoadImage(int id, const char* name, int frames) {
    PixelBitmap* bitmap = image_cache::Find(id);
    if (!bitmap) {
        // A resource that is missing or cannot be decoded gives an empty image that draws
        // nothing, cached like any other so it is not looked for again.
        std::unique_ptr<PixelBitmap> loaded = LoadImageResource(id, name);
        if (!loaded) loaded = std::make_unique<HeapBitmap>(0, 0);
        bitmap = image_cache::Add(id, std::move(loaded));
    }
    return IPlugImage{bitmap, bitmap->Width(), bitmap->Height(), std::max(frames, 1)};
}

int IPlugEditor::AddControl(IControl* control) {
    controls_.Add(control);
    return controls_.Count() - 1;
}

void IPlugEditor::HideBoundControls(int paramIndex, bool hide) {
    for (int i = 0; i < controls_.Count(); ++i)
        if (controls_[i]->ParamIndex() == paramIndex) controls_[i]->Hide(hide);
}

void IPlugEditor::PushValueToControls(int paramIndex, double value, bool isNormalized) {
    if (!isNormalized) {
        IPlugParam* param = plug_ ? plug_->GetParam(paramIndex) : nullptr;
        if (!param) return;
        value = param->ToNormalized(value);
    }
    for (int i = 0; i < controls_.Count(); ++i)
        if (controls_[i]->ParamIndex() == paramIndex) controls_[i]->ApplyPlugValue(value);
}

void IPlugEditor::SetControlsAsUser(int paramIndex, double normalized) {
    for (int i = 0; i < controls_.Count(); ++i)
        if (controls_[i]->ParamIndex() == paramIndex) controls_[i]->ApplyUserValue(normalized);
}

void IPlugEditor::MarkAllDirty() {
    for (int i = 0; i < controls_.Count(); ++i)
        controls_[i]->MarkDirty(false);
}

void IPlugEditor::Tick() {
    entry_.Advance(*this);
    IPlugRect dirty;
    if (FindDirtyArea(dirty)) RedrawDirty(dirty);
    if (endEditCountdown_ > 0 && --endEditCountdown_ == 0 && plug_) plug_->EndPendingEdit();
}

void IPlugEditor::DrawAll() {
    MarkAllDirty();
    Tick();
}

void IPlugEditor::EndCountdownNow() {
    if (endEditCountdown_ != 0 && plug_) plug_->EndPendingEdit();
}

bool IPlugEditor::FindDirtyArea(IPlugRect& out) {
    out = IPlugRect{};
    bool dirty = false;
    for (int i = 0; i < controls_.Count(); ++i) {
        if (controls_[i]->NeedsDraw()) {
            out = out.Union(controls_[i]->DrawRect());
            dirty = true;
        }
    }
    // The diagnostic overlay follows the mouse: redraw the whole last area every tick.
    if (showControlBounds_ && !updateRect_.Empty()) {
        out = out.Union(updateRect_);
        dirty = true;
    }
    return dirty;
}

bool IPlugEditor::DrawArea(const IPlugRect& rect) {
    if (controls_.Count() == 0) return true;
    PaintControls(rect);
    return CopyToScreen(rect);
}

PixelBitmap* IPlugEditor::DrawPicture() {
    if (!bitmap_) CreateDrawSurface();
    MarkAllDirty();
    IPlugRect area;
    if (FindDirtyArea(area)) PaintControls(area);
    return bitmap_.get();
}

void IPlugEditor::PaintControls(const IPlugRect& rect) {
    updateRect_ = rect;
    for (int i = 0; i < controls_.Count(); ++i) {
        IControl* control = controls_[i];
        const IPlugRect& r = control->DrawRect();
        if (!control->IsHidden() && !r.Empty() && !updateRect_.Empty() && r.Overlaps(updateRect_))
            control->Draw(*this);
        control->MarkDrawn();
    }
    if (showControlBounds_) DrawControlBounds();
}

void IPlugEditor::DrawControlBounds() {
    const IPlugColor outline{255, 255, 0, 255};
    for (int i = 1; i < controls_.Count(); ++i) {
        const IPlugRect& r = controls_[i]->DrawRect();
        DrawFilledRect(outline, {r.left, r.top, r.right, r.top + 1});
        DrawFilledRect(outline, {r.left, r.bottom - 1, r.right, r.bottom});
        DrawFilledRect(outline, {r.left, r.top, r.left + 1, r.bottom});
        DrawFilledRect(outline, {r.right - 1, r.top, r.right, r.bottom});
    }
    char text[64];
    std::snprintf(text, sizeof text, "x: %i, y: %i", lastX_, lastY_);
    IPlugText style;
    style.SetFace("Arial");
    style.size = 20;
    style.colour = IPlugColor{255, 255, 255, 255};
    DrawText(style, text, {width_ - 150, height_ - 20, width_, height_});
}

int IPlugEditor::ControlAt(int x, int y) const {
    if (captureIndex_ >= 0) return captureIndex_;
    for (int i = controls_.Count() - 1; i >= 0; --i) {
        const IControl* control = controls_[i];
        if (!control->IsHidden() && !control->IsGrayed() && control->HitTest(x, y)) return i;
    }
    return -1;
}

void IPlugEditor::MouseDown(int x, int y, const MouseKeys& mod) {
    ResetMouse();
    const int index = ControlAt(x, y);
    if (index < 0) return;
    captureIndex_ = index;
    lastX_ = x;
    lastY_ = y;
    IControl* control = controls_[index];
    if (control->ParamIndex() >= 0) plug_->HostBeginEdit(control->ParamIndex());
    control->MouseDown(x, y, mod);
}

void IPlugEditor::MouseUp(int x, int y, const MouseKeys& mod) {
    const int index = ControlAt(x, y);
    ResetMouse();
    if (index < 0) return;
    IControl* control = controls_[index];
    control->MouseUp(x, y, mod);
    if (control->ParamIndex() >= 0) plug_->HostEndEdit(control->ParamIndex());
}

void IPlugEditor::MouseDrag(int x, int y, const MouseKeys& mod) {
    if (captureIndex_ < 0 || (x == lastX_ && y == lastY_)) return;
    controls_[captureIndex_]->MouseDrag(x, y, x - lastX_, y - lastY_, mod);
    lastX_ = x;
    lastY_ = y;
}

bool IPlugEditor::MouseDoubleClick(int x, int y, const MouseKeys& mod) {
    ResetMouse();
    const int index = ControlAt(x, y);
    if (index < 0) return false;
    IControl* control = controls_[index];
    if (control->ParamIndex() >= 0) plug_->HostBeginEdit(control->ParamIndex());
    if (!control->DoubleClickAsClick()) {
        control->MouseDoubleClick(x, y, mod);
        return false;
    }
    captureIndex_ = index;
    lastX_ = x;
    lastY_ = y;
    control->MouseDown(x, y, mod);
    return true;
}

void IPlugEditor::MouseWheel(int x, int y, const MouseKeys& mod, int notches) {
    const int index = ControlAt(x, y);
    if (index < 0) return;
    IControl* control = controls_[index];
    const int param = control->ParamIndex();
    if (param >= 0) plug_->HostBeginEditUnlessPending(param);
    control->MouseWheel(x, y, mod, notches);
    if (param >= 0) plug_->EndEditLater(param);
}

bool IPlugEditor::MouseOver(int x, int y, const MouseKeys& mod) {
    if (!mouseOverHandling_) return false;
    const int index = ControlAt(x, y);
    if (index < 0) return true;
    lastX_ = x;
    lastY_ = y;
    controls_[index]->MouseOver(x, y, mod);
    if (mouseOverIndex_ >= 0 && mouseOverIndex_ != index && mouseOverIndex_ < controls_.Count())
        controls_[mouseOverIndex_]->MouseOut();
    mouseOverIndex_ = index;
    return true;
}

void IPlugEditor::MouseOut() {
    for (int i = 0; i < controls_.Count(); ++i)
        controls_[i]->MouseOut();
    mouseOverIndex_ = -1;
}

void IPlugEditor::KeyDown(int x, int y, int key) {
    const int index = ControlAt(x, y);
    if (index >= 0) controls_[index]->KeyDown(x, y, key);
}

void IPlugEditor::PromptParameter(IControl* control, IPlugParam* param) {
    if (!control || !param || entry_.IsOpen()) return;
    entry_.Open(OpenEntryBox(EntryPlan::ForParameter(*control, *param)), control, param);
}

void IPlugEditor::PromptText(ITextControl* control) {
    if (!control || entry_.IsOpen()) return;
    entry_.Open(OpenEntryBox(EntryPlan::ForText(*control)), control, nullptr);
}

void IPlugEditor::ApplyTypedText(IControl* control, IPlugParam* param, const char* text) {
    if (!control) return;
    if (param) {
        const double value = param->ParseValue(text);
        const int index = control->ParamIndex();
        if (index >= 0) plug_->HostBeginEdit(index);
        control->ApplyUserValue(param->ToNormalized(value));
        if (index >= 0) plug_->HostEndEdit(index);
    } else if (auto* textControl = dynamic_cast<ITextControl*>(control);
               textControl && textControl->IsEditable()) {
        textControl->SetText(text);
    }
}

void IPlugEditor::Resize(int width, int height) {
    width_ = width;
    height_ = height;
    ResetMouse();
    controls_.DeleteAll();
    mouseOverIndex_ = -1;
    plug_->OnEditorResized(width, height);
}

bool IPlugEditor::DrawImageArea(const IPlugImage& image, const IPlugRect& rect, int sourceX,
                                int sourceY, const IPlugBlend* blend) {
    const IPlugRect clip = rect.Intersect(updateRect_);
    if (clip.Empty()) return true;
    const IPlugBlend b = blend ? *blend : IPlugBlend{};
    BlitBitmapArea(bitmap_.get(), image.bitmap, clip.left, clip.top,
                   sourceX + clip.left - rect.left, sourceY + clip.top - rect.top, clip.W(),
                   clip.H(), b.weight, b.Mode());
    return true;
}

bool IPlugEditor::DrawImageFrame(const IPlugImage& image, const IPlugRect& rect, int frame,
                                 const IPlugBlend* blend, bool framesVertical) {
    int sourceX = 0, sourceY = 0;
    const int n = image.frames;
    if (n >= 2 && frame >= 2) {
        const int size = framesVertical ? image.height : image.width;
        const int offset = RoundHalfAway(static_cast<double>(size) * (frame - 1) / n);
        (framesVertical ? sourceY : sourceX) = offset;
    }
    return DrawImageArea(image, rect, sourceX, sourceY, blend);
}

bool IPlugEditor::DrawImageRotated(const IPlugImage& image, int centreX, int centreY, double angle,
                                   float sourceOffsetX, float sourceOffsetY,
                                   const IPlugBlend* blend) {
    const IPlugBlend b = blend ? *blend : IPlugBlend{};
    const int x = static_cast<int>(centreX - image.width / 2.0);
    const int y = static_cast<int>(centreY - image.height / 2.0);
    BlitRotated(bitmap_.get(), image.bitmap, x, y, image.width, image.height, sourceOffsetX,
                sourceOffsetY, static_cast<float>(image.width), static_cast<float>(image.height),
                static_cast<float>(angle), false, b.weight, b.Mode() | BLEND_BILINEAR);
    return true;
}

bool IPlugEditor::DrawFilledRect(const IPlugColor& colour, const IPlugRect& rect,
                                 const IPlugBlend* blend) {
    const IPlugBlend b = blend ? *blend : IPlugBlend{};
    FillRectangle(bitmap_.get(), rect.left, rect.top, rect.W(), rect.H(), colour.Word(), b.weight,
                  b.Mode());
    return true;
}

IPlugImage IPlugEditor::CropImage(const IPlugImage& image, const IPlugRect& rect) {
    auto cropped = std::make_unique<HeapBitmap>(rect.W(), rect.H(), 4);
    BlitBitmapArea(cropped.get(), image.bitmap, 0, 0, rect.left, rect.top, rect.W(), rect.H(), 1.0f,
                   BLEND_COPY);
    PixelBitmap* bitmap = image_cache::Add(-1, std::move(cropped));
    return IPlugImage{bitmap, rect.W(), rect.H(), image.frames};
}
