#include "support/effect_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {
std::vector<double> Values(const InProcessEffect& fx) {
    std::vector<double> v;
    for (int i = 0; i < fx.NParams(); ++i)
        v.push_back(fx.GetParam(i)->Value());
    return v;
}

// A program chunk as a host would store it.
std::vector<std::uint8_t> ProgramBytes(const std::vector<double>& values, bool header = true) {
    std::vector<std::uint8_t> bytes;
    auto put = [&](const void* p, std::size_t n) {
        auto* b = static_cast<const std::uint8_t*>(p);
        bytes.insert(bytes.end(), b, b + n);
    };
    if (header) {
        std::int32_t magic = 0x70666674, version = 0x00010000;
        put(&magic, 4);
        put(&version, 4);
    }
    for (double v : values)
        put(&v, 8);
    return bytes;
}

bool Read(InProcessEffect& fx, const std::vector<std::uint8_t>& bytes, bool isBank) {
    StateChunk buffer;
    return fx.ReadHostChunk(buffer, bytes.data(), static_cast<int>(bytes.size()), isBank);
}

std::vector<std::uint8_t> Write(InProcessEffect& fx, bool isBank) {
    StateChunk buffer;
    int size = fx.WriteHostChunk(buffer, isBank);
    return {buffer.Data(), buffer.Data() + size};
}
} // namespace

TEST(FactoryPresets, Table) {
    InProcessEffect fx;
    EXPECT_STREQ(fx.PresetName(0), "---- default ----");
    EXPECT_STREQ(fx.PresetName(1), "Classic Delay");
    EXPECT_STREQ(fx.PresetName(12), "Don't Stop");
    EXPECT_STREQ(fx.PresetName(20), "Stereo Enhanced 2");
    for (int i = 21; i < 25; ++i) {
        EXPECT_EQ(fx.PresetName(i), "- " + std::to_string(i + 1) + " -");
        EXPECT_FALSE(fx.GetPreset(i)->initialised);
    }
    for (int i = 0; i < 21; ++i) {
        EXPECT_TRUE(fx.GetPreset(i)->initialised);
        EXPECT_EQ(fx.GetPreset(i)->values.Size(), 72) << i;
    }
}

TEST(FactoryPresets, DefaultProgramHoldsTheDefaults) {
    InProcessEffect fx;
    const std::vector<double> defaults = Values(fx);
    fx.GetParam(kFeedback)->SetValue(10);
    ASSERT_TRUE(fx.LoadPreset(0));
    EXPECT_EQ(Values(fx), defaults);
    EXPECT_EQ(defaults, (std::vector<double>{9, 500, 1, 2, 90, 60, 6000, 100, 50}));
}

TEST(FactoryPresets, SelectingPrograms) {
    InProcessEffect fx;
    OpenEffect(fx, 44100.0);
    ASSERT_TRUE(fx.LoadPreset(9));
    EXPECT_EQ(Values(fx), (std::vector<double>{3, 500, 1, 2, 90, 80, 6000, 70, 50})) << "Harp";
    EXPECT_EQ(fx.CurrentPreset(), 9);
    ASSERT_TRUE(fx.LoadPreset(14));
    EXPECT_EQ(fx.DryGain(), 0.0f) << "Only Delay silences the dry signal";
    EXPECT_EQ(fx.GetParam(kWetMix)->Value(), 90.0);
    ASSERT_TRUE(fx.LoadPreset(4));
    EXPECT_EQ(fx.GetParam(kFreq)->Value(), 500.0) << "Dark Room";
    EXPECT_FALSE(fx.LoadPreset(25));
    EXPECT_FALSE(fx.LoadPreset(-1));
    EXPECT_EQ(fx.CurrentPreset(), 4);
}

TEST(Presets, PlaceholdersBecomeUserPresets) {
    InProcessEffect fx;
    fx.LoadPreset(3);
    fx.GetParam(kFeedback)->SetValue(33);
    ASSERT_TRUE(fx.LoadPreset(21));
    EXPECT_STREQ(fx.PresetName(21), "user preset 1");
    EXPECT_TRUE(fx.GetPreset(21)->initialised);
    EXPECT_EQ(fx.GetParam(kFeedback)->Value(), 33.0) << "takes over the live values";
    ASSERT_TRUE(fx.LoadPreset(23));
    EXPECT_STREQ(fx.PresetName(23), "user preset 2");
    ASSERT_TRUE(fx.LoadPreset(21));
    EXPECT_STREQ(fx.PresetName(21), "user preset 1") << "named once";
}

