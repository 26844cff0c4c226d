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
    void i32(VstInt32 v) {
        auto u = static_cast<std::uint32_t>(v);
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes_.push_back(static_cast<std::uint8_t>(u >> shift));
    }
    void f32(float v) { i32(std::bit_cast<VstInt32>(v)); }
    void raw(std::span<const std::uint8_t> data) {
        bytes_.insert(bytes_.end(), data.begin(), data.end());
    }
    void zeros(std::size_t n) { bytes_.insert(bytes_.end(), n, 0); }
    void name(const std::string& text) {
        std::size_t n = std::min(text.size(), kFxProgramNameBytes - 1);
        raw({reinterpret_cast<const std::uint8_t*>(text.data()), n});
        zeros(kFxProgramNameBytes - n);
    }
    // Fills in byteSize once everything after it is known.
    std::vector<std::uint8_t> finish() {
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
    void need(std::size_t n) const {
        if (bytes_.size() - pos_ < n) fail("is truncated");
    }
    VstInt32 i32() {
        need(4);
        std::uint32_t u = 0;
        for (int i = 0; i < 4; ++i)
            u = u << 8 | bytes_[pos_ + i];
        pos_ += 4;
        return static_cast<VstInt32>(u);
    }
    float f32() { return std::bit_cast<float>(i32()); }
    std::span<const std::uint8_t> take(std::size_t n) {
        need(n);
        auto part = bytes_.subspan(pos_, n);
        pos_ += n;
        return part;
    }
    std::size_t remaining() const { return bytes_.size() - pos_; }
    std::size_t position() const { return pos_; }
    [[noreturn]] void fail(const std::string& why) const {
        throw HostError(std::string(what_) + " " + why);
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
    const char* what_;
};

// The record that 'CcnK' and byteSize delimit; bytes after it are not part of it.
std::span<const std::uint8_t> record(std::span<const std::uint8_t> bytes, const char* what) {
    Reader r(bytes, what);
    if (bytes.size() < 8) r.fail("is too short to be a preset file");
    if (r.i32() != kFxChunkMagic) r.fail("does not start with 'CcnK': not an .fxp/.fxb file");
    VstInt32 byteSize = r.i32();
    if (byteSize < 0) r.fail("has a negative size field");
    if (static_cast<std::uint64_t>(byteSize) > r.remaining())
        r.fail("is truncated: its size field claims " + std::to_string(byteSize) + " bytes, only " +
               std::to_string(r.remaining()) + " follow");
    return bytes.first(8 + static_cast<std::size_t>(byteSize));
}

std::string nameField(std::span<const std::uint8_t> field) {
    const auto* text = reinterpret_cast<const char*>(field.data());
    return std::string(text, strnlen(text, field.size()));
}

void writeProgramRecord(Writer& w, const FxProgram& p) {
    w.i32(kFxChunkMagic);
    w.i32(0);
    w.i32(p.opaque ? kFxProgramChunk : kFxProgramParams);
    w.i32(1);
    w.i32(p.fxId);
    w.i32(p.fxVersion);
    w.i32(p.opaque ? p.numParams : static_cast<VstInt32>(p.params.size()));
    w.name(p.name);
    if (p.opaque) {
        if (p.chunk.size() > kMaxRecordBytes) throw HostError("chunk too large for a preset file");
        w.i32(static_cast<VstInt32>(p.chunk.size()));
        w.raw(p.chunk);
    } else {
        for (float v : p.params)
            w.f32(v);
    }
}

} // namespace

std::string fourCCText(VstInt32 magic) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        char c = static_cast<char>(static_cast<std::uint32_t>(magic) >> shift & 0xFF);
        text += (c >= 32 && c < 127) ? c : '?';
    }
    return text;
}

std::vector<std::uint8_t> encodeProgram(const FxProgram& program) {
    if (!program.opaque && program.params.size() > std::size_t{100000})
        throw HostError("too many parameters for a preset file");
    Writer w;
    writeProgramRecord(w, program);
    return w.finish();
}

std::vector<std::uint8_t> encodeBank(const FxBank& bank) {
    if (bank.version != 1 && bank.version != 2)
        throw HostError("bank files have version 1 or 2, not " + std::to_string(bank.version));
    Writer w;
    w.i32(kFxChunkMagic);
    w.i32(0);
    w.i32(bank.opaque ? kFxBankChunk : kFxBankParams);
    w.i32(bank.version);
    w.i32(bank.fxId);
    w.i32(bank.fxVersion);
    w.i32(bank.opaque ? bank.numPrograms : static_cast<VstInt32>(bank.programs.size()));
    if (bank.version >= 2) {
        w.i32(bank.currentProgram);
        w.zeros(124);
    } else {
        w.zeros(128);
    }
    if (bank.opaque) {
        if (bank.chunk.size() > kMaxRecordBytes) throw HostError("chunk too large for a bank file");
        w.i32(static_cast<VstInt32>(bank.chunk.size()));
        w.raw(bank.chunk);
    } else {
        for (const FxProgram& p : bank.programs) {
            if (p.opaque) throw HostError("a parameter bank cannot hold chunk programs");
            Writer inner;
            writeProgramRecord(inner, p);
            w.raw(inner.finish());
        }
    }
    return w.finish();
}

