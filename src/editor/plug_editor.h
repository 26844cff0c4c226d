#pragma once

#include "base/geometry.h"
#include "core/editor_link.h"
#include "core/pointer_list.h"
#include "editor/display_scale.h"
#include "editor/editor_types.h"
#include "editor/embedded_resources.h"
#include "editor/entry_session.h"

#include <memory>
#include <span>
#include <string>
#include <vector>

class IControl;
class IPlugBase;
class IPlugParam;
class ITextControl;
class PixelBitmap;
struct EntryPlan;
struct IPlugText;

// The platform-independent half of the editor: it owns the controls and the off-screen
// bitmap they draw into, finds what needs redrawing, dispatches mouse and key input with
// the host's edit gestures, runs the redraw tick with its typed entry and end-of-edit
// countdown, and loads images through the process-wide cache. A window layer derives from
// it and supplies the platform operations.
//
// The controls and the layout are in panel pixels (Width() x Height()); the off-screen
// bitmap, the window, redraw rectangles and the input from the window layer are in device
// pixels, Scale() of them for each panel pixel, drawn with the images' art of that scale.
class IPlugEditor : public IEditorLink {
public:
    IPlugEditor(IPlugBase* plug, int width, int height, int framesPerSecond);
    ~IPlugEditor() override;
    IPlugEditor(const IPlugEditor&) = delete;
    IPlugEditor& operator=(const IPlugEditor&) = delete;

    // Platform operations.
    virtual bool CopyToScreen(const IPlugRect& rect) = 0;
    virtual void Resize(int width, int height);
    virtual bool HasWindow() const { return EditorWindowHandle() != nullptr; }
    // Typed entry over a control, in a box of the window layer's (none without a window).
    virtual void PromptText(ITextControl* control);
    virtual void PromptParameter(IControl* control, IPlugParam* param);
    virtual bool HostFolder(std::string& out) = 0;
    virtual bool PluginFolder(std::string& out) = 0;
    virtual bool AskForFile(std::string& path, bool save, const char* folder,
                            const char* extensions) = 0;
    virtual bool AskForColour(IPlugColor& colour, const char* title) = 0;
    virtual bool OpenLink(const char* url, const char* title, const char* confirmText,
                          const char* errorText) = 0;
    virtual int HostWheel(float /*notches*/) { return 0; }
    // Whether this editor can show itself in a host's window at all.
    virtual bool CanOpenWindow() const = 0;
    virtual void* OpenEditorWindow(void* parent) = 0;
    virtual void CloseEditorWindow() = 0;
    virtual void* EditorWindowHandle() const = 0;
    virtual void ApplyTooltipSwitch() {}
    // The host's idle call while the window is open; window layers that have no event
    // loop of the host's own handle their events here.
    virtual void Idle() {}
    // The image of a resource id drawn for a scale, null when there is none; the embedded
    // one by default.
    virtual std::unique_ptr<PixelBitmap> LoadImageResource(int id, const char* name,
                                                           DisplayScale scale);

    // The scale. A host that gives one overrides the platform's for good; otherwise the
    // platform's is looked up again by RefreshScale (while no window is open) and followed
    // by the window layer.
    DisplayScale Scale() const { return scale_; }
    void SetHostScale(double factor);
    bool HasHostScale() const { return hostScale_; }
    void RefreshScale();
    int WindowWidth() const { return scale_.ToDevice(width_); }
    int WindowHeight() const { return scale_.ToDevice(height_); }

    // Set-up, by the effect's constructor. The embedded images serve platforms whose
    // libraries carry no resources.
    void SetEmbeddedResources(std::span<const EmbeddedResource> resources) {
        embedded_ = resources;
    }
    const EmbeddedResource* FindEmbeddedResource(int id, DisplayScale scale) const;
    void SetBackgroundImage(int id, const char* name);
    IPlugImage LoadImage(int id, const char* name, int frames);
    int AddControl(IControl* control);
    void HideBoundControls(int paramIndex, bool hide);

    // From the plug-in base.
    void PushValueToControls(int paramIndex, double value, bool isNormalized) override;
    void CreateDrawSurface() override;
    void SetEndEditCountdown(int ticks) override { endEditCountdown_ = ticks; }
    void ClearEndEditCountdown() override { endEditCountdown_ = 0; }
    void SetControlsAsUser(int paramIndex, double normalized);
    void MarkAllDirty();