TEST(Presets, LeavingAProgramKeepsItsEdits) {
    InProcessEffect fx;
    ASSERT_TRUE(fx.LoadPreset(2));
    fx.GetParam(kWetMix)->SetValue(12);
    // A host's program change stores the live values into the program being left.
    fx.StoreCurrentPreset();
    ASSERT_TRUE(fx.LoadPreset(5));
    EXPECT_NE(fx.GetParam(kWetMix)->Value(), 12.0);
    ASSERT_TRUE(fx.LoadPreset(2));
    EXPECT_EQ(fx.GetParam(kWetMix)->Value(), 12.0);
    EXPECT_STREQ(fx.PresetName(2), "Classic Delay Triplet");
    fx.StoreCurrentPreset("Renamed");
    EXPECT_STREQ(fx.PresetName(2), "Renamed");
}

TEST(StateChunks, ProgramChunkLayout) {
    InProcessEffect fx;
    fx.LoadPreset(7);
    std::vector<std::uint8_t> bytes = Write(fx, false);
    ASSERT_EQ(bytes.size(), 80u);
    const std::uint8_t header[8] = {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00};
    EXPECT_EQ(std::memcmp(bytes.data(), header, 8), 0);
    EXPECT_EQ(bytes, ProgramBytes({21, 500, 1, 2, 100, 60, 6000, 60, 50}));
}

TEST(StateChunks, ProgramChunkRestoresAndUpdatesTheCurrentPreset) {
    InProcessEffect fx;
    OpenEffect(fx, 44100.0);
    ASSERT_TRUE(Read(fx, ProgramBytes({12, 500, 0, 1, -40, 70, 2500, 80, 30}), false));
    EXPECT_EQ(Values(fx), (std::vector<double>{12, 500, 0, 1, -40, 70, 2500, 80, 30}));
    EXPECT_FALSE(fx.HostSync());
    EXPECT_EQ(fx.WetGain(), 30 * 0.01f) << "the hooks ran";
    fx.GetParam(kWetMix)->SetValue(99);
    fx.LoadPreset(fx.CurrentPreset());
    EXPECT_EQ(fx.GetParam(kWetMix)->Value(), 30.0) << "the current program took the values";
}

TEST(StateChunks, ShortProgramStopsAtTheFirstMissingValue) {
    InProcessEffect fx;
    fx.LoadPreset(19);
    std::vector<std::uint8_t> bytes = ProgramBytes({0, 100, 0, 0, -100});
    ASSERT_EQ(bytes.size(), 48u);
    EXPECT_FALSE(Read(fx, bytes, false));
    EXPECT_EQ(Values(fx), (std::vector<double>{0, 100, 0, 0, -100, 0, 6000, 100, 70}))
        << "parameter 5 at its minimum, 6 to 8 kept";
}

TEST(StateChunks, ChunkWithoutMagicIsBareValues) {
    InProcessEffect fx;
    std::vector<std::uint8_t> bare = ProgramBytes({1, 2000, 1, 0, 10, 20, 300, 40, 50}, false);
    ASSERT_TRUE(Read(fx, bare, true)) << "a bank without header is one program";
    EXPECT_EQ(Values(fx), (std::vector<double>{1, 2000, 1, 0, 10, 20, 300, 40, 50}));
    EXPECT_STREQ(fx.PresetName(1), "Classic Delay") << "no bank was read";
}

TEST(StateChunks, StoredValuesAreClamped) {
    InProcessEffect fx;
    ASSERT_TRUE(Read(fx, ProgramBytes({-5, 1e9, 7, 2.0, -300, 150, 50, -1, 1e300}), false));
    EXPECT_EQ(Values(fx), (std::vector<double>{0, 24000, 1, 2, -100, 99, 100, 0, 100}));
    double nan = std::nan("");
    ASSERT_TRUE(Read(fx, ProgramBytes({nan, nan, nan, nan, nan, nan, nan, nan, nan}), false));
    EXPECT_EQ(Values(fx), (std::vector<double>{0, 1, 0, 0, -100, 0, 100, 0, 0}));
}

TEST(StateChunks, MagicWithoutVersionLoadsNothing) {
    InProcessEffect fx;
    const std::vector<double> before = Values(fx);
    std::vector<std::uint8_t> bytes = {0x74, 0x66, 0x66, 0x70, 0x00};
    EXPECT_FALSE(Read(fx, bytes, false));
    EXPECT_EQ(Values(fx), before);
    EXPECT_FALSE(Read(fx, {}, false)) << "nothing at all is a truncated program";
}

