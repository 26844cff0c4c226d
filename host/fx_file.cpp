#include "host/fx_file.h"

#include "host/command_errors.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <fstream>
#include <limits>

namespace vhost {
namespace {

constexpr std::uint64_t kMaxRecordBytes = std::numeric_limits<VstInt32>::max();
constexpr std::uintmax_t kMaxFileBytes = std::uintmax_t{1} << 30;

class Writer {
public:
    void I32(VstInt32 v) {
        auto u = static_cast<std::uint32_t>(v);
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes_.push_back(static_cast<std::uint8_t>(u >> shift));
    }
    void F32(float v) { I32(std::bit_cast<VstInt32>(v)); }
    void Raw(std::span<const std::uint8_t> data) {
        bytes_.insert(bytes_.end(), data.begin(), data.end());
    }
    void Zeros(std::size_t n) { bytes_.insert(bytes_.end(), n, 0); }
    void Name(const std::string& text) {
        std::size_t n = std::min(text.size(), kFxProgramNameBytes - 1);
        Raw({reinterpret_cast<const std::uint8_t*>(text.data()), n});
        Zeros(kFxProgramNameBytes - n);
    }
    // Fills in byteSize once everything after it is known.
    std::vector<std::uint8_t> Finish() {
        std::uint64_t after = bytes_.size() - 8;
        if (after > kMaxRecordBytes) throw HostError("preset too large for the file format");
        auto u = static_cast<std::uint32_t>(after);
        for (int i = 0; i < 4; ++i)
            bytes_[4 + i] = static_cast<std::uint8_t>(u >> (24 - 8 * i));
        return std::move(bytes_);
    }

private:
    std::vector<std::uint8_t> bytes_;
};

class Reader {
public:
    Reader(std::span<const std::uint8_t> bytes, const char* what) : bytes_(bytes), what_(what) {}
    void Need(std::size_t n) const {
        if (bytes_.size() - pos_ < n) Fail("is truncated");
    }
    VstInt32 I32() {
        Need(4);
        std::uint32_t u = 0;
        for (int i = 0; i < 4; ++i)
            u = u << 8 | bytes_[pos_ + i];
        pos_ += 4;
        return static_cast<VstInt32>(u);
    }
    float F32() { return std::bit_cast<float>(I32()); }
    std::span<const std::uint8_t> Take(std::size_t n) {
        Need(n);
        auto part = bytes_.subspan(pos_, n);
        pos_ += n;
        return part;
    }
    std::size_t Remaining() const { return bytes_.size() - pos_; }
    std::size_t Position() const { return pos_; }
    [[noreturn]] void Fail(const std::string& why) const {
        throw HostError(std::string(what_) + " " + why);
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
    const char* what_;
};

// The record that 'CcnK' and byteSize delimit; bytes after it are not part of it.
std::span<const std::uint8_t> Record(std::span<const std::uint8_t> bytes, const char* what) {
    Reader r(bytes, what);
    if (bytes.size() < 8) r.Fail("is too short to be a preset file");
    if (r.I32() != kFxChunkMagic) r.Fail("does not start with 'CcnK': not an .fxp/.fxb file");
    VstInt32 byteSize = r.I32();
    if (byteSize < 0) r.Fail("has a negative size field");
    if (static_cast<std::uint64_t>(byteSize) > r.Remaining())
        r.Fail("is truncated: its size field claims " + std::to_string(byteSize) + " bytes, only " +
               std::to_string(r.Remaining()) + " follow");
    return bytes.first(8 + static_cast<std::size_t>(byteSize));
}

std::string NameField(std::span<const std::uint8_t> field) {
    const auto* text = reinterpret_cast<const char*>(field.data());
    return std::string(text, strnlen(text, field.size()));
}

void WriteProgramRecord(Writer& w, const FxProgram& p) {
    w.I32(kFxChunkMagic);
    w.I32(0);
    w.I32(p.opaque ? kFxProgramChunk : kFxProgramParams);
    w.I32(1);
    w.I32(p.fxId);
    w.I32(p.fxVersion);
    w.I32(p.opaque ? p.numParams : static_cast<VstInt32>(p.params.size()));
    w.Name(p.name);
    if (p.opaque) {
        if (p.chunk.size() > kMaxRecordBytes) throw HostError("chunk too large for a preset file");
        w.I32(static_cast<VstInt32>(p.chunk.size()));
        w.Raw(p.chunk);
    } else {
        for (float v : p.params)
            w.F32(v);
    }
}

} // namespace

std::string FourCcText(VstInt32 magic) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        char c = static_cast<char>(static_cast<std::uint32_t>(magic) >> shift & 0xFF);
        text += (c >= 32 && c < 127) ? c : '?';
    }
    return text;
}

std::vector<std::uint8_t> EncodeProgram(const FxProgram& program) {
    if (!program.opaque && program.params.size() > std::size_t{100000})
        throw HostError("too many parameters for a preset file");
    Writer w;
    WriteProgramRecord(w, program);
    return w.Finish();
}

