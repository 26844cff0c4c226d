#include "renderer.h"

#include "host_error.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

namespace vhost {
namespace {

// Switches processing off on every way out of a render.
class ActiveScope {
public:
    explicit ActiveScope(PluginInstance& plugin) : plugin_(plugin) { plugin_.setActive(true); }
    ~ActiveScope() { plugin_.setActive(false); }
    ActiveScope(const ActiveScope&) = delete;
    ActiveScope& operator=(const ActiveScope&) = delete;

private:
    PluginInstance& plugin_;
};

// Per-channel buffers with the pointer table the callbacks take; never an empty table, so a
// plug-in without inputs still gets a valid array.
template <typename T> struct ChannelBuffers {
    ChannelBuffers(int channels, VstInt32 frames)
        : data(static_cast<std::size_t>(std::max(channels, 1)),
               std::vector<T>(static_cast<std::size_t>(frames))),
          pointers(data.size()) {
        for (std::size_t c = 0; c < data.size(); ++c)
            pointers[c] = data[c].data();
    }
    std::vector<std::vector<T>> data;
    std::vector<T*> pointers;
};

// One channel out of interleaved frames, converted to the callback's sample type; a
// negative channel gives silence.
template <typename T>
void deinterleave(const double* interleaved, int channels, int channel, std::size_t frames,
                  T* out) {
    if (channel < 0) {
        std::fill_n(out, frames, T(0));
        return;
    }
    const double* in = interleaved + channel;
    // Stereo, by far the usual case, with a stride the compiler can see.
    if (channels == 2) {
        for (std::size_t s = 0; s < frames; ++s)
            out[s] = static_cast<T>(in[2 * s]);
        return;
    }
    const auto stride = static_cast<std::size_t>(channels);
    for (std::size_t s = 0; s < frames; ++s)
        out[s] = static_cast<T>(in[s * stride]);
}

template <typename T>
void interleave(const ChannelBuffers<T>& buffers, int channels, std::size_t frames,
                double* interleaved) {
    if (channels == 2) {
        const T* left = buffers.data[0].data();
        const T* right = buffers.data[1].data();
        for (std::size_t s = 0; s < frames; ++s) {
            interleaved[2 * s] = left[s];
            interleaved[2 * s + 1] = right[s];
        }
        return;
    }
    const auto stride = static_cast<std::size_t>(channels);
    for (int c = 0; c < channels; ++c) {
        const T* in = buffers.data[static_cast<std::size_t>(c)].data();
        double* out = interleaved + c;
        for (std::size_t s = 0; s < frames; ++s)
            out[s * stride] = in[s];
    }
}

} // namespace

ProcessMode chooseProcessMode(const PluginInstance& plugin, Precision precision) {
    if (precision == Precision::Double) {
        if (!plugin.supports(ProcessMode::DoubleReplacing))
            throw HostError("the plug-in cannot process in double precision "
                            "(no effFlagsCanDoubleReplacing); use --precision single");
        return ProcessMode::DoubleReplacing;
    }
    if (plugin.supports(ProcessMode::Replacing)) return ProcessMode::Replacing;
    if (plugin.supports(ProcessMode::Accumulating)) return ProcessMode::Accumulating;
    throw HostError("the plug-in offers no single-precision audio callback");
}

RenderReport render(PluginInstance& plugin, AudioSource& source, AudioSink& sink,
                    const RenderSettings& settings, const ProgressFn& progress) {
    if (settings.blockSize < 1) throw HostError("the block size must be at least 1");
    if (!(settings.sampleRate > 0.0)) throw HostError("the sample rate must be positive");
    plugin.checkDescriptor();
    const int inputs = plugin.numInputs();
    const int outputs = plugin.numOutputs();
    if (outputs < 1) throw HostError("the plug-in has no audio outputs");
    const int sourceChannels = source.channels();
    const ProcessMode mode = chooseProcessMode(plugin, settings.precision);

    RenderReport report;
    report.inputChannels = sourceChannels;
    report.outputChannels = outputs;
    report.sampleRate = settings.sampleRate;
    report.mode = mode;

    HostCallback& host = plugin.host();
    host.setTempo(settings.tempo);
    plugin.prepare(settings.sampleRate, settings.blockSize);

    const auto tailFrames = static_cast<std::int64_t>(
        std::llround(std::max(settings.tailSeconds, 0.0) * settings.sampleRate));
    const std::int64_t sourceFrames = source.frames();
    const double expected =
        sourceFrames >= 0 ? static_cast<double>(sourceFrames + tailFrames) : -1.0;

    const VstInt32 block = settings.blockSize;
    std::vector<double> interleavedIn(static_cast<std::size_t>(block) *
                                      static_cast<std::size_t>(sourceChannels));
    std::vector<double> interleavedOut(static_cast<std::size_t>(block) *
                                       static_cast<std::size_t>(outputs));
    ChannelBuffers<float> floatIn(inputs, block), floatOut(outputs, block);
    ChannelBuffers<double> doubleIn(inputs, block), doubleOut(outputs, block);
    // Which source channel feeds each plug-in input (-1: silence).
    std::vector<int> feed(static_cast<std::size_t>(std::max(inputs, 0)));
    for (int i = 0; i < inputs; ++i)
        feed[static_cast<std::size_t>(i)] = sourceChannels == 1 ? 0 : (i < sourceChannels ? i : -1);

    const auto started = std::chrono::steady_clock::now();
    ActiveScope processing(plugin);

    bool sourceDone = false;
    std::int64_t tailLeft = tailFrames;
    std::int64_t position = 0;
    for (;;) {
        VstInt32 frames = 0;
        if (!sourceDone) {
            std::int64_t got = source.read(interleavedIn.data(), block);
            frames = static_cast<VstInt32>(std::clamp<std::int64_t>(got, 0, block));
            report.input.addBlock(interleavedIn.data(),
                                  static_cast<std::size_t>(frames) *
                                      static_cast<std::size_t>(sourceChannels));
            report.inputFrames += frames;
            if (frames < block) sourceDone = true;
        }
        // The silent tail fills the rest of this block and the blocks after it.
        auto pad = static_cast<VstInt32>(std::min<std::int64_t>(block - frames, tailLeft));
        std::fill(interleavedIn.begin() + static_cast<std::ptrdiff_t>(frames) * sourceChannels,
                  interleavedIn.begin() +
                      static_cast<std::ptrdiff_t>(frames + pad) * sourceChannels,
                  0.0);
        tailLeft -= pad;
        frames += pad;
        if (frames == 0) break;

        host.setPosition(position, true);
        const auto n = static_cast<std::size_t>(frames);
        if (mode == ProcessMode::DoubleReplacing) {
            for (int i = 0; i < inputs; ++i)
                deinterleave(interleavedIn.data(), sourceChannels,
                             feed[static_cast<std::size_t>(i)], n,
                             doubleIn.pointers[static_cast<std::size_t>(i)]);
            for (auto& out : doubleOut.data)
                std::fill(out.begin(), out.end(), 0.0);
            plugin.processDoubleReplacing(doubleIn.pointers.data(), doubleOut.pointers.data(),
                                          frames);
            interleave(doubleOut, outputs, n, interleavedOut.data());
        } else {
            for (int i = 0; i < inputs; ++i)
                deinterleave(interleavedIn.data(), sourceChannels,
                             feed[static_cast<std::size_t>(i)], n,
                             floatIn.pointers[static_cast<std::size_t>(i)]);
            // `process` adds into the outputs, and a plug-in that writes nothing should give
            // silence rather than the last block again: the outputs start at zero.
            for (auto& out : floatOut.data)
                std::fill(out.begin(), out.end(), 0.0f);
            if (mode == ProcessMode::Replacing)
                plugin.processReplacing(floatIn.pointers.data(), floatOut.pointers.data(), frames);
            else
                plugin.processAccumulating(floatIn.pointers.data(), floatOut.pointers.data(),
                                           frames);
            interleave(floatOut, outputs, n, interleavedOut.data());
        }
        report.output.addBlock(interleavedOut.data(), n * static_cast<std::size_t>(outputs));
        sink.write(interleavedOut.data(), frames);
        position += frames;
        report.outputFrames += frames;
        // Called every block, also when the length is unknown: it may stop the render.
        if (progress)
            progress(expected > 0.0 ? std::min(1.0, static_cast<double>(position) / expected)
                                    : 0.0);
    }
    host.setPosition(position, false);
    report.wallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return report;
}

} // namespace vhost
