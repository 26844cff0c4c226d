#include "host/renderer.h"

#include "host/command_errors.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <vector>

namespace vhost {
namespace {

constexpr VstInt32 kChunkFrames = 8192;

// Switches processing off on every way out of a render.
class ActiveScope {
public:
    explicit ActiveScope(PluginInstance& plugin) : plugin_(plugin) { plugin_.SetActive(true); }
    ~ActiveScope() { plugin_.SetActive(false); }
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
// One plug-in input out of interleaved frames, converted to the callback's sample type: a
// copy of one channel, the average of several, or silence.
template <typename T>
void Deinterleave(const double* interleaved, int channels, const std::vector<int>& feed,
                  std::size_t frames, T* out) {
    if (feed.empty()) {
        std::fill_n(out, frames, T(0));
        return;
    }
    const auto stride = static_cast<std::size_t>(channels);
    if (feed.size() > 1) {
        const double scale = 1.0 / static_cast<double>(feed.size());
        for (std::size_t s = 0; s < frames; ++s) {
            double sum = 0.0;
            for (int c : feed)
                sum += interleaved[s * stride + static_cast<std::size_t>(c)];
            out[s] = static_cast<T>(sum * scale);
        }
        return;
    }
    const double* in = interleaved + feed[0];
    // Stereo, by far the usual case, with a stride the compiler can see.
    if (channels == 2) {
        for (std::size_t s = 0; s < frames; ++s)
            out[s] = static_cast<T>(in[2 * s]);
        return;
    }
    for (std::size_t s = 0; s < frames; ++s)
        out[s] = static_cast<T>(in[s * stride]);
}

template <typename T>
void Interleave(const ChannelBuffers<T>& buffers, int channels, std::size_t frames,
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

ProcessMode ChooseProcessMode(const PluginInstance& plugin, Precision precision) {
    if (precision == Precision::Double) {
        if (!plugin.Supports(ProcessMode::DoubleReplacing))
            throw HostError("the plug-in cannot process in double precision "
                            "(no effFlagsCanDoubleReplacing); use --precision single");
        return ProcessMode::DoubleReplacing;
    }
    if (plugin.Supports(ProcessMode::Replacing)) return ProcessMode::Replacing;
    if (plugin.Supports(ProcessMode::Accumulating)) return ProcessMode::Accumulating;
    throw HostError("the plug-in offers no single-precision audio callback");
}

namespace {

// One plug-in of the chain with its buffers, a chunk long: the audio is converted and
// copied a chunk at a time, and each block of the chunk is handed to the plug-in where it
// lies in the buffers.
class Stage {
public:
    Stage(const RenderStage& stage, const ChannelMap& map, Precision precision, VstInt32 block,
          VstInt32 chunk)
        : plugin_(*stage.plugin), automation_(stage.automation), inputs_(plugin_.NumInputs()),
          outputs_(plugin_.NumOutputs()), block_(block), map_(map),
          mode_(ChooseProcessMode(plugin_, precision)),
          floatIn_(mode_ == ProcessMode::DoubleReplacing ? 0 : inputs_, chunk),
          floatOut_(mode_ == ProcessMode::DoubleReplacing ? 0 : outputs_, chunk),
          doubleIn_(mode_ == ProcessMode::DoubleReplacing ? inputs_ : 0, chunk),
          doubleOut_(mode_ == ProcessMode::DoubleReplacing ? outputs_ : 0, chunk),
          interleaved_(static_cast<std::size_t>(chunk) * static_cast<std::size_t>(outputs_)),
          floatInAt_(floatIn_.pointers.size()), floatOutAt_(floatOut_.pointers.size()),
          doubleInAt_(doubleIn_.pointers.size()), doubleOutAt_(doubleOut_.pointers.size()) {}

    ProcessMode Mode() const noexcept { return mode_; }
    int Outputs() const noexcept { return outputs_; }
    const double* Output() const noexcept { return interleaved_.data(); }

    // Renders `frames` frames of interleaved input, which start at `position`, in blocks of
    // the block size; the result is in output().
    void Run(const double* in, int channels, VstInt32 frames, std::int64_t position) {
        const auto n = static_cast<std::size_t>(frames);
        if (mode_ == ProcessMode::DoubleReplacing) {
            Fill(in, channels, n, doubleIn_, doubleOut_);
            Blocks(frames, position, doubleIn_, doubleOut_, doubleInAt_, doubleOutAt_);
            Interleave(doubleOut_, outputs_, n, interleaved_.data());
        } else {
            Fill(in, channels, n, floatIn_, floatOut_);
            Blocks(frames, position, floatIn_, floatOut_, floatInAt_, floatOutAt_);
            Interleave(floatOut_, outputs_, n, interleaved_.data());
        }
    }

private:
    template <typename T>
    void Fill(const double* in, int channels, std::size_t n, ChannelBuffers<T>& ins,
              ChannelBuffers<T>& outs) {
        for (int i = 0; i < inputs_; ++i)
            Deinterleave(in, channels, map_.feeds[static_cast<std::size_t>(i)], n,
                         ins.pointers[static_cast<std::size_t>(i)]);
        // `process` adds into the outputs, and a plug-in that writes nothing should give
        // silence rather than the last block again: the outputs start at zero.
        for (auto& out : outs.data)
            std::fill_n(out.begin(), n, T(0));
    }

    // The chunk in blocks, and each block in pieces that end where the automation changes a
    // value.
    template <typename T>
    void Blocks(VstInt32 frames, std::int64_t position, ChannelBuffers<T>& ins,
                ChannelBuffers<T>& outs, std::vector<T*>& insAt, std::vector<T*>& outsAt) {
        for (VstInt32 start = 0; start < frames; start += block_) {
            const VstInt32 end = std::min(frames, start + block_);
            for (VstInt32 done = start; done < end;) {
                const std::int64_t at = position + done;
                VstInt32 length = end - done;
                if (automation_) {
                    automation_->Apply(plugin_, at);
                    length = static_cast<VstInt32>(
                        std::min<std::int64_t>(length, automation_->NextChange(at) - at));
                }
                for (std::size_t c = 0; c < insAt.size(); ++c)
                    insAt[c] = ins.pointers[c] + done;
                for (std::size_t c = 0; c < outsAt.size(); ++c)
                    outsAt[c] = outs.pointers[c] + done;
                plugin_.Host().SetPosition(at, true);
                call(insAt.data(), outsAt.data(), length);
                done += length;
            }
        }
    }

    void call(float** in, float** out, VstInt32 frames) {
        if (mode_ == ProcessMode::Replacing)
            plugin_.ProcessReplacing(in, out, frames);
        else
            plugin_.ProcessAccumulating(in, out, frames);
    }
    void call(double** in, double** out, VstInt32 frames) {
        plugin_.ProcessDoubleReplacing(in, out, frames);
    }

    PluginInstance& plugin_;
    Automation* automation_;
    int inputs_, outputs_;
    VstInt32 block_;
    ChannelMap map_;
    ProcessMode mode_;
    ChannelBuffers<float> floatIn_, floatOut_;
    ChannelBuffers<double> doubleIn_, doubleOut_;
    std::vector<double> interleaved_;
    std::vector<float*> floatInAt_, floatOutAt_;
    std::vector<double*> doubleInAt_, doubleOutAt_;
};

// Reads up to `frames` frames, taking what a source hands out in pieces; fewer only at the
// end of the source.
std::int64_t ReadFully(AudioSource& source, double* interleaved, std::int64_t frames,
                       int channels) {
    std::int64_t done = 0;
    while (done < frames) {
        const std::int64_t got = std::clamp<std::int64_t>(
            source.Read(interleaved + done * channels, frames - done), 0, frames - done);
        if (got == 0) break;
        done += got;
    }
    return done;
}

// Switches processing on for every plug-in of the chain, and off again on every way out.
class ChainActive {
public:
    explicit ChainActive(const std::vector<RenderStage>& stages) {
        for (const RenderStage& s : stages)
            scopes_.push_back(std::make_unique<ActiveScope>(*s.plugin));
    }
    ~ChainActive() {
        while (!scopes_.empty())
            scopes_.pop_back();
    }
    ChainActive(const ChainActive&) = delete;
    ChainActive& operator=(const ChainActive&) = delete;

private:
    std::vector<std::unique_ptr<ActiveScope>> scopes_;
};

} // namespace

RenderReport Render(PluginInstance& plugin, AudioSource& source, AudioSink& sink,
                    const RenderSettings& settings, const ProgressFn& progress) {
    return Render(std::vector<RenderStage>{{&plugin, nullptr}}, source, sink, settings, progress);
}

RenderReport Render(const std::vector<RenderStage>& chain, AudioSource& source, AudioSink& sink,
                    const RenderSettings& settings, const ProgressFn& progress) {
    if (settings.blockSize < 1) throw HostError("the block size must be at least 1");
    if (!(settings.sampleRate > 0.0)) throw HostError("the sample rate must be positive");
    if (chain.empty()) throw HostError("no plug-in to render through");
    const int sourceChannels = source.Channels();
    const VstInt32 block = settings.blockSize;
    // A whole number of blocks of at least 8192 frames: reading, converting and writing go a
    // chunk at a time whatever the block size, which at small blocks would otherwise cost
    // more than the plug-in itself.
    const VstInt32 chunk = block * ((kChunkFrames + block - 1) / block);

    RenderReport report;
    report.inputChannels = sourceChannels;
    report.sampleRate = settings.sampleRate;

    std::vector<std::unique_ptr<Stage>> stages;
    int channels = sourceChannels;
    for (std::size_t k = 0; k < chain.size(); ++k) {
        PluginInstance& plugin = *chain[k].plugin;
        plugin.CheckDescriptor();
        if (plugin.NumOutputs() < 1) throw HostError("the plug-in has no audio outputs");
        ChannelMap map =
            MapChannels(k == 0 ? settings.channels : std::string(), channels, plugin.NumInputs());
        if (!map.note.empty())
            report.channelNotes.push_back(
                chain.size() > 1 ? "plug-in " + std::to_string(k + 1) + ": " + map.note : map.note);
        report.channelsDropped = report.channelsDropped || map.dropped;
        stages.push_back(std::make_unique<Stage>(chain[k], map, settings.precision, block, chunk));
        plugin.Host().SetTempo(settings.tempo);
        plugin.Prepare(settings.sampleRate, block);
        channels = plugin.NumOutputs();
    }
    report.outputChannels = channels;
    report.mode = stages.front()->Mode();

    const auto tailFrames = static_cast<std::int64_t>(
        std::llround(std::max(settings.tailSeconds, 0.0) * settings.sampleRate));
    const std::int64_t sourceFrames = source.Frames();
    report.expectedInputFrames = sourceFrames;
    const double expected =
        sourceFrames >= 0 ? static_cast<double>(sourceFrames + tailFrames) : -1.0;

    std::vector<double> interleavedIn(static_cast<std::size_t>(chunk) *
                                      static_cast<std::size_t>(sourceChannels));

    const auto started = std::chrono::steady_clock::now();
    ChainActive processing(chain);

    // The source followed by the silent tail, a chunk at a time; the plug-ins get it in
    // blocks, the last one shorter.
    bool sourceDone = false;
    std::int64_t tailLeft = tailFrames;
    std::int64_t position = 0;
    for (;;) {
        VstInt32 frames = 0;
        if (!sourceDone) {
            frames = static_cast<VstInt32>(
                ReadFully(source, interleavedIn.data(), chunk, sourceChannels));
            report.input.AddBlock(interleavedIn.data(),
                                  static_cast<std::size_t>(frames) *
                                      static_cast<std::size_t>(sourceChannels));
            report.inputFrames += frames;
            if (frames < chunk) sourceDone = true;
        }
        const auto pad = static_cast<VstInt32>(std::min<std::int64_t>(chunk - frames, tailLeft));
        std::fill(interleavedIn.begin() + static_cast<std::ptrdiff_t>(frames) * sourceChannels,
                  interleavedIn.begin() +
                      static_cast<std::ptrdiff_t>(frames + pad) * sourceChannels,
                  0.0);
        tailLeft -= pad;
        frames += pad;
        if (frames == 0) break;

        const double* in = interleavedIn.data();
        int inChannels = sourceChannels;
        for (auto& stage : stages) {
            stage->Run(in, inChannels, frames, position);
            in = stage->Output();
            inChannels = stage->Outputs();
        }
        const auto n = static_cast<std::size_t>(frames);
        report.output.AddBlock(in, n * static_cast<std::size_t>(inChannels));
        sink.Write(in, frames);
        position += frames;
        report.outputFrames += frames;
        if (progress)
            progress(expected > 0.0 ? std::min(1.0, static_cast<double>(position) / expected)
                                    : 0.0);
    }
    for (const RenderStage& s : chain)
        s.plugin->Host().SetPosition(position, false);
    report.wallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return report;
}

} // namespace vhost
