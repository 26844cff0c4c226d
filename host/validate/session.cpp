#include "session.h"

namespace vhost::validate {

Session::Session(const std::filesystem::path& plugin, Startup startup)
    : plugin_(PluginInstance::Load(plugin, host_, startup)) {}

Session::Session(std::shared_ptr<DynamicLibrary> library, Startup startup)
    : plugin_(PluginInstance::FromLibrary(std::move(library), host_, startup)) {}

Session::~Session() {
    if (plugin_ && plugin_->Active()) plugin_->SetActive(false);
}

void Session::Start(double sampleRate, VstInt32 blockSize) {
    if (plugin_->Active()) plugin_->SetActive(false);
    host_.SetSampleRate(sampleRate);
    host_.SetBlockSize(blockSize);
    plugin_->Prepare(sampleRate, blockSize);
    plugin_->SetActive(true);
}

void Session::Stop() {
    if (plugin_->Active()) plugin_->SetActive(false);
}

} // namespace vhost::validate
