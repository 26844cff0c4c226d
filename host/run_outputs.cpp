#include "host/run_outputs.h"

#include <algorithm>

namespace vhost {
namespace {

namespace fs = std::filesystem;

struct DemoFiles {
    fs::path input, output, picture;
    explicit DemoFiles(const std::string& dir)
        : input(fs::path(dir) / "demo-input.wav"), output(fs::path(dir) / "demo-output.wav"),
          picture(fs::path(dir) / "demo-editor.png") {}
};

bool DrawsDemoPicture(const Options& o) {
    return o.mode == Mode::Demo && !o.editorPicture;
}

} // namespace

OutputFile* RunOutputs::Add(const std::string& role, const std::string& name, bool force) {
    files_.push_back(std::make_unique<OutputFile>(role, name, force));
    return files_.back().get();
}

std::size_t RunOutputs::IndexOf(const OutputFile& file) const {
    for (std::size_t i = 0; i < files_.size(); ++i)
        if (files_[i].get() == &file) return i;
    return files_.size();
}

bool RunOutputs::OnStandardOutput() const {
    return std::any_of(files_.begin(), files_.end(),
                       [](const auto& f) { return f->Kind() == OutputKind::StandardOutput; });
}

std::string RunOutputs::LeftAsTheyWere() const {
    std::vector<std::string> roles;
    for (const auto& f : files_)
        if (std::find(roles.begin(), roles.end(), f->Role()) == roles.end())
            roles.push_back(f->Role());
    if (roles.empty()) return "nothing was written";
    std::string text;
    for (std::size_t i = 0; i < roles.size(); ++i)
        text += (i == 0 ? "" : i + 1 == roles.size() ? " and " : ", ") + roles[i];
    return text + (files_.size() == 1 ? " left as it was" : " left as they were");
}

std::vector<FileClaim> FileClaims(const Options& o) {
    std::vector<FileClaim> claims;
    if (!o.input.empty()) claims.push_back({"INPUT", o.input, false});
    if (!o.output.empty()) claims.push_back({"OUTPUT", o.output, true});
    for (std::size_t k = 0; k < o.chain.size(); ++k) {
        const PluginSetup& s = o.chain[k];
        // The loader looks a bare name up in the current directory, as ./name.
        const fs::path library(s.path);
        claims.push_back({k == 0 ? "PLUGIN" : "--then",
                          library.has_parent_path() ? s.path : "./" + s.path, false});
        if (s.loadState) claims.push_back({"--load", *s.loadState, false});
        if (s.automation) claims.push_back({"--automate", *s.automation, false});
        if (s.saveState) claims.push_back({"--save", *s.saveState, true});
    }
    if (o.editorPicture) claims.push_back({"--editor-png", *o.editorPicture, true});
    if (o.mode == Mode::Demo) {
        const DemoFiles demo(o.demoDir);
        claims.push_back({"--demo", demo.input.string(), true});
        claims.push_back({"--demo", demo.output.string(), true});
        if (DrawsDemoPicture(o)) claims.push_back({"--demo", demo.picture.string(), true});
    }
    return claims;
}

void PlanOutputs(const Options& o, RunOutputs& outputs) {
    if (!o.output.empty()) outputs.audio = outputs.Add("OUTPUT", o.output, o.force);
    for (const PluginSetup& s : o.chain)
        outputs.states.push_back(s.saveState ? outputs.Add("--save", *s.saveState, o.force)
                                             : nullptr);
    if (o.editorPicture) outputs.picture = outputs.Add("--editor-png", *o.editorPicture, o.force);
    if (o.mode == Mode::Demo) {
        const DemoFiles demo(o.demoDir);
        outputs.demoInput = outputs.Add("--demo", demo.input.string(), o.force);
        outputs.audio = outputs.Add("--demo", demo.output.string(), o.force);
        if (DrawsDemoPicture(o)) {
            outputs.picture = outputs.Add("--demo", demo.picture.string(), o.force);
            outputs.pictureOptional = true;
        }
    }
}

} // namespace vhost
