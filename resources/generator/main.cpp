// Draws the editor's panel images at every scale of the image list, and a preview of the
// assembled editor.
// Usage: velmorande-artwork [resources-dir] [--sheet file]
// The directory defaults to the source tree's resources/. --sheet also writes the editor at
// three other settings, one above the other, for checking the pointers at other angles.
#include "artwork.h"
#include "layout.h"
#include "preview.h"

#include "bitmap/blit.h"
#include "bitmap/heap_bitmap.h"
#include "bitmap/pixel_word.h"
#include "bitmap/png_writer.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

namespace {

using namespace layout;

bool Save(const PixelBitmap& bitmap, const std::string& path, bool alpha) {
    const bool ok =
        WritePngFile(bitmap, path.c_str(), alpha ? PngChannels::Rgba : PngChannels::Rgb);
    std::printf("%s %s (%d x %d, %s)\n", ok ? "wrote" : "FAILED", path.c_str(), bitmap.Width(),
                bitmap.Height(), alpha ? "RGBA" : "RGB");
    return ok;
}

// The scales the images are drawn at besides 1, from the image list.
constexpr float kScales[] = {VELMORANDE_PANEL_IMAGE_SCALES};

// The file of an image at a scale: bg.png, bg@1.5x.png, bg@2x.png.
std::string FileAt(const std::string& dir, const char* name, float scale) {
    if (scale == 1.0f) return dir + name + ".png";
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, "@%gx.png", static_cast<double>(scale));
    return dir + name + suffix;
}

// The button area of a panel drawn with every button lit, cut out at the given rows.
void CutButtons(const art::Canvas& litPanel, PixelBitmap& into, int top) {
    BlitBitmapArea(&into, &litPanel.bitmap, 0, 0, litPanel.X(kButtonLeft), litPanel.Y(top),
                   into.Width(), into.Height(), 1.0f, BLEND_COPY);
}

// The six images at one scale, drawn by the same code at every scale. A part of the panel
// covers the device pixels between the edges of its panel rectangle.
struct Drawn {
    explicit Drawn(float scale) : scale(scale) {}
    int Edge(int panel) const {
        return static_cast<int>(std::floor(static_cast<float>(panel) * scale + 0.5f));
    }
    float scale;
    HeapBitmap bg{Edge(kWidth), Edge(kHeight)};
    HeapBitmap knob{Edge(kBigImage), Edge(kBigImage)};
    HeapBitmap knob2{Edge(kSmallImage), Edge(kSmallImage)};
    HeapBitmap slider{Edge(kHandleWidth), Edge(kHandleHeight)};
    HeapBitmap radio{Edge(kButtonLeft + kButtonWidth) - Edge(kButtonLeft),
                     Edge(kModeTop + panel::kModeCount * kButtonHeight) - Edge(kModeTop)};
    HeapBitmap but{Edge(kButtonLeft + kButtonWidth) - Edge(kButtonLeft),
                   Edge(kSyncTop + kButtonHeight) - Edge(kSyncTop)};
};

void DrawImages(Drawn& d) {
    const float scale = d.scale;
    FillRectangle(&d.bg, 0, 0, d.bg.Width(), d.bg.Height(), PackPixel(255, 0, 0, 0), 1.0f,
                  BLEND_COPY);
    art::Canvas bg{d.bg, scale};
    art::DrawPanel(bg);
    art::DrawKnobBodies(bg);
    art::DrawFaderSlots(bg);
    // Everything but the buttons is shared by the lit and unlit panels.
    HeapBitmap litBitmap(d.bg.Width(), d.bg.Height());
    BlitBitmap(&litBitmap, &d.bg, 0, 0, nullptr, 1.0f, BLEND_COPY);
    art::Canvas lit{litBitmap, scale};
    art::DrawButtons(bg, false);
    art::DrawButtons(lit, true);
    CutButtons(lit, d.but, kSyncTop);
    CutButtons(lit, d.radio, kModeTop);

    art::Canvas knob{d.knob, scale}, knob2{d.knob2, scale}, slider{d.slider, scale};
    art::DrawPointer(knob, true);
    art::DrawPointer(knob2, false);
    art::DrawHandle(slider);
}

// Ends of the sweeps, and one setting in between with sync off and another mode lit.
bool SaveSheet(const art::Images& images, const std::string& path) {
    art::Settings low;
    low.delay = 0.0f;
    low.small[0] = low.small[1] = low.small[2] = 0.0f;
    low.fader[0] = low.fader[1] = 0.0f;
    low.mode = 0;
    low.delayText = "1/64";
    low.smallText[0] = "-100%";
    low.smallText[1] = "0%";
    low.smallText[2] = "100Hz";
    low.faderText[0] = low.faderText[1] = "0%";
    art::Settings high = low;
    high.delay = 1.0f;
    high.small[0] = high.small[1] = high.small[2] = 1.0f;
    high.fader[0] = high.fader[1] = 1.0f;
    high.mode = 1;
    high.sync = false;
    high.delayText = "24000ms";
    high.smallText[0] = "100%";
    high.smallText[1] = "99%";
    high.smallText[2] = "20000Hz";
    high.faderText[0] = high.faderText[1] = "100%";
    art::Settings mid = low;
    mid.delay = 0.8f;
    mid.small[0] = 0.25f;
    mid.small[1] = 0.5f;
    mid.small[2] = 0.7f;
    mid.fader[0] = 0.3f;
    mid.fader[1] = 0.85f;
    mid.delayText = "1/2T";
    HeapBitmap sheet(kWidth, 3 * kHeight);
    HeapBitmap one(kWidth, kHeight);
    const art::Settings* all[3] = {&low, &mid, &high};
    for (int i = 0; i < 3; ++i) {
        art::ComposePreview(one, images, *all[i]);
        BlitBitmap(&sheet, &one, 0, i * kHeight, nullptr, 1.0f, BLEND_COPY);
    }
    return Save(sheet, path, true);
}

} // namespace

int main(int argc, char** argv) {
    std::string root = VELMORANDE_RESOURCES_DIR, sheet;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--sheet" && i + 1 < argc)
            sheet = argv[++i];
        else
            root = arg;
    }
    const std::string img = root + "/img/";

    bool ok = true;
    std::unique_ptr<Drawn> one;
    for (float scale : kScales) {
        auto d = std::make_unique<Drawn>(scale);
        DrawImages(*d);
        ok = Save(d->bg, FileAt(img, "bg", scale), true) && ok;
        ok = Save(d->knob, FileAt(img, "knob", scale), true) && ok;
        ok = Save(d->knob2, FileAt(img, "knob2", scale), true) && ok;
        ok = Save(d->slider, FileAt(img, "slider", scale), false) && ok;
        ok = Save(d->radio, FileAt(img, "radio", scale), true) && ok;
        ok = Save(d->but, FileAt(img, "but", scale), false) && ok;
        if (scale == 1.0f) one = std::move(d);
    }
    if (!one) return 1;

    const art::Images images{one->bg, one->knob, one->knob2, one->slider, one->radio, one->but};
    HeapBitmap preview(kWidth, kHeight);
    art::ComposePreview(preview, images, art::Settings{});
    ok = Save(preview, root + "/preview.png", true) && ok;
    if (!sheet.empty()) ok = SaveSheet(images, sheet) && ok;
    return ok ? 0 : 1;
}