TEST(StateChunks, BankRoundTripIntoAFreshInstance) {
    InProcessEffect source;
    source.LoadPreset(22); // becomes "user preset 1"
    source.GetParam(kPanWidth)->SetValue(-37);
    source.StoreCurrentPreset(std::string(300, 'x').c_str()); // cut to 255 characters
    source.LoadPreset(11);
    source.GetParam(kFreq)->SetValue(1234);
    std::vector<std::uint8_t> bank = Write(source, true);
    ASSERT_GT(bank.size(), 8u);

    InProcessEffect target;
    ASSERT_TRUE(Read(target, bank, true));
    for (int i = 0; i < 25; ++i) {
        SCOPED_TRACE(i);
        const IPlugPreset& a = *source.GetPreset(i);
        const IPlugPreset& b = *target.GetPreset(i);
        EXPECT_STREQ(a.name, b.name);
        EXPECT_EQ(a.initialised, b.initialised);
        ASSERT_EQ(a.values.Size(), b.values.Size());
        if (a.values.Size() > 0) {
            EXPECT_EQ(std::memcmp(a.values.Data(), b.values.Data(), a.values.Size()), 0);
        }
    }
    EXPECT_EQ(std::string(target.PresetName(22)), std::string(255, 'x'));
    // The live values are the current preset's (0 in the fresh instance).
    EXPECT_EQ(Values(target), (std::vector<double>{9, 500, 1, 2, 90, 60, 6000, 100, 50}));
    // And the bank stored the edited program 11 that was live when it was written.
    target.LoadPreset(11);
    EXPECT_EQ(target.GetParam(kFreq)->Value(), 1234.0);
}

TEST(StateChunks, BankLayout) {
    InProcessEffect fx;
    std::vector<std::uint8_t> bank = Write(fx, true);
    // Header, then per preset: name length, name, flag, 72 bytes of values if set.
    std::size_t expected = 8;
    for (int i = 0; i < 25; ++i)
        expected += 4 + std::strlen(fx.PresetName(i)) + 1 + (i < 21 ? 72 : 0);
    ASSERT_EQ(bank.size(), expected);
    std::int32_t length;
    std::memcpy(&length, bank.data() + 8, 4);
    EXPECT_EQ(length, 17);
    EXPECT_EQ(std::string(bank.begin() + 12, bank.begin() + 29), "---- default ----");
    EXPECT_EQ(bank[29], 1);
    double rate;
    std::memcpy(&rate, bank.data() + 30, 8);
    EXPECT_EQ(rate, 9.0);
}

TEST(StateChunks, TruncatedBankKeepsWhatWasRead) {
    InProcessEffect source;
    source.StoreCurrentPreset("First");
    std::vector<std::uint8_t> bank = Write(source, true);
    bank.resize(8 + 4 + 5 + 1 + 72 + 10); // preset 0 whole, preset 1 cut in its name
    InProcessEffect target;
    target.GetParam(kFeedback)->SetValue(5);
    EXPECT_FALSE(Read(target, bank, true));
    EXPECT_STREQ(target.PresetName(0), "First");
    EXPECT_STREQ(target.PresetName(1), "Classic Delay");
    EXPECT_EQ(target.GetParam(kFeedback)->Value(), 60.0) << "current preset loaded again";
}

TEST(StateChunks, BankMayTurnAPresetBackIntoAPlaceholder) {
    InProcessEffect source;
    source.GetPreset(3)->initialised = false;
    std::vector<std::uint8_t> bank = Write(source, true);
    InProcessEffect target;
    ASSERT_TRUE(Read(target, bank, true));
    EXPECT_FALSE(target.GetPreset(3)->initialised);
    ASSERT_TRUE(target.LoadPreset(3));
    EXPECT_STREQ(target.PresetName(3), "user preset 1");
}

TEST(StateChunks, BankCutInsideAPlaceholdersValuesKeepsItAPlaceholder) {
    InProcessEffect source;
    source.LoadPreset(24); // the last program, now holding values
    std::vector<std::uint8_t> bank = Write(source, true);
    bank.resize(bank.size() - 20);
    InProcessEffect target;
    EXPECT_FALSE(Read(target, bank, true));
    EXPECT_FALSE(target.GetPreset(24)->initialised);
    EXPECT_EQ(target.GetPreset(24)->values.Size(), 0);
    // Whatever was loaded, the state saves and restores cleanly again.
    std::vector<std::uint8_t> again = Write(target, true);
    InProcessEffect third;
    EXPECT_TRUE(Read(third, again, true));
}
