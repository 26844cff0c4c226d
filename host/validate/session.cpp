#include "session.h"

namespace vhost::validate {

Session::Session(const std::filesystem::path& plugin, Startup startup)
    : plugin_(PluginInstance::load(plugin, host_, startup)) {}

Session::Session(std::shared_ptr<DynamicLibrary> library, Startup startup)
    : plugin_(PluginInstance::fromLibrary(std::move(library), host_, startup)) {}

Session::~Session() {
    if (plugin_ && plugin_->active()) plugin_->setActive(false);
}

void Session::start(double sampleRate, VstInt32 blockSize) {
    if (plugin_->active()) plugin_->setActive(false);
    host_.setSampleRate(sampleRate);
    host_.setBlockSize(blockSize);
    plugin_->prepare(sampleRate, blockSize);
    plugin_->setActive(true);
}

void Session::stop() {
    if (plugin_->active()) plugin_->setActive(false);
}

} // namespace vhost::validate
