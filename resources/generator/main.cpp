// Draws the editor's panel images and a preview of the assembled editor.
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

#include <cstdio>
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

// The button area of a panel drawn with every button lit, cut out at the given rows.
void CutButtons(const PixelBitmap& litPanel, PixelBitmap& into, int top) {
    BlitBitmapArea(&into, &litPanel, 0, 0, kButtonLeft, top, into.Width(), into.Height(), 1.0f,
                   BLEND_COPY);
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

    HeapBitmap bg(kWidth, kHeight);
    FillRectangle(&bg, 0, 0, kWidth, kHeight, PackPixel(255, 0, 0, 0), 1.0f, BLEND_COPY);
    art::DrawPanel(bg);
    art::DrawKnobBodies(bg);
    art::DrawFaderSlots(bg);
    // Everything but the buttons is shared by the lit and unlit panels.
    HeapBitmap lit(kWidth, kHeight);
    BlitBitmap(&lit, &bg, 0, 0, nullptr, 1.0f, BLEND_COPY);
    art::DrawButtons(bg, false);
    art::DrawButtons(lit, true);

    HeapBitmap but(kButtonWidth, kButtonHeight);
    CutButtons(lit, but, kSyncTop);
    HeapBitmap radio(kButtonWidth, 3 * kButtonHeight);
    CutButtons(lit, radio, kModeTop);

    HeapBitmap knob(kBigImage, kBigImage);
    art::DrawPointer(knob, true);
    HeapBitmap knob2(kSmallImage, kSmallImage);
    art::DrawPointer(knob2, false);
    HeapBitmap slider(kHandleWidth, kHandleHeight);
    art::DrawHandle(slider);

    bool ok = Save(bg, img + "bg.png", true);
    ok = Save(knob, img + "knob.png", true) && ok;
    ok = Save(knob2, img + "knob2.png", true) && ok;
    ok = Save(slider, img + "slider.png", false) && ok;
    ok = Save(radio, img + "radio.png", true) && ok;
    ok = Save(but, img + "but.png", false) && ok;

    HeapBitmap preview(kWidth, kHeight);
    art::ComposePreview(preview, {bg, knob, knob2, slider, radio, but}, art::Settings{});
    ok = Save(preview, root + "/preview.png", true) && ok;
    if (!sheet.empty()) ok = SaveSheet({bg, knob, knob2, slider, radio, but}, sheet) && ok;
    return ok ? 0 : 1;
}
