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
bool ShowEditor(PluginInstance& p, EditorParent* parent) {
    if (parent) {
        ERect* rect = nullptr;
        p.Dispatch(effEditGetRect, 0, 0, &rect);
        Require(p.Dispatch(effEditOpen, 0, 0, parent->Handle()) != 0 || rect != nullptr,
                "effEditOpen refused a parent window");
        for (int i = 0; i < 10; ++i) {
            p.Dispatch(effEditIdle);
            parent->Pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        p.Dispatch(effEditClose);
        parent->Pump();
        return true;
    }
    EditorPicture picture;
    if (p.Dispatch(effVendorSpecific, kEditorPictureRequest, 0, &picture) != 1) return false;
    Require(picture.pixels && picture.width > 0 && picture.height > 0 &&
                picture.rowSpan >= picture.width,
            "the off-screen picture is empty");
    return true;
}

std::unique_ptr<EditorParent> ParentFor(PluginInstance& p) {
    ERect* rect = nullptr;
    p.Dispatch(effEditGetRect, 0, 0, &rect);
    int w = rect ? rect->right - rect->left : 640, h = rect ? rect->bottom - rect->top : 480;
    return OpenEditorParent(w > 0 ? w : 640, h > 0 ? h : 480);
}

std::string NoEditor(PluginInstance& p) {
    return p.HasFlag(effFlagsHasEditor) ? "no display and no off-screen picture" : "no editor";
}

} // namespace

void EditorGroup(const Settings& settings, Probe& probe) {
    Session session(settings.plugin);
    PluginInstance& p = session.Plugin();
    std::unique_ptr<EditorParent> parent;
    if (p.HasFlag(effFlagsHasEditor)) parent = ParentFor(p);
    const std::string where = parent ? "in an X11 window" : "off-screen";

    probe.Test("editor: open and close twice", [&] {
        for (int i = 0; i < 2; ++i)
            if (!ShowEditor(p, parent.get())) SkipTest(NoEditor(p));
        return where;
    });
    probe.Test("editor: open while another thread processes", [&] {
        session.Start(48000, 256);
        std::atomic<bool> stop{false};
        std::optional<std::string> fault;
        std::mt19937 rng(settings.seed);
        std::thread audio([&] {
            AudioRun job{p.Supports(ProcessMode::Replacing) ? ProcessMode::Replacing
                                                            : ProcessMode::Accumulating,
                         false, Signal::Noise, 256, 256};
            for (std::int64_t at = 0; !stop && !fault; at += 256) {
                job.startFrame = at;
                fault = RunSignal(session, job, rng);
            }
        });
        bool shown = true;
        std::exception_ptr error;
        const TimeBudget budget(settings);
        const int showings = 2 + settings.level;
        int done = 0;
        try {
            for (; done < showings && shown && !budget.Spent(); ++done)
                shown = ShowEditor(p, parent.get());
        } catch (...) {
            error = std::current_exception();
        }
        stop = true;
        audio.join();
        if (error) std::rethrow_exception(error);
        if (!shown) SkipTest(NoEditor(p));
        Require(!fault, fault.value_or(""));
        if (done < showings) probe.Warn(budget.Stopped(done, showings, "showings"));
        return where;
    });
}

} // namespace vhost::validate