    // From the window layer. The redraw timer's tick: the typed entry's step, the dirty
    // controls redrawn, the end-of-edit countdown.
    void Tick();
    // Draws everything once, as a freshly opened window does on its first tick.
    void DrawAll();
    // Input and areas from the window layer are in device pixels.
    bool FindDirtyArea(IPlugRect& out);
    bool DrawArea(const IPlugRect& rect);
    // Everything drawn as a freshly opened window shows it after its first tick; the
    // picture stays in the off-screen bitmap. At another scale than the editor's it is drawn
    // into a bitmap of its own, kept until the next picture, and the window is left alone.
    PixelBitmap* DrawPicture();
    PixelBitmap* DrawPicture(DisplayScale scale);
    void MouseDown(int x, int y, const MouseKeys& mod);
    void MouseUp(int x, int y, const MouseKeys& mod);
    void MouseDrag(int x, int y, const MouseKeys& mod);
    bool MouseDoubleClick(int x, int y, const MouseKeys& mod);
    void MouseWheel(int x, int y, const MouseKeys& mod, int notches);
    bool MouseOver(int x, int y, const MouseKeys& mod);
    void MouseOut();
    void KeyDown(int x, int y, int key);
    void ApplyTypedText(IControl* control, IPlugParam* param, const char* text);

    // Drawing, for the controls, in panel pixels.
    bool DrawImageFrame(const IPlugImage& image, const IPlugRect& rect, int frame,
                        const IPlugBlend* blend, bool framesVertical);
    bool DrawImageArea(const IPlugImage& image, const IPlugRect& rect, int sourceX, int sourceY,
                       const IPlugBlend* blend);
    bool DrawImageRotated(const IPlugImage& image, int centreX, int centreY, double angle,
                          float sourceOffsetX, float sourceOffsetY, const IPlugBlend* blend);
    bool DrawFilledRect(const IPlugColor& colour, const IPlugRect& rect,
                        const IPlugBlend* blend = nullptr);
    bool DrawText(IPlugText& style, const char* text, const IPlugRect& rect);
    IPlugImage CropImage(const IPlugImage& image, const IPlugRect& rect);

    IPlugBase* Plug() const { return plug_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int FramesPerSecond() const override { return framesPerSecond_; }
    int NControls() const { return controls_.Count(); }
    IControl* GetControl(int index) const { return controls_.Get(index); }
    PixelBitmap* DrawBitmap() const { return bitmap_.get(); }
    // The area being redrawn, in device pixels.
    const IPlugRect& UpdateRect() const { return updateRect_; }
    int CaptureIndex() const { return captureIndex_; }
    bool ShowControlBounds() const { return showControlBounds_; }
    void SetShowControlBounds(bool show) { showControlBounds_ = show; }
    bool TooltipsOn() const { return tooltips_; }
    int MouseOverIndex() const { return mouseOverIndex_; }
    int EndEditCountdown() const { return endEditCountdown_; }
    EntrySession& Entry() { return entry_; }
    const EntrySession& Entry() const { return entry_; }

protected:
    // The window layer's box for an entry, or none where it cannot show one.
    virtual std::unique_ptr<EntryBox> OpenEntryBox(const EntryPlan& /*plan*/) { return nullptr; }
    // Shows the dirty area on the tick; drawn and copied to the screen at once by default.
    virtual void RedrawDirty(const IPlugRect& area) { DrawArea(area); }
    // A window closing: the wheel gesture still counting down ends now.
    void EndCountdownNow();
    int ControlAt(int x, int y) const;
    void ResetMouse() {
        captureIndex_ = -1;
        lastX_ = lastY_ = -1;
    }
    // The off-screen bitmap; a window layer may provide one that is also a drawing surface.
    virtual std::unique_ptr<PixelBitmap> CreateBitmap(int width, int height);
    void ResizeBitmap(int width, int height);
    // The scale the platform asks for where the editor is shown; none of its own here.
    virtual DisplayScale DetectScale() { return scale_; }
    // After the scale changed (bitmap resized, everything marked dirty): the window
    // layer resizes its window.
    virtual void ScaleChanged() {}
    void SetScale(DisplayScale scale);

private:
    struct ScaledArt {
        int id;
        PixelBitmap* bitmap; // null: no art of the scale, the 1x image is resampled
    };

    void PaintControls(const IPlugRect& rect);
    void DrawControlBounds();
    // The image's art at the current scale, or null when it has none of the right size.
    PixelBitmap* ArtOf(const IPlugImage& image);
    // Draws the art under a device rectangle, from (sourceX, sourceY) of the art.
    void BlitArt(const IPlugImage& image, const IPlugRect& dest, double sourceX, double sourceY,
                 const IPlugBlend* blend);

    IPlugBase* plug_;
    OwnedList<IControl> controls_;
    IPlugRect updateRect_;
    std::span<const EmbeddedResource> embedded_;
    std::unique_ptr<PixelBitmap> bitmap_;
    std::unique_ptr<PixelBitmap> picture_;
    DisplayScale scale_;
    bool hostScale_ = false;
    std::vector<ScaledArt> art_;
    int width_, height_;
    int framesPerSecond_;
    int captureIndex_ = -1;
    int mouseOverIndex_ = -1;
    int lastX_ = -1, lastY_ = -1;
    bool mouseOverHandling_ = false;
    bool tooltips_ = false;
    bool showControlBounds_ = false;
    int endEditCountdown_ = 0;
    EntrySession entry_;
};

// The plug-in's editor, when one of ours is attached.
IPlugEditor* EditorOf(const IPlugBase* plug);
