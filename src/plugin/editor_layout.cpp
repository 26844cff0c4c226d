// The effect's panel: one background picture with the controls laid over it.
#include "controls/button.h"
#include "controls/knob.h"
#include "controls/slider.h"
#include "controls/text_control.h"
#include "editor/platform_editor.h"
#include "editor/plug_editor.h"
#include "plugin/velmorande.h"

#include "panel_images.h"

#include <memory>

namespace {
constexpr int kWidth = 530;
constexpr int kHeight = 210;
constexpr const char* kProductPage = "https://talvo.audio/velmorande";
constexpr const char* kHomePage = "https://talvo.audio";

IPlugText Style(const char* face, int size, const IPlugColor& colour) {
    IPlugText style;
    style.SetFace(face);
    style.size = size;
    style.colour = colour;
    return style;
}
} // namespace

void VSTCLASS::BuildEditor() {
    // Held until attached, so that a failure while building the panel leaks nothing.
    std::unique_ptr<IPlugEditor> editor(CreatePlatformEditor(this, kWidth, kHeight, 0));
    editor->SetEmbeddedResources(PanelImageData());
    const IPlugText versionStyle = Style("Verdana", 13, IPlugColor{100, 0, 0, 0});
    const IPlugText valueStyle = Style("Arial", 16, IPlugColor{230, 255, 255, 255});

    editor->SetBackgroundImage(kBackground.id, kBackground.name);

    char version[16];
    VersionText(version, sizeof version);
    editor->AddControl(new ITextControl(this, {45, 12, 95, 30}, versionStyle, version));
    editor->AddControl(new ILinkControl(this, {175, 6, 367, 53}, kProductPage, kHomePage, ""));

    const IPlugImage knob = editor->LoadImage(kKnob.id, kKnob.name, 1);
    for (int param : {kDelayRate, kDelayTime})
        editor->AddControl(
            new IKnobRotVal(this, param, 74, 124, knob, valueStyle, 8, 300, 4.0, 0, 0, 1.0f, true));
    editor->HideBoundControls(kDelayTime, true);

    const IPlugImage sync = editor->LoadImage(kSyncButton.id, kSyncButton.name, 1);
    editor->AddControl(new IButtonClick(this, kHostSync, 115, 83, sync, &syncButtonPressed_));

    const IPlugImage modes = editor->LoadImage(kModeButtons.id, kModeButtons.name, 3);
    editor->AddControl(new IRadioButtons(this, kPingPong, 115, 103, modes, true, 0, 0, 0, 0));

    const IPlugImage smallKnob = editor->LoadImage(kSmallKnob.id, kSmallKnob.name, 1);
    const struct {
        int param, centreX, textWidth;
    } small[] = {{kPanWidth, 239, 0}, {kFeedback, 310, 0}, {kFreq, 381, 60}};
    for (const auto& k : small)
        editor->AddControl(new IKnobRotVal(this, k.param, k.centreX, 122, smallKnob, valueStyle, 13,
                                           300, 4.0, k.textWidth, 0, 1.0f, true));

    const IPlugImage handle = editor->LoadImage(kSliderHandle.id, kSliderHandle.name, 1);
    const IPlugColor bar{255, 66, 110, 200};
    editor->AddControl(
        new ISlider(this, kDryMix, {424, 79, 464, 191}, handle, valueStyle, 96, false, bar, 2, 7));
    editor->AddControl(
        new ISlider(this, kWetMix, {461, 79, 501, 191}, handle, valueStyle, 96, false, bar, 2, 7));

    AttachEditor(editor.release());
}
