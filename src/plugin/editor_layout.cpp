// The effect's panel: one background picture with the controls laid over it.
#include "controls/button.h"
#include "controls/knob.h"
#include "controls/slider.h"
#include "controls/text_control.h"
#include "editor/platform_editor.h"
#include "editor/plug_editor.h"
#include "plugin/layout/panel_layout.h"
#include "plugin/velmorande.h"

#include "panel_images.h"

#include <memory>

namespace {
constexpr const char* kProductPage = "https://talvo.audio/velmorande";
constexpr const char* kHomePage = "https://talvo.audio";
constexpr double kKnobGearing = 4.0;

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
    std::unique_ptr<IPlugEditor> editor(
        CreatePlatformEditor(this, panel::kSize.width, panel::kSize.height, 0));
    editor->SetEmbeddedResources(PanelImageData());
    const IPlugText versionStyle =
        Style("Verdana", panel::kVersionTextSize, panel::kVersionTextColour);
    const IPlugText valueStyle = Style("Arial", panel::kValueTextSize, panel::kValueTextColour);

    editor->SetBackgroundImage(kBackground.id, kBackground.name);

    char version[16];
    VersionText(version, sizeof version);
    editor->AddControl(new ITextControl(this, panel::kVersion, versionStyle, version));
    editor->AddControl(new ILinkControl(this, panel::kTitlePlate, kProductPage, kHomePage, ""));

    const IPlugImage knob = editor->LoadImage(kKnob.id, kKnob.name, 1);
    for (int param : {kDelayRate, kDelayTime})
        editor->AddControl(
            new IKnobRotVal(this, param, panel::kDelayKnob.centre.x, panel::kDelayKnob.centre.y,
                            knob, valueStyle, panel::kDelayKnob.textOffset, panel::kKnobSweep,
                            kKnobGearing, panel::kDelayKnob.textWidth, 0, 1.0f, true));
    editor->HideBoundControls(kDelayTime, true);

    const IPlugImage sync = editor->LoadImage(kSyncButton.id, kSyncButton.name, 1);
    editor->AddControl(new IButtonClick(this, kHostSync, panel::kSyncButton.x, panel::kSyncButton.y,
                                        sync, &syncButtonPressed_));

    const IPlugImage modes =
        editor->LoadImage(kModeButtons.id, kModeButtons.name, panel::kModeCount);
    editor->AddControl(new IRadioButtons(this, kPingPong, panel::kModeButtons.x,
                                         panel::kModeButtons.y, modes, true, 0, 0, 0, 0));

    const IPlugImage smallKnob = editor->LoadImage(kSmallKnob.id, kSmallKnob.name, 1);
    const int smallParams[] = {kPanWidth, kFeedback, kFreq};
    for (int i = 0; i < 3; ++i) {
        const panel::Knob& k = panel::kSmallKnobs[i];
        editor->AddControl(new IKnobRotVal(this, smallParams[i], k.centre.x, k.centre.y, smallKnob,
                                           valueStyle, k.textOffset, panel::kKnobSweep,
                                           kKnobGearing, k.textWidth, 0, 1.0f, true));
    }

    const IPlugImage handle = editor->LoadImage(kSliderHandle.id, kSliderHandle.name, 1);
    const int faderParams[] = {kDryMix, kWetMix};
    for (int i = 0; i < 2; ++i)
        editor->AddControl(new ISlider(this, faderParams[i], panel::kFaders[i], handle, valueStyle,
                                       panel::kTrackLength, false, panel::kBarColour,
                                       panel::kBarWidth, panel::kBarEndInset));

    AttachEditor(editor.release());
}