std::vector<std::uint8_t> EncodeBank(const FxBank& bank) {
    if (bank.version != 1 && bank.version != 2)
        throw HostError("bank files have version 1 or 2, not " + std::to_string(bank.version));
    Writer w;
    w.I32(kFxChunkMagic);
    w.I32(0);
    w.I32(bank.opaque ? kFxBankChunk : kFxBankParams);
    w.I32(bank.version);
    w.I32(bank.fxId);
    w.I32(bank.fxVersion);
    w.I32(bank.opaque ? bank.numPrograms : static_cast<VstInt32>(bank.programs.size()));
    if (bank.version >= 2) {
        w.I32(bank.currentProgram);
        w.Zeros(124);
    } else {
        w.Zeros(128);
    }
    if (bank.opaque) {
        if (bank.chunk.size() > kMaxRecordBytes) throw HostError("chunk too large for a bank file");
        w.I32(static_cast<VstInt32>(bank.chunk.size()));
        w.Raw(bank.chunk);
    } else {
        for (const FxProgram& p : bank.programs) {
            if (p.opaque) throw HostError("a parameter bank cannot hold chunk programs");
            Writer inner;
            WriteProgramRecord(inner, p);
            w.Raw(inner.Finish());
        }
    }
    return w.Finish();
}

FxKind DetectFxKind(std::span<const std::uint8_t> bytes) {
    Reader r(bytes, "the preset file");
    if (bytes.size() < 12 || r.I32() != kFxChunkMagic)
        r.Fail("does not start with 'CcnK': not an .fxp/.fxb file");
    r.I32();
    VstInt32 fxMagic = r.I32();
    if (fxMagic == kFxProgramParams || fxMagic == kFxProgramChunk) return FxKind::Program;
    if (fxMagic == kFxBankParams || fxMagic == kFxBankChunk) return FxKind::Bank;
    r.Fail("has the unknown kind '" + FourCcText(fxMagic) + "'");
}

namespace {
// The opaque form's content: a size, then that many bytes.
std::vector<std::uint8_t> ReadChunk(Reader& r) {
    VstInt32 size = r.I32();
    if (size < 0) r.Fail("has a negative chunk size");
    if (static_cast<std::size_t>(size) > r.Remaining())
        r.Fail("is truncated: its chunk of " + std::to_string(size) + " bytes does not fit");
    auto data = r.Take(static_cast<std::size_t>(size));
    return {data.begin(), data.end()};
}
} // namespace

FxProgram DecodeProgram(std::span<const std::uint8_t> bytes) {
    auto rec = Record(bytes, "the program file");
    Reader r(rec, "the program file");
    r.Take(8);
    FxProgram p;
    VstInt32 fxMagic = r.I32();
    if (fxMagic != kFxProgramParams && fxMagic != kFxProgramChunk)
        r.Fail("is not a program ('" + FourCcText(fxMagic) + "' instead of 'FxCk' or 'FPCh')");
    p.opaque = fxMagic == kFxProgramChunk;
    VstInt32 version = r.I32();
    if (version < 1) r.Fail("has the unsupported version " + std::to_string(version));
    p.fxId = r.I32();
    p.fxVersion = r.I32();
    p.numParams = r.I32();
    if (p.numParams < 0) r.Fail("has a negative parameter count");
    p.name = NameField(r.Take(kFxProgramNameBytes));
    if (p.opaque) {
        p.chunk = ReadChunk(r);
    } else {
        if (static_cast<std::uint64_t>(p.numParams) * 4 > r.Remaining())
            r.Fail("is truncated: " + std::to_string(p.numParams) + " parameter values do not fit");
        p.params.reserve(static_cast<std::size_t>(p.numParams));
        for (VstInt32 i = 0; i < p.numParams; ++i)
            p.params.push_back(r.F32());
    }
    return p;
}

FxBank DecodeBank(std::span<const std::uint8_t> bytes) {
    auto rec = Record(bytes, "the bank file");
    Reader r(rec, "the bank file");
    r.Take(8);
    FxBank b;
    VstInt32 fxMagic = r.I32();
    if (fxMagic != kFxBankParams && fxMagic != kFxBankChunk)
        r.Fail("is not a bank ('" + FourCcText(fxMagic) + "' instead of 'FxBk' or 'FBCh')");
    b.opaque = fxMagic == kFxBankChunk;
    b.version = r.I32();
    if (b.version != 1 && b.version != 2)
        r.Fail("has the unsupported version " + std::to_string(b.version));
    b.fxId = r.I32();
    b.fxVersion = r.I32();
    b.numPrograms = r.I32();
    if (b.numPrograms < 0) r.Fail("has a negative program count");
    auto reserved = r.Take(128);
    if (b.version >= 2) b.currentProgram = Reader(reserved, "the bank file").I32();
    if (b.opaque) {
        b.chunk = ReadChunk(r);
    } else {
        // Each program record needs at least its header: bounds the count before reserving.
        if (static_cast<std::uint64_t>(b.numPrograms) * kFxProgramHeaderBytes > r.Remaining())
            r.Fail("is truncated: " + std::to_string(b.numPrograms) + " programs do not fit");
        b.programs.reserve(static_cast<std::size_t>(b.numPrograms));
        for (VstInt32 i = 0; i < b.numPrograms; ++i) {
            auto inner = Record(rec.subspan(r.Position()), "a program in the bank file");
            FxProgram p = DecodeProgram(inner);
            if (p.opaque) r.Fail("holds a chunk program inside a parameter bank");
            b.programs.push_back(std::move(p));
            r.Take(inner.size());
        }
    }
    return b;
}

std::vector<std::uint8_t> ReadBinaryFile(const std::filesystem::path& path) {
    std::error_code ec;
    auto size = std::filesystem::file_size(path, ec);
    if (ec) throw HostError("cannot read " + path.string() + ": " + ec.message());
    if (size > kMaxFileBytes) throw HostError(path.string() + " is too large for a preset file");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw HostError("cannot open " + path.string());
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (in.gcount() != static_cast<std::streamsize>(bytes.size()))
        throw HostError("cannot read all of " + path.string());
    return bytes;
}

} // namespace vhost
