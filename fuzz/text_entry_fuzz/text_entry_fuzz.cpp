// Typed text for one parameter, the three ways it arrives: the parameter's own parser,
// effString2Parameter through the dispatcher, and the editor's typed entry (on the controls
// bound to the parameter, and on editable text controls). Whatever is typed, every
// parameter stays finite and in its range and the effect renders finite audio.
#include "controls/control.h"
#include "controls/text_control.h"
#include "editor/plug_editor.h"
#include "fuzz_check.h"
#include "support/effect_fixture.h"
#include "vst/aeffect.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
void CheckParams(InProcessEffect& fx) {
    for (int i = 0; i < fx.NParams(); ++i) {
        const IPlugParam& p = *fx.GetParam(i);
        Check(std::isfinite(p.Value()));
        Check(p.Value() >= p.Min() && p.Value() <= p.Max());
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static InProcessEffect* fx = NewUnloggedEffect(44100.0);
    if (size < 1 || size > 512) return 0;
    const int index = data[0] % fx->NParams();
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    IPlugParam* param = fx->GetParam(index);

    // The parser may answer infinity or NaN for such texts; what reaches the parameter
    // below may not.
    (void)param->ParseValue(text.c_str());

    AEffect* e = fx->Descriptor();
    std::string typed = text;
    e->dispatcher(e, effString2Parameter, index, 0, typed.data(), 0.0f);
    CheckParams(*fx);

    auto* editor = dynamic_cast<IPlugEditor*>(fx->GetEditor());
    Check(editor != nullptr);
    for (int c = 0; c < editor->NControls(); ++c) {
        IControl* control = editor->GetControl(c);
        if (control->ParamIndex() == index) editor->ApplyTypedText(control, param, text.c_str());
        auto* textControl = dynamic_cast<ITextControl*>(control);
        if (textControl && textControl->IsEditable())
            editor->ApplyTypedText(control, nullptr, text.c_str());
    }
    CheckParams(*fx);

    StereoBlock block(32, 0.25);
    block.Process(*fx);
    for (double v : block.outL)
        Check(std::isfinite(v));
    return 0;
}
