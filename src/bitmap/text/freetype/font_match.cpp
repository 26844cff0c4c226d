#include "bitmap/text/freetype/font_match.h"

#include <fontconfig/fontconfig.h>

#include <memory>
#include <mutex>

namespace {

struct PatternDeleter {
    void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using PatternPtr = std::unique_ptr<FcPattern, PatternDeleter>;

std::mutex& FontconfigMutex() {
    static std::mutex mutex;
    return mutex;
}

} // namespace

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELMORANDE_LEAK_CHECKED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define VELMORANDE_LEAK_CHECKED 1
#endif
#ifdef VELMORANDE_LEAK_CHECKED
// fontconfig keeps a few bytes of its configuration for the life of the process, and only
// FcFini frees them - which a plug-in must not call, since its host may use fontconfig too.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
#endif

std::optional<MatchedFont> MatchFont(const char* family, bool bold, bool italic) {
    // The default configuration is loaded and shared on first use; matching is serialised
    // rather than relying on every fontconfig build being thread-safe.
    std::lock_guard lock(FontconfigMutex());
    PatternPtr pattern(FcPatternCreate());
    if (!pattern) return std::nullopt;
    const auto* name = reinterpret_cast<const FcChar8*>(family && *family ? family : "sans-serif");
    FcPatternAddString(pattern.get(), FC_FAMILY, name);
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
    if (!FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern)) return std::nullopt;
    FcDefaultSubstitute(pattern.get());

    FcResult result = FcResultNoMatch;
    PatternPtr match(FcFontMatch(nullptr, pattern.get(), &result));
    if (!match || result != FcResultMatch) return std::nullopt;

    FcChar8* file = nullptr;
    if (FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch || !file)
        return std::nullopt;
    MatchedFont font;
    font.file = reinterpret_cast<const char*>(file);
    int value = 0;
    if (FcPatternGetInteger(match.get(), FC_INDEX, 0, &value) == FcResultMatch) font.index = value;
    if (FcPatternGetInteger(match.get(), FC_WEIGHT, 0, &value) == FcResultMatch)
        font.bold = value >= FC_WEIGHT_DEMIBOLD;
    if (FcPatternGetInteger(match.get(), FC_SLANT, 0, &value) == FcResultMatch)
        font.italic = value != FC_SLANT_ROMAN;
    return font;
}
