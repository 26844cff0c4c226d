// The editor: opened and closed twice, and opened while another thread processes. In a
// window of the host's when a display is there, else as the off-screen picture the
// Velmorande editor draws on request.
#include "audio_check.h"
#include "editor_parent.h"
#include "groups.h"
#include "session.h"
#include "time_budget.h"
#include "vst/editor_picture.h"

#include <atomic>
#include <chrono>
#include <exception>
#include <thread>

namespace vhost::validate {
namespace {

// One showing of the editor; false when the plug-in has no way to show it here.
bool showEditor(PluginInstance& p, EditorParent* parent) {
    if (parent) {
        ERect* rect = nullptr;
        p.dispatch(effEditGetRect, 0, 0, &rect);
        require(p.dispatch(effEditOpen, 0, 0, parent->handle()) != 0 || rect != nullptr,
                "effEditOpen refused a parent window");
        for (int i = 0; i < 10; ++i) {
            p.dispatch(effEditIdle);
            parent->pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        p.dispatch(effEditClose);
        parent->pump();
        return true;
    }
    EditorPicture picture;
    if (p.dispatch(effVendorSpecific, kEditorPictureRequest, 0, &picture) != 1) return false;
    require(picture.pixels && picture.width > 0 && picture.height > 0 &&
                picture.rowSpan >= picture.width,
            "the off-screen picture is empty");
    return true;
}

std::unique_ptr<EditorParent> parentFor(PluginInstance& p) {
    ERect* rect = nullptr;
    p.dispatch(effEditGetRect, 0, 0, &rect);
    int w = rect ? rect->right - rect->left : 640, h = rect ? rect->bottom - rect->top : 480;
    return openEditorParent(w > 0 ? w : 640, h > 0 ? h : 480);
}

std::string noEditor(PluginInstance& p) {
    return p.hasFlag(effFlagsHasEditor) ? "no display and no off-screen picture" : "no editor";
}

} // namespace

void editorGroup(const Settings& settings, Probe& probe) {
    Session session(settings.plugin);
    PluginInstance& p = session.plugin();
    std::unique_ptr<EditorParent> parent;
    if (p.hasFlag(effFlagsHasEditor)) parent = parentFor(p);
    const std::string where = parent ? "in an X11 window" : "off-screen";

    probe.test("editor: open and close twice", [&] {
        for (int i = 0; i < 2; ++i)
            if (!showEditor(p, parent.get())) skipTest(noEditor(p));
        return where;
    });
    probe.test("editor: open while another thread processes", [&] {
        session.start(48000, 256);
        std::atomic<bool> stop{false};
        std::optional<std::string> fault;
        std::mt19937 rng(settings.seed);
        std::thread audio([&] {
            AudioRun job{p.supports(ProcessMode::Replacing) ? ProcessMode::Replacing
                                                            : ProcessMode::Accumulating,
                         false, Signal::Noise, 256, 256};
            for (std::int64_t at = 0; !stop && !fault; at += 256) {
                job.startFrame = at;
                fault = runSignal(session, job, rng);
            }
        });
        bool shown = true;
        std::exception_ptr error;
        const TimeBudget budget(settings);
        const int showings = 2 + settings.level;
        int done = 0;
        try {
            for (; done < showings && shown && !budget.spent(); ++done)
                shown = showEditor(p, parent.get());
        } catch (...) {
            error = std::current_exception();
        }
        stop = true;
        audio.join();
        if (error) std::rethrow_exception(error);
        if (!shown) skipTest(noEditor(p));
        require(!fault, fault.value_or(""));
        if (done < showings) probe.warn(budget.stopped(done, showings, "showings"));
        return where;
    });
}

} // namespace vhost::validate