FxKind detectFxKind(std::span<const std::uint8_t> bytes) {
    Reader r(bytes, "the preset file");
    if (bytes.size() < 12 || r.i32() != kFxChunkMagic)
        r.fail("does not start with 'CcnK': not an .fxp/.fxb file");
    r.i32();
    VstInt32 fxMagic = r.i32();
    if (fxMagic == kFxProgramParams || fxMagic == kFxProgramChunk) return FxKind::Program;
    if (fxMagic == kFxBankParams || fxMagic == kFxBankChunk) return FxKind::Bank;
    r.fail("has the unknown kind '" + fourCCText(fxMagic) + "'");
}

namespace {
// The opaque form's content: a size, then that many bytes.
std::vector<std::uint8_t> readChunk(Reader& r) {
    VstInt32 size = r.i32();
    if (size < 0) r.fail("has a negative chunk size");
    if (static_cast<std::size_t>(size) > r.remaining())
        r.fail("is truncated: its chunk of " + std::to_string(size) + " bytes does not fit");
    auto data = r.take(static_cast<std::size_t>(size));
    return {data.begin(), data.end()};
}
} // namespace

FxProgram decodeProgram(std::span<const std::uint8_t> bytes) {
    auto rec = record(bytes, "the program file");
    Reader r(rec, "the program file");
    r.take(8);
    FxProgram p;
    VstInt32 fxMagic = r.i32();
    if (fxMagic != kFxProgramParams && fxMagic != kFxProgramChunk)
        r.fail("is not a program ('" + fourCCText(fxMagic) + "' instead of 'FxCk' or 'FPCh')");
    p.opaque = fxMagic == kFxProgramChunk;
    VstInt32 version = r.i32();
    if (version < 1) r.fail("has the unsupported version " + std::to_string(version));
    p.fxId = r.i32();
    p.fxVersion = r.i32();
    p.numParams = r.i32();
    if (p.numParams < 0) r.fail("has a negative parameter count");
    p.name = nameField(r.take(kFxProgramNameBytes));
    if (p.opaque) {
        p.chunk = readChunk(r);
    } else {
        if (static_cast<std::uint64_t>(p.numParams) * 4 > r.remaining())
            r.fail("is truncated: " + std::to_string(p.numParams) + " parameter values do not fit");
        p.params.reserve(static_cast<std::size_t>(p.numParams));
        for (VstInt32 i = 0; i < p.numParams; ++i)
            p.params.push_back(r.f32());
    }
    return p;
}

FxBank decodeBank(std::span<const std::uint8_t> bytes) {
    auto rec = record(bytes, "the bank file");
    Reader r(rec, "the bank file");
    r.take(8);
    FxBank b;
    VstInt32 fxMagic = r.i32();
    if (fxMagic != kFxBankParams && fxMagic != kFxBankChunk)
        r.fail("is not a bank ('" + fourCCText(fxMagic) + "' instead of 'FxBk' or 'FBCh')");
    b.opaque = fxMagic == kFxBankChunk;
    b.version = r.i32();
    if (b.version != 1 && b.version != 2)
        r.fail("has the unsupported version " + std::to_string(b.version));
    b.fxId = r.i32();
    b.fxVersion = r.i32();
    b.numPrograms = r.i32();
    if (b.numPrograms < 0) r.fail("has a negative program count");
    auto reserved = r.take(128);
    if (b.version >= 2) b.currentProgram = Reader(reserved, "the bank file").i32();
    if (b.opaque) {
        b.chunk = readChunk(r);
    } else {
        // Each program record needs at least its header: bounds the count before reserving.
        if (static_cast<std::uint64_t>(b.numPrograms) * kFxProgramHeaderBytes > r.remaining())
            r.fail("is truncated: " + std::to_string(b.numPrograms) + " programs do not fit");
        b.programs.reserve(static_cast<std::size_t>(b.numPrograms));
        for (VstInt32 i = 0; i < b.numPrograms; ++i) {
            auto inner = record(rec.subspan(r.position()), "a program in the bank file");
            FxProgram p = decodeProgram(inner);
            if (p.opaque) r.fail("holds a chunk program inside a parameter bank");
            b.programs.push_back(std::move(p));
            r.take(inner.size());
        }
    }
    return b;
}

std::vector<std::uint8_t> readBinaryFile(const std::filesystem::path& path) {
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
