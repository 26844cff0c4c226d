// The bundle's Turtle files, read as hosts read them (lilv), against the effect itself:
// they must never drift apart.
#include "lv2/lv2_test_host.h"

#include "core/plug_param.h"
#include "lv2/plug_lv2.h"
#include "lv2/port_layout.h"

#include <gtest/gtest.h>
#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/options/options.h>
#include <lv2/presets/presets.h>
#include <lv2/time/time.h>
#include <lv2/ui/ui.h>
#include <lv2/units/units.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>

namespace {
class Bundle : public ::testing::Test {
protected:
    void SetUp() override {
        world_ = lilv_world_new();
        LilvNode* bundle = lilv_new_file_uri(world_, nullptr, VELMORANDE_LV2_BUNDLE "/");
        lilv_world_load_bundle(world_, bundle);
        lilv_node_free(bundle);
        LilvNode* uri = Uri(kPluginUri);
        plugin_ = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world_), uri);
        ASSERT_NE(plugin_, nullptr);
    }
    void TearDown() override {
        for (LilvNode* node : nodes_)
            lilv_node_free(node);
        lilv_world_free(world_);
    }

    // Nodes live as long as the test.
    LilvNode* Uri(const char* uri) {
        nodes_.push_back(lilv_new_uri(world_, uri));
        return nodes_.back();
    }
    bool Has(const LilvPort* port, const char* property) {
        return lilv_port_has_property(plugin_, port, Uri(property));
    }
    bool Is(const LilvPort* port, const char* kind) {
        return lilv_port_is_a(plugin_, port, Uri(kind));
    }

    LilvWorld* world_ = nullptr;
    const LilvPlugin* plugin_ = nullptr;
    std::vector<LilvNode*> nodes_;
};

std::string UnitOf(const char* label) {
    const std::map<std::string, std::string> units{
        {"%", LV2_UNITS__pc}, {"ms", LV2_UNITS__ms}, {"Hz", LV2_UNITS__hz}};
    auto it = units.find(label);
    return it == units.end() ? "" : it->second;
}

// A described instance of the effect, as the Turtle writer sees it.
Lv2Plug Described() {
    Lv2Plug plug = CreateLv2Plug(nullptr);
    if (plug) plug->OpenForHost();
    return plug;
}

TEST_F(Bundle, PortsAreTheEffectsParameters) {
    const Lv2Plug plug = Described();
    ASSERT_TRUE(plug);
    const PortLayout layout{plug->NParams()};
    ASSERT_EQ(lilv_plugin_get_num_ports(plugin_), static_cast<uint32_t>(layout.Count()));
    std::vector<float> mins(layout.Count()), maxes(layout.Count()), defaults(layout.Count());
    lilv_plugin_get_port_ranges_float(plugin_, mins.data(), maxes.data(), defaults.data());
    std::set<std::string> symbols;

    for (int i = 0; i < layout.params; ++i) {
        const IPlugParam& param = *plug->GetParam(i);
        SCOPED_TRACE(param.Name());
        const LilvPort* port = lilv_plugin_get_port_by_index(plugin_, static_cast<uint32_t>(i));
        ASSERT_TRUE(port);
        EXPECT_TRUE(Is(port, LV2_CORE__InputPort) && Is(port, LV2_CORE__ControlPort));
        LilvNode* name = lilv_port_get_name(plugin_, port);
        EXPECT_STREQ(lilv_node_as_string(name), param.Name());
        lilv_node_free(name);
        const std::string symbol = lilv_node_as_string(lilv_port_get_symbol(plugin_, port));
        EXPECT_TRUE(symbols.insert(symbol).second) << "symbols are unique";
        EXPECT_EQ(symbol, param.Symbol());
        EXPECT_EQ(mins[i], static_cast<float>(param.Min()));
        EXPECT_EQ(maxes[i], static_cast<float>(param.Max()));
        EXPECT_EQ(defaults[i], static_cast<float>(param.Value()));
        EXPECT_EQ(Has(port, LV2_CORE__integer), param.IsIntegerValued());
        EXPECT_EQ(Has(port, LV2_CORE__enumeration), param.ValueTextCount() > 0);

        std::map<int, std::string> points;
        LilvScalePoints* scale = lilv_port_get_scale_points(plugin_, port);
        LILV_FOREACH(scale_points, it, scale) {
            const LilvScalePoint* p = lilv_scale_points_get(scale, it);
            points[static_cast<int>(lilv_node_as_float(lilv_scale_point_get_value(p)))] =
                lilv_node_as_string(lilv_scale_point_get_label(p));
        }
        lilv_scale_points_free(scale);
        std::map<int, std::string> texts;
        for (int v = static_cast<int>(param.Min()); v <= static_cast<int>(param.Max()); ++v)
            if (param.ValueTextCount() > 0 && param.ValueText(v)[0]) texts[v] = param.ValueText(v);
        EXPECT_EQ(points, texts);

        LilvNodes* units = lilv_port_get_value(plugin_, port, Uri(LV2_UNITS__unit));
        const std::string unit =
            units && lilv_nodes_size(units) ? lilv_node_as_uri(lilv_nodes_get_first(units)) : "";
        lilv_nodes_free(units);
        EXPECT_EQ(unit, UnitOf(param.Label())) << "label " << param.Label();
    }

    const char* audio[] = {LV2_CORE__InputPort, LV2_CORE__InputPort, LV2_CORE__OutputPort,
                           LV2_CORE__OutputPort};
    for (int k = 0; k < 4; ++k) {
        const LilvPort* port =
            lilv_plugin_get_port_by_index(plugin_, static_cast<uint32_t>(layout.AudioIn(0) + k));
        EXPECT_TRUE(Is(port, LV2_CORE__AudioPort) && Is(port, audio[k])) << k;
    }
    const LilvPort* events =
        lilv_plugin_get_port_by_index(plugin_, static_cast<uint32_t>(layout.Events()));
    EXPECT_TRUE(Is(events, LV2_ATOM__AtomPort) && Is(events, LV2_CORE__InputPort));
    EXPECT_TRUE(lilv_port_supports_event(plugin_, events, Uri(LV2_TIME__Position)));
    EXPECT_TRUE(Has(events, LV2_CORE__connectionOptional)) << "hosts without atoms run it";
}

