// A plug-in instance together with the host callback it talks to, for one test.
#pragma once

#include "vsthost/dynamic_library.h"
#include "vsthost/host_callback.h"
#include "vsthost/plugin_instance.h"

#include <filesystem>
#include <memory>

namespace vhost::validate {

class Session {
public:
    explicit Session(const std::filesystem::path& plugin, Startup startup = Startup::Open);
    explicit Session(std::shared_ptr<DynamicLibrary> library, Startup startup = Startup::Open);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    PluginInstance& Plugin() noexcept { return *plugin_; }
    HostCallback& Host() noexcept { return host_; }

    // Announces the rate and block size (switched off first when running) and switches
    // processing on, as a host does.
    void Start(double sampleRate, VstInt32 blockSize);
    void Stop();

    // The loudest level this instance was found to hold steady (see audio_check.h), so
    // that a loud level is looked into again only when it rises well above it.
    double& SteadyLoudLevel() noexcept { return steadyLoudLevel_; }

private:
    HostCallback host_; // outlives the instance
    double steadyLoudLevel_ = 0.0;
    std::unique_ptr<PluginInstance> plugin_;
};

} // namespace vhost::validate
