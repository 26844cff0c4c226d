#include "host/command_errors.h"
#include "host/fx_file.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <fstream>

namespace vhost {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t Be32(const Bytes& b, std::size_t at) {
    return std::uint32_t{b.at(at)} << 24 | std::uint32_t{b.at(at + 1)} << 16 |
           std::uint32_t{b.at(at + 2)} << 8 | std::uint32_t{b.at(at + 3)};
}

void PutBe32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.at(at + i) = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

std::string Text(const Bytes& b, std::size_t at, std::size_t n) {
    return std::string(reinterpret_cast<const char*>(b.data() + at), n);
}

FxProgram ParamsProgram() {
    FxProgram p;
    p.fxId = FourCharCode("VmFx");
    p.fxVersion = 0x01020304;
    p.name = "Bright Room";
    p.params = {0.0f, 0.25f, 1.0f, 0.1f};
    return p;
}

TEST(FxFile, FourCCPutsTheFirstCharacterInTheHighByte) {
    EXPECT_EQ(FourCharCode("CcnK"), 0x43636E4B);
    EXPECT_EQ(FourCharCode("FxCk"), 0x4678436B);
    EXPECT_EQ(FourCcText(0x46504368), "FPCh");
}

TEST(FxFile, ParameterProgramLayoutIsBigEndian) {
    Bytes b = EncodeProgram(ParamsProgram());
    ASSERT_EQ(b.size(), 56u + 4 * 4);
    EXPECT_EQ(Text(b, 0, 4), "CcnK");
    EXPECT_EQ(Be32(b, 4), b.size() - 8);
    EXPECT_EQ(Text(b, 8, 4), "FxCk");
    EXPECT_EQ(Be32(b, 12), 1u);
    EXPECT_EQ(Text(b, 16, 4), "VmFx");
    EXPECT_EQ(Be32(b, 20), 0x01020304u);
    EXPECT_EQ(Be32(b, 24), 4u);
    EXPECT_EQ(Text(b, 28, 11), "Bright Room");
    for (std::size_t i = 39; i < 56; ++i)
        EXPECT_EQ(b[i], 0) << i;
    EXPECT_EQ(Be32(b, 56), 0x00000000u);
    EXPECT_EQ(Be32(b, 60), 0x3E800000u); // 0.25f
    EXPECT_EQ(Be32(b, 64), 0x3F800000u); // 1.0f
    EXPECT_EQ(Be32(b, 68), std::bit_cast<std::uint32_t>(0.1f));
}

TEST(FxFile, ParameterProgramRoundTrips) {
    FxProgram p = ParamsProgram();
    FxProgram q = DecodeProgram(EncodeProgram(p));
    EXPECT_FALSE(q.opaque);
    EXPECT_EQ(q.fxId, p.fxId);
    EXPECT_EQ(q.fxVersion, p.fxVersion);
    EXPECT_EQ(q.name, p.name);
    EXPECT_EQ(q.numParams, 4);
    EXPECT_EQ(q.params, p.params);
}

TEST(FxFile, LongNamesAreCutToTwentySevenCharactersAndTerminated) {
    FxProgram p = ParamsProgram();
    p.name = std::string(40, 'x');
    Bytes b = EncodeProgram(p);
    EXPECT_EQ(b[28 + 27], 0);
    EXPECT_EQ(DecodeProgram(b).name, std::string(27, 'x'));
}

TEST(FxFile, AnUnterminatedNameFieldIsReadAsTwentyEightCharacters) {
    Bytes b = EncodeProgram(ParamsProgram());
    std::memset(b.data() + 28, 'n', 28);
    EXPECT_EQ(DecodeProgram(b).name, std::string(28, 'n'));
}

TEST(FxFile, ChunkProgramLayoutAndRoundTrip) {
    FxProgram p;
    p.fxId = FourCharCode("qzvn");
    p.fxVersion = 10100;
    p.name = "Chunky";
    p.opaque = true;
    p.numParams = 9;
    p.chunk = {1, 2, 3, 4, 5, 0xFF};
    Bytes b = EncodeProgram(p);
    ASSERT_EQ(b.size(), 60u + 6);
    EXPECT_EQ(Text(b, 8, 4), "FPCh");
    EXPECT_EQ(Be32(b, 4), 58u);
    EXPECT_EQ(Be32(b, 24), 9u);
    EXPECT_EQ(Be32(b, 56), 6u);
    EXPECT_EQ(b[60], 1);
    EXPECT_EQ(b[65], 0xFF);
    FxProgram q = DecodeProgram(b);
    EXPECT_TRUE(q.opaque);
    EXPECT_EQ(q.numParams, 9);
    EXPECT_EQ(q.chunk, p.chunk);
    EXPECT_EQ(q.name, "Chunky");
}

TEST(FxFile, ParameterBankVersionTwoLayout) {
    FxBank bank;
    bank.fxId = FourCharCode("VmFx");
    bank.fxVersion = 7;
    bank.currentProgram = 1;
    for (int i = 0; i < 3; ++i) {
        FxProgram p = ParamsProgram();
        p.name = "P" + std::to_string(i);
        p.params = {0.1f * static_cast<float>(i), 0.5f};
        bank.programs.push_back(p);
    }
    Bytes b = EncodeBank(bank);
    const std::size_t programBytes = 56 + 2 * 4;
    ASSERT_EQ(b.size(), 156 + 3 * programBytes);
    EXPECT_EQ(Text(b, 0, 4), "CcnK");
    EXPECT_EQ(Be32(b, 4), b.size() - 8);
    EXPECT_EQ(Text(b, 8, 4), "FxBk");
    EXPECT_EQ(Be32(b, 12), 2u);
    EXPECT_EQ(Text(b, 16, 4), "VmFx");
    EXPECT_EQ(Be32(b, 20), 7u);
    EXPECT_EQ(Be32(b, 24), 3u);
    EXPECT_EQ(Be32(b, 28), 1u); // currentProgram
    for (std::size_t i = 32; i < 156; ++i)
        EXPECT_EQ(b[i], 0) << i;
    // Each program is a complete record with its own header.
    for (std::size_t k = 0; k < 3; ++k) {
        std::size_t at = 156 + k * programBytes;
        EXPECT_EQ(Text(b, at, 4), "CcnK");
        EXPECT_EQ(Be32(b, at + 4), programBytes - 8);
        EXPECT_EQ(Text(b, at + 8, 4), "FxCk");
        EXPECT_EQ(Text(b, at + 28, 2), "P" + std::to_string(k));
    }
    FxBank q = DecodeBank(b);
    EXPECT_EQ(q.version, 2);
    EXPECT_EQ(q.currentProgram, 1);
    ASSERT_EQ(q.programs.size(), 3u);
    EXPECT_EQ(q.programs[2].name, "P2");
    EXPECT_EQ(q.programs[2].params, bank.programs[2].params);
}

TEST(FxFile, VersionOneBankHasNoCurrentProgram) {
    FxBank bank;
    bank.version = 1;
    bank.currentProgram = 5; // not stored
    bank.programs.push_back(ParamsProgram());
    Bytes b = EncodeBank(bank);
    EXPECT_EQ(Be32(b, 12), 1u);
    EXPECT_EQ(Be32(b, 28), 0u);
    FxBank q = DecodeBank(b);
    EXPECT_EQ(q.version, 1);
    EXPECT_EQ(q.currentProgram, 0);
}

TEST(FxFile, ChunkBankLayoutAndRoundTrip) {
    FxBank bank;
    bank.fxId = FourCharCode("qzvn");
    bank.opaque = true;
    bank.numPrograms = 25;
    bank.currentProgram = 3;
    bank.chunk.assign(1000, 0xAB);
    Bytes b = EncodeBank(bank);
    ASSERT_EQ(b.size(), 160u + 1000);
    EXPECT_EQ(Text(b, 8, 4), "FBCh");
    EXPECT_EQ(Be32(b, 24), 25u);
    EXPECT_EQ(Be32(b, 28), 3u);
    EXPECT_EQ(Be32(b, 156), 1000u);
    FxBank q = DecodeBank(b);
    EXPECT_TRUE(q.opaque);
    EXPECT_EQ(q.numPrograms, 25);
    EXPECT_EQ(q.chunk, bank.chunk);
}

TEST(FxFile, DetectsTheKind) {
    EXPECT_EQ(DetectFxKind(EncodeProgram(ParamsProgram())), FxKind::Program);
    FxBank bank;
    EXPECT_EQ(DetectFxKind(EncodeBank(bank)), FxKind::Bank);
    Bytes junk = {'R', 'I', 'F', 'F', 0, 0, 0, 4, 'W', 'A', 'V', 'E'};
    EXPECT_THROW(DetectFxKind(junk), HostError);
    Bytes unknown = EncodeProgram(ParamsProgram());
    PutBe32(unknown, 8, FourCharCode("Junk"));
    EXPECT_THROW(DetectFxKind(unknown), HostError);
}

TEST(FxFile, EveryTruncationOfAProgramIsRejected) {
    Bytes b = EncodeProgram(ParamsProgram());
    for (std::size_t n = 0; n < b.size(); ++n)
        EXPECT_THROW(DecodeProgram(Bytes(b.begin(), b.begin() + n)), HostError) << n;
}

TEST(FxFile, EveryTruncationOfABankIsRejected) {
    FxBank bank;
    bank.programs = {ParamsProgram(), ParamsProgram()};
    Bytes b = EncodeBank(bank);
    for (std::size_t n = 0; n < b.size(); ++n)
        EXPECT_THROW(DecodeBank(Bytes(b.begin(), b.begin() + n)), HostError) << n;
}

TEST(FxFile, HugeCountsAndSizesAreRejectedWithoutAllocating) {
    Bytes program = EncodeProgram(ParamsProgram());
    Bytes hugeParams = program;
    PutBe32(hugeParams, 24, 0x7FFFFFFF);
    EXPECT_THROW(DecodeProgram(hugeParams), HostError);
    Bytes negativeParams = program;
    PutBe32(negativeParams, 24, 0xFFFFFFFF);
    EXPECT_THROW(DecodeProgram(negativeParams), HostError);
    Bytes hugeSize = program;
    PutBe32(hugeSize, 4, 0x7FFFFFFF);
    EXPECT_THROW(DecodeProgram(hugeSize), HostError);
    Bytes negativeSize = program;
    PutBe32(negativeSize, 4, 0x80000000);
    EXPECT_THROW(DecodeProgram(negativeSize), HostError);

    FxProgram chunky;
    chunky.opaque = true;
    chunky.chunk = {1, 2, 3};
    Bytes chunk = EncodeProgram(chunky);
    PutBe32(chunk, 56, 0x7FFFFFF0);
    EXPECT_THROW(DecodeProgram(chunk), HostError);
    PutBe32(chunk, 56, 0xFFFFFFFE);
    EXPECT_THROW(DecodeProgram(chunk), HostError);

    FxBank bank;
    bank.programs = {ParamsProgram()};
    Bytes b = EncodeBank(bank);
    PutBe32(b, 24, 0x7FFFFFFF);
    EXPECT_THROW(DecodeBank(b), HostError);
}

TEST(FxFile, AProgramRecordOverrunningItsBankIsRejected) {
    FxBank bank;
    bank.programs = {ParamsProgram(), ParamsProgram()};
    Bytes b = EncodeBank(bank);
    // The second program claims more bytes than the bank holds.
    std::size_t second = 156 + 72;
    PutBe32(b, second + 4, 1000);
    EXPECT_THROW(DecodeBank(b), HostError);
}

TEST(FxFile, WrongMagicsAndVersionsAreRejected) {
    Bytes b = EncodeProgram(ParamsProgram());
    Bytes notCcnK = b;
    notCcnK[0] = 'X';
    EXPECT_THROW(DecodeProgram(notCcnK), HostError);
    Bytes badVersion = b;
    PutBe32(badVersion, 12, 0);
    EXPECT_THROW(DecodeProgram(badVersion), HostError);
    EXPECT_THROW(DecodeBank(b), HostError); // a program is no bank
    FxBank bank;
    Bytes bankBytes = EncodeBank(bank);
    EXPECT_THROW(DecodeProgram(bankBytes), HostError);
    PutBe32(bankBytes, 12, 3);
    EXPECT_THROW(DecodeBank(bankBytes), HostError);
}

TEST(FxFile, ChunkProgramsCannotSitInAParameterBank) {
    FxBank bank;
    FxProgram chunky;
    chunky.opaque = true;
    bank.programs = {chunky};
    EXPECT_THROW(EncodeBank(bank), HostError);
}

TEST(FxFile, TrailingBytesAfterTheRecordAreIgnored) {
    Bytes b = EncodeProgram(ParamsProgram());
    b.insert(b.end(), {9, 9, 9});
    EXPECT_EQ(DecodeProgram(b).params.size(), 4u);
}

TEST(FxFile, FilesAreWrittenWholeAndReadBack) {
    test::TempDir dir;
    Bytes b = EncodeProgram(ParamsProgram());
    test::WriteBytes(dir / "p.fxp", b);
    EXPECT_EQ(ReadBinaryFile(dir / "p.fxp"), b);
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"p.fxp"});
    EXPECT_THROW(ReadBinaryFile(dir / "missing.fxp"), HostError);
    EXPECT_THROW(test::WriteBytes(dir / "no" / "such" / "dir.fxp", b), HostError);
}

} // namespace
} // namespace vhost
