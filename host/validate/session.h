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

    PluginInstance& plugin() noexcept { return *plugin_; }
    HostCallback& host() noexcept { return host_; }

    // Announces the rate and block size (switched off first when running) and switches
    // processing on, as a host does.
    void start(double sampleRate, VstInt32 blockSize);
    void stop();

private:
    HostCallback host_; // outlives the instance
    std::unique_ptr<PluginInstance> plugin_;
};

} // namespace vhost::validate
