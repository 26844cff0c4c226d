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

const EmbeddedResource* IPlugEditor::FindEmbeddedResource(int id, DisplayScale scale) const {
    for (const EmbeddedResource& resource : embedded_)
        if (resource.id == id && resource.scalePercent == scale.Percent()) return &resource;
    return nullptr;
}

std::unique_ptr<PixelBitmap> IPlugEditor::LoadImageResource(int id, const char*,
                                                            DisplayScale scale) {
    const EmbeddedResource* resource = FindEmbeddedResource(id, scale);
    if (!resource) return nullptr;
    return LoadPngMemory(resource->data, resource->size);
}

IPlugEditor* EditorOf(const IPlugBase* plug) {
    return plug ? dynamic_cast<IPlugEditor*>(plug->GetEditor()) : nullptr;
}

void IPlugEditor::CreateDrawSurface() {
    bitmap_ = CreateBitmap(WindowWidth(), WindowHeight());
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
        std::unique_ptr<PixelBitmap> loaded = LoadImageResource(id, name, DisplayScale());
        if (!loaded) loaded = std::make_unique<HeapBitmap>(0, 0);
        bitmap = image_cache::Add(id, std::move(loaded));
    }
    return IPlugImage{bitmap, bitmap->Width(), bitmap->Height(), std::max(frames, 1), id};
}

PixelBitmap* IPlugEditor::ArtOf(const IPlugImage& image) {
    if (scale_.IsOne()) return image.bitmap;
    if (image.resourceId == -1) return nullptr;
    for (const ScaledArt& art : art_)
        if (art.id == image.resourceId) return art.bitmap;
    const int percent = scale_.Percent();
    PixelBitmap* bitmap = image_cache::Find(image.resourceId, percent);
    if (!bitmap) {
        // Missing art is cached as an empty bitmap, so it is looked for once.
        std::unique_ptr<PixelBitmap> loaded = LoadImageResource(image.resourceId, "", scale_);
        if (!loaded) loaded = std::make_unique<HeapBitmap>(0, 0);
        bitmap = image_cache::Add(image.resourceId, std::move(loaded), percent);
    }
    // Art of another size than the scaled image would not line up with the panel: the 1x
    // image is resampled instead.
    if (bitmap->Width() != scale_.ToDevice(image.width) ||
        bitmap->Height() != scale_.ToDevice(image.height))
        bitmap = nullptr;
    art_.push_back({image.resourceId, bitmap});
    return bitmap;
}

void IPlugEditor::SetScale(DisplayScale scale) {
    if (scale == scale_) return;
    // An open entry box was laid out for the old scale: it goes now, applied only if it
    // was already committed, else as after a right-click elsewhere.
    if (entry_.IsOpen()) {
        if (entry_.GetState() != EntrySession::kCommit) entry_.Cancel();
        entry_.Advance(*this);
    }
    scale_ = scale;
    art_.clear();
    ResizeBitmap(WindowWidth(), WindowHeight());
    MarkAllDirty();
    ScaleChanged();
    if (plug_) plug_->OnEditorResized(width_, height_);
}

void IPlugEditor::SetHostScale(double factor) {
    hostScale_ = true;
    SetScale(DisplayScale::ForFactor(factor));
}

