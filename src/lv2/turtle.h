#pragma once

#include <string>

class IPlugBase;

// The bundle's Turtle files, described from the effect itself (its parameters with their
// ranges, units, value texts and defaults; its factory programs as presets), so that they
// can never disagree with it.
struct BundleNames {
    std::string uri;    // the plug-in's URI
    std::string binary; // the library's file name within the bundle
};

struct TurtleFiles {
    std::string manifest;
    std::string plugin; // the plug-in and its panel, in "<binary stem>.ttl"
    std::string presets;
    std::string pluginFileName;
};

TurtleFiles DescribeBundle(IPlugBase& plug, const BundleNames& names);

// A preset's URI: the plug-in's, with a fragment made from the program's name.
std::string PresetUri(const std::string& pluginUri, const std::string& programName);
