// Sequences of dispatcher calls within the interface's contract, read from the input: an
// instance from the entry point, then programs, names, parameters, typed values, chunks
// (its own and arbitrary ones), switching processing on and off, audio and tempo changes.
// Every text stays inside its buffer, every value in 0..1, every output sample finite.
#include "fuzz_check.h"
#include "support/test_host.h"
#include "vst/aeffect.h"
#include "vst/editor_picture.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" AEffect* VSTPluginMain(audioMasterCallback host);

namespace {
// The tests' host of the entry point linked in; it keeps no log: the fuzzer runs for hours.
TestHost& Host() {
    static TestHost* host = [] {
        auto* h = new TestHost(&VSTPluginMain, "fuzz host");
        h->SetRecording(false);
        return h;
    }();
    return *host;
}
VstInt32 blockSize = 512;

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool more() const { return at_ < size_; }
    std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    // A zero-terminated text of up to `max` bytes, its length given by the next byte.
    std::vector<char> text(std::size_t max) {
        std::size_t n = byte() % (max + 1);
        std::vector<char> t;
        for (std::size_t i = 0; i < n && more(); ++i)
            t.push_back(static_cast<char>(byte()));
        t.push_back('\0');
        return t;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

VstIntPtr Call(AEffect* e, VstInt32 op, VstInt32 index = 0, VstIntPtr value = 0,
               void* ptr = nullptr, float opt = 0.0f) {
    return e->dispatcher(e, op, index, value, ptr, opt);
}

// A text request into a 256-byte buffer with guard bytes after it.
void Text(AEffect* e, VstInt32 op, VstInt32 index) {
    char buffer[256 + 32];
    std::memset(buffer, 0x5A, sizeof buffer);
    Call(e, op, index, 0, buffer);
    Check(std::memchr(buffer, 0, 256) != nullptr);
    for (std::size_t i = 256; i < sizeof buffer; ++i)
        Check(buffer[i] == 0x5A);
}

void Process(AEffect* e, int frames, bool doubles) {
    std::vector<double> d[4];
    std::vector<float> f[4];
    for (int c = 0; c < 4; ++c) {
        d[c].assign(frames, c < 2 ? 0.3 : 0.0);
        f[c].assign(frames, c < 2 ? 0.3f : 0.0f);
    }
    if (doubles) {
        double* in[2] = {d[0].data(), d[1].data()};
        double* out[2] = {d[2].data(), d[3].data()};
        e->processDoubleReplacing(e, in, out, frames);
        for (int c = 2; c < 4; ++c)
            for (double v : d[c])
                Check(std::isfinite(v));
    } else {
        float* in[2] = {f[0].data(), f[1].data()};
        float* out[2] = {f[2].data(), f[3].data()};
        e->processReplacing(e, in, out, frames);
        for (int c = 2; c < 4; ++c)
            for (float v : f[c])
                Check(std::isfinite(v));
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 4096) return 0;
    Input in(data, size);
    TestHost& host = Host();
    host.SetTempo(120.0);
    host.SetTimeSignature(4, 4);
    host.SetPosition(0, true);
    host.WithholdTimeFlags(0);
    bool tempoWithheld = false;

    // One instance lives across inputs, as in a long session; an input starting with 0xFF
    // gets a fresh one. Each input starts with processing switched off.
    static AEffect* e = nullptr;
    static bool on = false;
    if (e && size > 0 && data[0] == 0xFF) {
        if (on) Call(e, effMainsChanged, 0, 0);
        host.Close(e);
        e = nullptr;
    }
    if (!e) {
        e = host.Create();
        Call(e, effOpen);
        on = false;
    }
    if (on) {
        Call(e, effStopProcess);
        Call(e, effMainsChanged, 0, 0);
        on = false;
    }
    const VstInt32 params = e->numParams, programs = e->numPrograms;
    for (int steps = 0; in.more() && steps < 256; ++steps) {
        switch (in.byte() % 16) {
        case 0:
            Call(e, effSetProgram, 0, in.byte() % programs);
            break;
        case 1:
            Text(e, effGetProgramName, 0);
            break;
        case 2: {
            std::vector<char> name = in.text(23);
            Call(e, effSetProgramName, 0, 0, name.data());
            break;
        }
        case 3: {
            const VstInt32 index = in.byte() % params;
            Text(e, effGetParamLabel, index);
            Text(e, effGetParamDisplay, index);
            Text(e, effGetParamName, index);
            break;
        }
        case 4: {
            const VstInt32 index = in.byte() % params;
            std::vector<char> typed = in.text(40);
            Call(e, effString2Parameter, index, 0, typed.data());
            break;
        }
        case 5:
            Text(e, effGetProgramNameIndexed, in.byte() % programs);
            break;
        case 6:
            e->setParameter(e, in.byte() % params, in.byte() / 255.0f);
            break;
        case 7: {
            const float v = e->getParameter(e, in.byte() % params);
            Check(v >= 0.0f && v <= 1.0f);
            break;
        }
        case 8: {
            const VstInt32 bank = in.byte() % 2 ? 0 : 1;
            void* chunk = nullptr;
            const VstIntPtr bytes = Call(e, effGetChunk, bank, 0, &chunk);
            Check(bytes > 0 && chunk != nullptr);
            std::vector<std::uint8_t> copy(static_cast<std::uint8_t*>(chunk),
                                           static_cast<std::uint8_t*>(chunk) + bytes);
            Check(Call(e, effSetChunk, bank, bytes, copy.data()) == 1);
            break;
        }
        case 9: {
            const VstInt32 bank = in.byte() % 2;
            std::vector<char> bytes = in.text(255);
            Call(e, effSetChunk, bank, static_cast<VstIntPtr>(bytes.size() - 1), bytes.data());
            break;
        }
        case 10:
            if (on) {
                Call(e, effStopProcess);
                Call(e, effMainsChanged, 0, 0);
            } else {
                const double rates[] = {22050, 44100, 48000, 96000, 192000, 8000};
                const double sampleRate = rates[in.byte() % 6];
                blockSize = 1 + in.byte() * 4;
                host.SetSampleRate(sampleRate);
                host.SetBlockSize(blockSize);
                Call(e, effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
                Call(e, effSetBlockSize, 0, blockSize);
                Call(e, effMainsChanged, 0, 1);
                Call(e, effStartProcess);
            }
            on = !on;
            break;
        case 11:
        case 12:
            if (on) Process(e, 1 + in.byte() % blockSize, in.byte() % 2);
            break;
        case 13:
            host.SetTempo(20.0 + in.byte() * 2.0);
            if (in.byte() % 4 == 0) {
                tempoWithheld = !tempoWithheld;
                host.WithholdTimeFlags(tempoWithheld ? kVstTempoValid : 0);
            }
            break;
        case 14: {
            EditorPicture picture;
            if (in.byte() % 8 == 0 &&
                Call(e, effVendorSpecific, kEditorPictureRequest, 0, &picture) == 1)
                Check(picture.pixels != nullptr && picture.width > 0);
            break;
        }
        default:
            Call(e, effCanDo, 0, 0, const_cast<char*>("receiveVstTimeInfo"));
            Call(e, effGetTailSize);
            Call(e, effGetProgram);
            break;
        }
    }
    return 0;
}