// Hosts save a session's control values, and presets hold theirs, under the ports'
// symbols: these are the ones sessions saved with this plug-in use, at these indexes, and
// they stay whatever the parameters come to be called.
TEST_F(Bundle, PortSymbolsAreTheOnesSavedSessionsUse) {
    const std::vector<std::string> saved{
        "delay_rate", "delay_time", "host_sync", "ping_pong", "pan_width", "feedback", "freq",
        "dry_mix",    "wet_mix",    "in_l",      "in_r",      "out_l",     "out_r",    "control"};
    ASSERT_EQ(lilv_plugin_get_num_ports(plugin_), saved.size());
    for (std::size_t i = 0; i < saved.size(); ++i) {
        const LilvPort* port = lilv_plugin_get_port_by_index(plugin_, static_cast<uint32_t>(i));
        EXPECT_EQ(lilv_node_as_string(lilv_port_get_symbol(plugin_, port)), saved[i]) << i;
    }
}

// Every factory program is a preset of the same name and values, and nothing else is.
TEST_F(Bundle, PresetsAreTheFactoryPrograms) {
    UridMap urids;
    const Lv2Plug plug = Described();
    ASSERT_TRUE(plug);
    std::map<std::string, std::vector<float>> programs;
    for (int p = 1; p <= 20; ++p)
        programs[plug->PresetName(p)] = ProgramPortValues(p);

    std::map<std::string, std::vector<float>> presets;
    LilvNodes* related = lilv_plugin_get_related(plugin_, Uri(LV2_PRESETS__Preset));
    LILV_FOREACH(nodes, it, related) {
        const LilvNode* preset = lilv_nodes_get(related, it);
        lilv_world_load_resource(world_, preset);
        LilvState* state = lilv_state_new_from_world(world_, urids.Feature(), preset);
        ASSERT_TRUE(state);
        // Control ports hold floats: the values must come as such.
        struct Emitted {
            LV2_URID floatType;
            std::map<std::string, float> bySymbol;
        } emitted{urids.Map(LV2_ATOM__Float), {}};
        lilv_state_emit_port_values(
            state,
            [](const char* symbol, void* data, const void* value, uint32_t size, uint32_t type) {
                auto* e = static_cast<Emitted*>(data);
                if (size == sizeof(float) && type == e->floatType)
                    e->bySymbol[symbol] = *static_cast<const float*>(value);
            },
            &emitted);
        std::map<std::string, float>& bySymbol = emitted.bySymbol;
        std::vector<float> values;
        for (int i = 0; i < plug->NParams(); ++i)
            values.push_back(bySymbol.count(plug->GetParam(i)->Symbol())
                                 ? bySymbol[plug->GetParam(i)->Symbol()]
                                 : -12345.0f);
        presets[lilv_state_get_label(state)] = values;
        lilv_state_free(state);
    }
    lilv_nodes_free(related);
    EXPECT_EQ(presets.size(), 20u);
    EXPECT_EQ(presets, programs);
}

// The panel is an X11 UI in the same library, needing the host's window.
TEST_F(Bundle, ThePanelIsAnX11Ui) {
    LilvUIs* uis = lilv_plugin_get_uis(plugin_);
    ASSERT_EQ(lilv_uis_size(uis), 1u);
    const LilvUI* ui = lilv_uis_get(uis, lilv_uis_begin(uis));
    EXPECT_TRUE(lilv_ui_is_a(ui, Uri("http://lv2plug.in/ns/extensions/ui#X11UI")));
    EXPECT_STREQ(lilv_node_as_uri(lilv_ui_get_binary_uri(ui)),
                 lilv_node_as_uri(lilv_plugin_get_library_uri(plugin_)));
    LilvNodes* required =
        lilv_world_find_nodes(world_, lilv_ui_get_uri(ui), Uri(LV2_CORE__requiredFeature), nullptr);
    ASSERT_EQ(lilv_nodes_size(required), 1u);
    EXPECT_STREQ(lilv_node_as_uri(lilv_nodes_get_first(required)),
                 "http://lv2plug.in/ns/extensions/ui#parent");
    lilv_nodes_free(required);
    // The host's scale is taken at instantiation and later through the options interface.
    const std::pair<const char*, const char*> statements[] = {
        {LV2_OPTIONS__supportedOption, LV2_UI__scaleFactor},
        {LV2_CORE__extensionData, LV2_OPTIONS__interface},
        {LV2_CORE__extensionData, LV2_UI__idleInterface},
    };
    for (const auto& [predicate, object] : statements)
        EXPECT_TRUE(lilv_world_ask(world_, lilv_ui_get_uri(ui), Uri(predicate), Uri(object)))
            << predicate << " " << object;
    lilv_uis_free(uis);
}
} // namespace
