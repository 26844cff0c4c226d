// The plug-in base's LV2 side on an instance of the effect: the host's services as the
// effect asks for them (the transport from time:Position, edits reported to whoever drives
// it), and what it refuses to restore.
#include "lv2/lv2_test_host.h"
#include "lv2/plug_lv2.h"
#include "lv2/time_position.h"

#include <gtest/gtest.h>
#include <lv2/atom/forge.h>
#include <lv2/time/time.h>

#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {
// What the effect told its host side, in order.
struct Recorder : Lv2Host {
    void Automated(int index, double normalized) override {
        events.push_back("automate " + std::to_string(index) + " " + std::to_string(normalized));
    }
    void EditBegun(int index) override { events.push_back("begin " + std::to_string(index)); }
    void EditEnded(int index) override { events.push_back("end " + std::to_string(index)); }
    std::vector<std::string> events;
};

TEST(PlugLv2, EditsReachItsHostSideInOrder) {
    Recorder host;
    const Lv2Plug plug = CreateLv2Plug(&host);
    ASSERT_TRUE(plug);
    plug->OpenForHost();
    EXPECT_TRUE(host.events.empty()) << "opening edits nothing";

    plug->HostBeginEdit(5);
    plug->SetParameterFromEditor(5, 0.5);
    plug->HostEndEdit(5);
    // A wheel gesture stays open until its countdown ends; a second notch on the same
    // parameter continues it, a press on another parameter ends it first.
    plug->HostBeginEditUnlessPending(4);
    plug->EndEditLater(4);
    plug->HostBeginEditUnlessPending(4);
    plug->HostBeginEdit(6);
    plug->SetParameterFromHost(7, 0.25f); // the host's own change is not reported back
    EXPECT_EQ(host.events, (std::vector<std::string>{"begin 5", "automate 5 0.500000", "end 5",
                                                     "begin 4", "end 4", "begin 6"}));
}

// Builds time:Position objects, one property at a time.
class Position {
public:
    explicit Position(UridMap& urids) : urids_(urids) {
        lv2_atom_forge_init(&forge_, urids.Feature());
        lv2_atom_forge_set_buffer(&forge_, buffer_, sizeof buffer_);
        lv2_atom_forge_object(&forge_, &frame_, 0, urids.Map(LV2_TIME__Position));
    }
    Position& Float(const char* key, float v) {
        lv2_atom_forge_key(&forge_, urids_.Map(key));
        lv2_atom_forge_float(&forge_, v);
        return *this;
    }
    Position& Double(const char* key, double v) {
        lv2_atom_forge_key(&forge_, urids_.Map(key));
        lv2_atom_forge_double(&forge_, v);
        return *this;
    }
    Position& Long(const char* key, int64_t v) {
        lv2_atom_forge_key(&forge_, urids_.Map(key));
        lv2_atom_forge_long(&forge_, v);
        return *this;
    }
    // The object, closed at the first call.
    const LV2_Atom* Atom() {
        if (!closed_) lv2_atom_forge_pop(&forge_, &frame_);
        closed_ = true;
        return reinterpret_cast<const LV2_Atom*>(buffer_);
    }

private:
    UridMap& urids_;
    LV2_Atom_Forge forge_{};
    LV2_Atom_Forge_Frame frame_{};
    bool closed_ = false;
    alignas(8) std::uint8_t buffer_[512] = {};
};

struct Transport {
    double tempo;
    int position, numerator, denominator;
    bool operator==(const Transport&) const = default;
};

Transport Heard(IPlugLV2& plug) {
    Transport t{plug.HostTempo(), plug.HostSamplePosition(), 0, 0};
    plug.HostTimeSignature(t.numerator, t.denominator);
    return t;
}

