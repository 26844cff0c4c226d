#include "audio_scenario.h"

#include "support/test_host.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

constexpr int kFrames = 16384;
constexpr double kSampleRate = 44100.0;

// The input, made with arithmetic only (no library functions whose last bit may differ
// between platforms): two recursive sine oscillators, a decaying click train and noise.
struct Input {
    std::vector<double> left, right;
};

Input MakeInput() {
    Input in;
    in.left.resize(kFrames);
    in.right.resize(kFrames);
    // 2 cos(2 pi f / 44100) for 220 Hz and 331 Hz.
    const double c1 = 1.99800863848063, c2 = 1.99549567706066;
    double a0 = 0.0, a1 = 0.0313611, b0 = 0.0, b1 = 0.0471443;
    std::uint32_t seed = 12345;
    double click = 0.0;
    for (int i = 0; i < kFrames; ++i) {
        const double a = c1 * a1 - a0;
        a0 = a1;
        a1 = a;
        const double b = c2 * b1 - b0;
        b0 = b1;
        b1 = b;
        seed = seed * 1664525u + 1013904223u;
        const double noise = (static_cast<double>(seed >> 8) / 16777216.0 - 0.5) * 0.1;
        click = (i % 5000 == 0) ? 0.9 : click * 0.995;
        in.left[i] = 0.5 * a + noise + click;
        in.right[i] = 0.4 * b - noise;
    }
    return in;
}

// An opened, running instance at 120 bpm.
std::unique_ptr<HostedPlugin> Open(VstPluginEntryProc entry, int blockSize) {
    auto instance =
        std::make_unique<HostedPlugin>(entry, "velmorande scenario", kSampleRate, blockSize);
    instance->host.SetTempo(120.0);
    return instance;
}

// Changes made between blocks, the same for every callback: short echoes first, then more
// feedback, another tap mode, a faster tempo, a factory program, and milliseconds.
void ChangesBefore(HostedPlugin& instance, int block) {
    AEffect* e = instance.e;
    switch (block) {
    case 0:
        e->setParameter(e, 0, 0.1f); // a short note value
        break;
    case 8:
        e->setParameter(e, 5, 0.85f); // feedback
        e->setParameter(e, 6, 0.3f);  // damping
        break;
    case 14:
        e->setParameter(e, 3, 0.0f); // triplet taps
        e->setParameter(e, 4, 0.2f); // pan width
        break;
    case 20:
        instance.host.SetTempo(143.0);
        break;
    case 26:
        instance.Instance().SetProgram(4);
        break;
    case 30:
        e->setParameter(e, 2, 0.0f);  // sync off: milliseconds
        e->setParameter(e, 1, 0.02f); // delay time
        e->setParameter(e, 8, 0.9f);  // wet
        break;
    default:
        break;
    }
}

// Block sizes that do not divide the signal evenly, for the single-precision runs.
int BlockSize(int block) {
    static const int sizes[] = {512, 100, 333, 512, 7, 480, 256, 1024};
    return sizes[block % 8];
}

} // namespace

std::vector<AudioStream> RenderAudioScenario(VstPluginEntryProc entry) {
    const Input in = MakeInput();
    std::vector<AudioStream> streams;
    if (!entry) return streams;

    {
        // Double precision, fixed blocks.
        auto instance = Open(entry, 512);
        std::vector<double> inL = in.left, inR = in.right, outL(kFrames), outR(kFrames);
        for (int block = 0, done = 0; done < kFrames; ++block, done += 512) {
            ChangesBefore(*instance, block);
            double* ins[2] = {inL.data() + done, inR.data() + done};
            double* outs[2] = {outL.data() + done, outR.data() + done};
            instance->Instance().ProcessDoubleReplacing(ins, outs, 512);
        }
        instance.reset();
        streams.push_back({"double left", outL});
        streams.push_back({"double right", outR});
    }

    for (bool accumulate : {false, true}) {
        // Single precision, replacing or adding to what the outputs hold.
        auto instance = Open(entry, 1024);
        std::vector<float> inL(in.left.begin(), in.left.end());
        std::vector<float> inR(in.right.begin(), in.right.end());
        std::vector<float> outL(kFrames, 0.25f), outR(kFrames, -0.125f);
        for (int block = 0, done = 0; done < kFrames; ++block) {
            const int n = std::min(BlockSize(block), kFrames - done);
            ChangesBefore(*instance, block);
            float* ins[2] = {inL.data() + done, inR.data() + done};
            float* outs[2] = {outL.data() + done, outR.data() + done};
            if (accumulate)
                instance->Instance().ProcessAccumulating(ins, outs, n);
            else
                instance->Instance().ProcessReplacing(ins, outs, n);
            done += n;
        }
        instance.reset();
        const std::string kind = accumulate ? "accumulating" : "single";
        streams.push_back({kind + " left", std::vector<double>(outL.begin(), outL.end())});
        streams.push_back({kind + " right", std::vector<double>(outR.begin(), outR.end())});
    }
    return streams;
}

bool WriteStreams(const char* path, const std::vector<AudioStream>& streams) {
    std::FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    bool ok = std::fwrite("VLMA", 1, 4, f) == 4;
    const auto count = static_cast<std::uint32_t>(streams.size());
    ok = ok && std::fwrite(&count, sizeof count, 1, f) == 1;
    for (const AudioStream& s : streams) {
        const auto nameSize = static_cast<std::uint32_t>(s.name.size());
        const auto n = static_cast<std::uint64_t>(s.samples.size());
        ok = ok && std::fwrite(&nameSize, sizeof nameSize, 1, f) == 1 &&
             std::fwrite(s.name.data(), 1, nameSize, f) == nameSize &&
             std::fwrite(&n, sizeof n, 1, f) == 1 &&
             std::fwrite(s.samples.data(), sizeof(double), n, f) == n;
    }
    return std::fclose(f) == 0 && ok;
}

bool ReadStreams(const char* path, std::vector<AudioStream>& streams) {
    streams.clear();
    std::FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    char magic[4] = {};
    std::uint32_t count = 0;
    bool ok = std::fread(magic, 1, 4, f) == 4 && std::memcmp(magic, "VLMA", 4) == 0 &&
              std::fread(&count, sizeof count, 1, f) == 1 && count < 64;
    for (std::uint32_t i = 0; ok && i < count; ++i) {
        std::uint32_t nameSize = 0;
        std::uint64_t n = 0;
        AudioStream s;
        ok = std::fread(&nameSize, sizeof nameSize, 1, f) == 1 && nameSize < 256;
        if (ok) {
            s.name.resize(nameSize);
            ok = std::fread(s.name.data(), 1, nameSize, f) == nameSize &&
                 std::fread(&n, sizeof n, 1, f) == 1 && n <= (1u << 24);
        }
        if (ok) {
            s.samples.resize(n);
            ok = std::fread(s.samples.data(), sizeof(double), n, f) == n;
        }
        if (ok) streams.push_back(std::move(s));
    }
    std::fclose(f);
    return ok;
}
