// Prints the effect's identity, parameters and programs, as a host would list them.
#include "plugin/velmorande.h"

#include <cstdio>

int main() {
    VSTCLASS fx;
    char version[16];
    fx.VersionText(version, sizeof version);
    std::printf("%s %s by %s\n\n", fx.EffectName(), version, fx.MakerName());
    std::printf("%-3s %-12s %-10s %-10s %-10s\n", "#", "parameter", "default", "min", "max");
    for (int i = 0; i < fx.NParams(); ++i) {
        const IPlugParam& p = *fx.GetParam(i);
        std::string value = p.FormatValue(p.Value(), false) + " " + p.Label();
        std::string min = p.FormatValue(p.Min(), false), max = p.FormatValue(p.Max(), false);
        std::printf("%-3d %-12s %-10s %-10s %-10s\n", i, p.Name(), value.c_str(), min.c_str(),
                    max.c_str());
    }
    std::printf("\nprograms:\n");
    for (int i = 0; i < fx.NPresets(); ++i)
        std::printf("%3d  %s\n", i, fx.PresetName(i));
    return 0;
}
