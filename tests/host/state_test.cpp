// .fxp/.fxb files written from and read into the fixture effect, with and without chunks.
#include "host/command_errors.h"
#include "host/plugin_params.h"
#include "host/plugin_state.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <limits>

namespace vhost {
namespace {

std::uint32_t Be32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return std::uint32_t{b.at(at)} << 24 | std::uint32_t{b.at(at + 1)} << 16 |
           std::uint32_t{b.at(at + 2)} << 8 | std::uint32_t{b.at(at + 3)};
}

class StateTest : public ::testing::Test {
protected:
    std::unique_ptr<PluginInstance> Open(const char* path) {
        return PluginInstance::Load(path, host);
    }
    HostCallback host;
    test::TempDir dir;
};

TEST_F(StateTest, ParameterProgramFileHoldsTheValues) {
    auto plugin = Open(FIXTURE_GAIN);
    plugin->SetProgram(1);
    plugin->SetParameter(0, 0.125f);
    plugin->SetParameter(1, 1.0f);
    plugin->SetProgramName("Mine");
    EXPECT_EQ(test::SaveState(*plugin, dir / "p.fxp"), "program");
    auto bytes = ReadBinaryFile(dir / "p.fxp");
    ASSERT_EQ(bytes.size(), 56u + 8);
    EXPECT_EQ(Be32(bytes, 8), static_cast<std::uint32_t>(kFxProgramParams));
    EXPECT_EQ(Be32(bytes, 16), 0x566D4678u); // the effect's unique id
    EXPECT_EQ(Be32(bytes, 20), 3u);          // its version
    EXPECT_EQ(Be32(bytes, 24), 2u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[28])), "Mine");
    EXPECT_EQ(Be32(bytes, 56), 0x3E000000u); // 0.125f
    EXPECT_EQ(Be32(bytes, 60), 0x3F800000u); // 1.0f

    auto other = Open(FIXTURE_GAIN);
    std::vector<std::string> warnings;
    EXPECT_EQ(LoadStateFile(*other, dir / "p.fxp", warnings), "program");
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(other->CurrentProgram(), 0); // a program file loads into the current program
    EXPECT_EQ(other->GetParameter(0), 0.125f);
    EXPECT_EQ(other->GetParameter(1), 1.0f);
    EXPECT_EQ(other->ProgramName(), "Mine");
}

TEST_F(StateTest, ParameterBankHoldsEveryProgramAndTheCurrentOne) {
    auto plugin = Open(FIXTURE_GAIN);
    plugin->SetProgram(2);
    plugin->SetParameter(0, 0.9f);
    plugin->SetProgram(1);
    EXPECT_EQ(test::SaveState(*plugin, dir / "b.FXB"), "bank");
    EXPECT_EQ(plugin->CurrentProgram(), 1);
    auto bytes = ReadBinaryFile(dir / "b.FXB");
    EXPECT_EQ(Be32(bytes, 8), static_cast<std::uint32_t>(kFxBankParams));
    EXPECT_EQ(Be32(bytes, 24), 3u);
    EXPECT_EQ(Be32(bytes, 28), 1u);
    FxBank bank = DecodeBank(bytes);
    ASSERT_EQ(bank.programs.size(), 3u);
    EXPECT_EQ(bank.programs[0].name, "Unity");
    EXPECT_EQ(bank.programs[2].params[0], 0.9f);

    auto other = Open(FIXTURE_GAIN);
    std::vector<std::string> warnings;
    EXPECT_EQ(LoadStateFile(*other, dir / "b.FXB", warnings), "bank");
    EXPECT_EQ(other->CurrentProgram(), 1);
    other->SetProgram(2);
    EXPECT_EQ(other->GetParameter(0), 0.9f);
}