TEST(PlugLv2, TheEffectHearsTheHostsTransport) {
    UridMap urids;
    const TimeUrids u(urids.Feature());
    const Lv2Plug plug = CreateLv2Plug(nullptr);
    ASSERT_TRUE(plug);
    plug->OpenForHost();
    plug->ChangeBlockSize(64);
    const float silence[64] = {};
    float out[2][64];
    const float* ins[2] = {silence, silence};
    float* outs[2] = {out[0], out[1]};
    auto play = [&] { plug->Process(ins, outs, 64); };

    EXPECT_EQ(Heard(*plug), (Transport{120.0, 0, 4, 4})) << "without a transport";
    Position rolling(urids);
    rolling.Double(LV2_TIME__beatsPerMinute, 90.5)
        .Float(LV2_TIME__speed, 1.0f)
        .Long(LV2_TIME__frame, 1000)
        .Float(LV2_TIME__beatsPerBar, 3.0f)
        .Float(LV2_TIME__beatUnit, 8.0f);
    ASSERT_TRUE(ApplyTimePosition(u, rolling.Atom(), plug->Time()));
    EXPECT_EQ(Heard(*plug), (Transport{90.5, 1000, 3, 8}));
    play();
    EXPECT_EQ(Heard(*plug), (Transport{90.5, 1064, 3, 8})) << "the position moves on";

    // Nonsense leaves what was there; a stopped transport stands still.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    Position nonsense(urids);
    nonsense.Float(LV2_TIME__beatsPerMinute, 0.0f)
        .Float(LV2_TIME__speed, 0.0f)
        .Double(LV2_TIME__frame, -5.0)
        .Float(LV2_TIME__beatsPerBar, nan)
        .Float(LV2_TIME__beatUnit, 4.0f);
    ASSERT_TRUE(ApplyTimePosition(u, nonsense.Atom(), plug->Time()));
    play();
    EXPECT_EQ(Heard(*plug), (Transport{90.5, 1064, 3, 8}));
    Position slow(urids);
    slow.Float(LV2_TIME__beatsPerMinute, -60.0f).Float(LV2_TIME__beatsPerBar, 2000.0f);
    ASSERT_TRUE(ApplyTimePosition(u, slow.Atom(), plug->Time()));
    EXPECT_EQ(Heard(*plug), (Transport{90.5, 1064, 3, 8}));

    // Not a position at all.
    LV2_Atom_Int number{{sizeof(int32_t), urids.Map(LV2_ATOM__Int)}, 60};
    EXPECT_FALSE(ApplyTimePosition(u, &number.atom, plug->Time()));
    EXPECT_FALSE(ApplyTimePosition(TimeUrids(nullptr), rolling.Atom(), plug->Time()));
}

// Only the effect's own program chunk is taken; anything else, and a chunk cut short,
// leaves every parameter as it was.
TEST(PlugLv2, RestoresOnlyItsOwnProgramChunk) {
    const Lv2Plug source = CreateLv2Plug(nullptr);
    ASSERT_TRUE(source);
    source->OpenForHost();
    source->ChangeProgram(9);
    const std::vector<std::uint8_t> chunk = source->SaveProgramChunk();
    ASSERT_EQ(chunk.size(), 8u + 8u * kParams);

    const Lv2Plug plug = CreateLv2Plug(nullptr);
    plug->OpenForHost();
    auto values = [&] {
        std::vector<double> v;
        for (int i = 0; i < plug->NParams(); ++i)
            v.push_back(plug->GetParam(i)->Value());
        return v;
    };
    const std::vector<double> before = values();
    std::vector<std::uint8_t> bare(chunk.begin() + 8, chunk.end());
    std::vector<std::uint8_t> cut(chunk.begin(), chunk.end() - 12);
    for (const auto* bytes : {&bare, &cut}) {
        EXPECT_FALSE(plug->LoadProgramChunk(bytes->data(), bytes->size()));
        EXPECT_EQ(values(), before);
    }
    EXPECT_FALSE(plug->LoadProgramChunk(nullptr, chunk.size()));
    EXPECT_FALSE(plug->LoadProgramChunk(chunk.data(), 7));
    EXPECT_EQ(values(), before);
    EXPECT_TRUE(plug->LoadProgramChunk(chunk.data(), chunk.size()));
    EXPECT_NE(values(), before);
    EXPECT_EQ(plug->SaveProgramChunk(), chunk);
}
} // namespace