void IPlugEditor::RefreshScale() {
    if (!hostScale_ && !HasWindow()) SetScale(DetectScale());
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
            out = out.Union(scale_.ToDevice(controls_[i]->DrawRect()));
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

PixelBitmap* IPlugEditor::DrawPicture(DisplayScale scale) {
    if (scale == scale_) return DrawPicture();
    const DisplayScale shown = scale_;
    scale_ = scale;
    art_.clear();
    if (!picture_) picture_ = std::make_unique<HeapBitmap>(0, 0, 4);
    picture_->Resize(WindowWidth(), WindowHeight());
    std::swap(bitmap_, picture_);
    PixelBitmap* picture = DrawPicture();
    std::swap(bitmap_, picture_);
    scale_ = shown;
    art_.clear();
    // The window's own bitmap was not drawn: it shows everything again on its next tick.
    MarkAllDirty();
    return picture;
}

void IPlugEditor::PaintControls(const IPlugRect& rect) {
    updateRect_ = rect;
    const IPlugRect panelArea = scale_.PanelCover(rect);
    for (int i = 0; i < controls_.Count(); ++i) {
        IControl* control = controls_[i];
        const IPlugRect& r = control->DrawRect();
        if (!control->IsHidden() && !r.Empty() && !panelArea.Empty() && r.Overlaps(panelArea))
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
    x = scale_.ToPanel(x);
    y = scale_.ToPanel(y);
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
    x = scale_.ToPanel(x);
    y = scale_.ToPanel(y);
    const int index = ControlAt(x, y);
    ResetMouse();
    if (index < 0) return;
    IControl* control = controls_[index];
    control->MouseUp(x, y, mod);
    if (control->ParamIndex() >= 0) plug_->HostEndEdit(control->ParamIndex());
}

void IPlugEditor::MouseDrag(int x, int y, const MouseKeys& mod) {
    x = scale_.ToPanel(x);
    y = scale_.ToPanel(y);
    if (captureIndex_ < 0 || (x == lastX_ && y == lastY_)) return;
    controls_[captureIndex_]->MouseDrag(x, y, x - lastX_, y - lastY_, mod);
    lastX_ = x;
    lastY_ = y;
}

bool IPlugEditor::MouseDoubleClick(int x, int y, const MouseKeys& mod) {
    x = scale_.ToPanel(x);
    y = scale_.ToPanel(y);
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
    x = scale_.ToPanel(x);
    y = scale_.ToPanel(y);
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
    x = scale_.ToPanel(x);
    y = scale_.ToPanel(y);
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
    x = scale_.ToPanel(x);
    y = scale_.ToPanel(y);
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

void IPlugEditor::BlitArt(const IPlugImage& image, const IPlugRect& dest, double sourceX,
                          double sourceY, const IPlugBlend* blend) {
    const IPlugRect clip = dest.Intersect(updateRect_);
    if (clip.Empty()) return;
    const IPlugBlend b = blend ? *blend : IPlugBlend{};
    const double x = sourceX + (clip.left - dest.left), y = sourceY + (clip.top - dest.top);
    if (PixelBitmap* art = ArtOf(image)) {
        BlitBitmapArea(bitmap_.get(), art, clip.left, clip.top, static_cast<int>(x),
                       static_cast<int>(y), clip.W(), clip.H(), b.weight, b.Mode());
        return;
    }
    // No art of this scale: the 1x image, resampled, within the part it is taken from.
    const double f = scale_.Factor();
    BlitRotated(bitmap_.get(), image.bitmap, clip.left, clip.top, clip.W(), clip.H(),
                static_cast<float>(x / f), static_cast<float>(y / f),
                static_cast<float>(clip.W() / f), static_cast<float>(clip.H() / f), 0.0f, true,
                b.weight, b.Mode() | BLEND_BILINEAR);
}

bool IPlugEditor::DrawImageArea(const IPlugImage& image, const IPlugRect& rect, int sourceX,
                                int sourceY, const IPlugBlend* blend) {
    // The image's first pixel lies at (rect.left - sourceX, rect.top - sourceY) of the panel:
    // its art starts at that point's device pixel.
    const int x = scale_.ToDevice(rect.left) - scale_.ToDevice(rect.left - sourceX);
    const int y = scale_.ToDevice(rect.top) - scale_.ToDevice(rect.top - sourceY);
    BlitArt(image, scale_.ToDevice(rect), x, y, blend);
    return true;
}

bool IPlugEditor::DrawImageFrame(const IPlugImage& image, const IPlugRect& rect, int frame,
                                 const IPlugBlend* blend, bool framesVertical) {
    int sourceX = 0, sourceY = 0;
    const int n = image.frames;
    if (n >= 2 && frame >= 2) {
        // Frames are equal slices of the art at every scale.
        const PixelBitmap* art = ArtOf(image);
        const int panelSize = framesVertical ? image.height : image.width;
        const int size = scale_.IsOne() || !art ? panelSize
                         : framesVertical       ? art->Height()
                                                : art->Width();
        int offset = RoundHalfAway(static_cast<double>(size) * (frame - 1) / n);
        if (!scale_.IsOne() && !art) offset = RoundHalfAway(offset * scale_.Factor());
        (framesVertical ? sourceY : sourceX) = offset;
    }
    BlitArt(image, scale_.ToDevice(rect), sourceX, sourceY, blend);
    return true;
}

bool IPlugEditor::DrawImageRotated(const IPlugImage& image, int centreX, int centreY, double angle,
                                   float sourceOffsetX, float sourceOffsetY,
                                   const IPlugBlend* blend) {
    const IPlugBlend b = blend ? *blend : IPlugBlend{};
    const int x = static_cast<int>(centreX - image.width / 2.0);
    const int y = static_cast<int>(centreY - image.height / 2.0);
    if (scale_.IsOne()) {
        BlitRotated(bitmap_.get(), image.bitmap, x, y, image.width, image.height, sourceOffsetX,
                    sourceOffsetY, static_cast<float>(image.width),
                    static_cast<float>(image.height), static_cast<float>(angle), false, b.weight,
                    b.Mode() | BLEND_BILINEAR);
        return true;
    }
    // The same turn about the same panel point, of the image's art or, without art, of
    // the 1x image resampled. The blit turns about the middle of its destination in pixel
    // indices; that is a device pixel boundary at most, so the source is shifted by what
    // remains, turned, to put the panel point exactly where it is at 1x.
    const double f = scale_.Factor();
    PixelBitmap* art = ArtOf(image);
    const double m = art ? f : 1.0; // source pixels per panel pixel
    const double k = m / f;         // source pixels per device pixel
    const int w = scale_.ToDevice(image.width), h = scale_.ToDevice(image.height);
    const double px = (x + image.width / 2.0 + 0.5) * f, py = (y + image.height / 2.0 + 0.5) * f;
    const int left = static_cast<int>(std::floor(px - w / 2.0 - 0.5));
    const int top = static_cast<int>(std::floor(py - h / 2.0 - 0.5));
    const double ex = px - (left + w / 2.0 + 0.5), ey = py - (top + h / 2.0 + 0.5);
    const float turn = static_cast<float>(angle);
    const double c = std::cos(turn), s = std::sin(turn);
    const double sx =
        m * (image.width / 2.0 + sourceOffsetX + 0.5) - w * k / 2.0 - 0.5 - k * (c * ex + s * ey);
    const double sy =
        m * (image.height / 2.0 + sourceOffsetY + 0.5) - h * k / 2.0 - 0.5 - k * (c * ey - s * ex);
    BlitRotated(bitmap_.get(), art ? art : image.bitmap, left, top, w, h, static_cast<float>(sx),
                static_cast<float>(sy), static_cast<float>(w * k), static_cast<float>(h * k), turn,
                false, b.weight, b.Mode() | BLEND_BILINEAR);
    return true;
}

bool IPlugEditor::DrawFilledRect(const IPlugColor& colour, const IPlugRect& rect,
                                 const IPlugBlend* blend) {
    const IPlugBlend b = blend ? *blend : IPlugBlend{};
    const IPlugRect r = scale_.ToDevice(rect);
    FillRectangle(bitmap_.get(), r.left, r.top, r.W(), r.H(), colour.Word(), b.weight, b.Mode());
    return true;
}

IPlugImage IPlugEditor::CropImage(const IPlugImage& image, const IPlugRect& rect) {
    auto cropped = std::make_unique<HeapBitmap>(rect.W(), rect.H(), 4);
    BlitBitmapArea(cropped.get(), image.bitmap, 0, 0, rect.left, rect.top, rect.W(), rect.H(), 1.0f,
                   BLEND_COPY);
    PixelBitmap* bitmap = image_cache::Add(-1, std::move(cropped));
    return IPlugImage{bitmap, rect.W(), rect.H(), image.frames};
}