TEST_F(StateTest, ChunkEffectsAreSavedAsChunks) {
    auto plugin = Open(FIXTURE_GAIN_CHUNKS);
    plugin->SetProgram(2);
    plugin->SetParameter(0, 0.3f);
    test::SaveState(*plugin, dir / "c.fxp");
    test::SaveState(*plugin, dir / "c.fxb");
    FxProgram program = DecodeProgram(ReadBinaryFile(dir / "c.fxp"));
    EXPECT_TRUE(program.opaque);
    EXPECT_EQ(program.name, "Inverted");
    EXPECT_EQ(program.chunk.size(), 4u + 24 + 8);
    FxBank bank = DecodeBank(ReadBinaryFile(dir / "c.fxb"));
    EXPECT_TRUE(bank.opaque);
    EXPECT_EQ(bank.numPrograms, 3);
    EXPECT_EQ(bank.currentProgram, 2);

    auto other = Open(FIXTURE_GAIN_CHUNKS);
    std::vector<std::string> warnings;
    LoadStateFile(*other, dir / "c.fxb", warnings);
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(other->CurrentProgram(), 2);
    EXPECT_EQ(other->GetParameter(0), 0.3f);
    other->SetProgram(0);
    LoadStateFile(*other, dir / "c.fxp", warnings);
    EXPECT_EQ(other->GetParameter(0), 0.3f);
    EXPECT_EQ(other->GetParameter(1), 1.0f);
}

TEST_F(StateTest, ARefusedChunkOrAValueThatIsNoNumberIsAnError) {
    auto chunks = Open(FIXTURE_GAIN_CHUNKS);
    FxProgram program = CaptureProgram(*chunks);
    program.chunk.push_back(0); // the fixture checks the exact size
    std::vector<std::string> warnings;
    EXPECT_THROW(RestoreProgram(*chunks, program, warnings), HostError);
    FxBank bank = CaptureBank(*chunks);
    bank.chunk.pop_back();
    EXPECT_THROW(RestoreBank(*chunks, bank, warnings), HostError);

    auto plain = Open(FIXTURE_GAIN);
    const float before = plain->GetParameter(1);
    for (float bad :
         {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
        FxProgram p = CaptureProgram(*plain);
        p.params = {0.3f, bad};
        EXPECT_THROW(RestoreProgram(*plain, p, warnings), HostError);
        EXPECT_EQ(plain->GetParameter(1), before);
        EXPECT_NE(plain->GetParameter(0), 0.3f); // nothing of the record was set
    }
}

TEST_F(StateTest, FilesOfAnotherEffectAreRefused) {
    auto plugin = Open(FIXTURE_GAIN);
    FxProgram program = CaptureProgram(*plugin);
    program.fxId = FourCharCode("Othr");
    test::WriteBytes(dir / "other.fxp", EncodeProgram(program));
    std::vector<std::string> warnings;
    EXPECT_THROW(LoadStateFile(*plugin, dir / "other.fxp", warnings), HostError);
}

TEST_F(StateTest, ChunkFilesNeedAChunkEffect) {
    auto chunky = Open(FIXTURE_GAIN_CHUNKS);
    test::SaveState(*chunky, dir / "c.fxp");
    test::SaveState(*chunky, dir / "c.fxb");
    auto plain = Open(FIXTURE_GAIN);
    std::vector<std::string> warnings;
    EXPECT_THROW(LoadStateFile(*plain, dir / "c.fxp", warnings), HostError);
    EXPECT_THROW(LoadStateFile(*plain, dir / "c.fxb", warnings), HostError);
}

TEST_F(StateTest, MismatchedCountsAreRestoredAsFarAsTheyGo) {
    auto plugin = Open(FIXTURE_GAIN);
    FxProgram program = CaptureProgram(*plugin);
    program.params = {0.2f, 0.0f, 0.7f};
    std::vector<std::string> warnings;
    RestoreProgram(*plugin, program, warnings);
    EXPECT_EQ(warnings.size(), 1u);
    EXPECT_EQ(plugin->GetParameter(0), 0.2f);

    FxBank bank = CaptureBank(*plugin);
    bank.programs.resize(1);
    bank.currentProgram = 7;
    warnings.clear();
    RestoreBank(*plugin, bank, warnings);
    EXPECT_EQ(warnings.size(), 2u); // too few programs, current out of range
    EXPECT_EQ(plugin->CurrentProgram(), 0);
}

TEST_F(StateTest, MalformedFilesAreReportedWithTheirName) {
    auto plugin = Open(FIXTURE_GAIN);
    std::vector<std::uint8_t> junk = {'C', 'c', 'n', 'K', 0, 0, 0, 100, 'F', 'x', 'C', 'k'};
    test::WriteBytes(dir / "broken.fxp", junk);
    std::vector<std::string> warnings;
    try {
        LoadStateFile(*plugin, dir / "broken.fxp", warnings);
        FAIL() << "expected a HostError";
    } catch (const HostError& e) {
        EXPECT_NE(std::string(e.what()).find("broken.fxp"), std::string::npos);
    }
}

} // namespace
} // namespace vhost
