#include "host/command_errors.h"
#include "host/options.h"
#include "host/text_match.h"

#include <gtest/gtest.h>

namespace vhost {
namespace {

Options Parse(std::vector<std::string> args) {
    return ParseOptions(args);
}

TEST(Options, RenderWithDefaults) {
    Options o = Parse({"fx.so", "in.wav", "out.wav"});
    EXPECT_EQ(o.mode, Mode::Render);
    EXPECT_EQ(o.Plugin().path, "fx.so");
    EXPECT_EQ(o.input, "in.wav");
    EXPECT_EQ(o.output, "out.wav");
    EXPECT_EQ(o.tempo, 120.0);
    EXPECT_FALSE(o.sampleRate);
    EXPECT_EQ(o.blockSize, 512);
    EXPECT_EQ(o.precision, Precision::Single);
    EXPECT_FALSE(o.tailSeconds);
    EXPECT_FALSE(o.Plugin().program);
    EXPECT_TRUE(o.Plugin().params.empty());
    EXPECT_FALSE(o.quiet);
}

TEST(Options, ValuesInBothSpellings) {
    Options o = Parse({"--tempo", "90.5", "-r", "48000", "--block-size=64", "--precision=double",
                       "--tail", "1.5", "-p", "Warm Room", "--format", "flac", "--encoding",
                       "pcm16", "-q", "fx.so", "a.wav", "b.flac"});
    EXPECT_EQ(o.tempo, 90.5);
    EXPECT_EQ(o.sampleRate, 48000.0);
    EXPECT_EQ(o.blockSize, 64);
    EXPECT_EQ(o.precision, Precision::Double);
    EXPECT_EQ(o.tailSeconds, 1.5);
    EXPECT_EQ(o.Plugin().program, "Warm Room");
    EXPECT_EQ(o.format, "flac");
    EXPECT_EQ(o.encoding, "pcm16");
    EXPECT_TRUE(o.quiet);
}

TEST(Options, FloatIsAnEncoding) {
    EXPECT_EQ(Parse({"--float", "fx.so", "a.wav", "b.wav"}).encoding, "float");
}

TEST(Options, ParametersPlainAndNormalised) {
    Options o = Parse(
        {"-P", "Feedback=40", "--param", "5=0.4n", "--param=Delay Rate = 1/8", "fx.so", "a", "b"});
    ASSERT_EQ(o.Plugin().params.size(), 3u);
    EXPECT_EQ(o.Plugin().params[0].target, "Feedback");
    EXPECT_EQ(o.Plugin().params[0].value, "40");
    EXPECT_FALSE(o.Plugin().params[0].normalized);
    EXPECT_EQ(o.Plugin().params[1].target, "5");
    EXPECT_TRUE(o.Plugin().params[1].normalized);
    EXPECT_DOUBLE_EQ(o.Plugin().params[1].normalizedValue, 0.4);
    EXPECT_EQ(o.Plugin().params[2].target, "Delay Rate");
    EXPECT_EQ(o.Plugin().params[2].value, "1/8");
}

TEST(Options, ATrailingNOnlyMeansNormalisedAfterANumber) {
    ParamAssignment a = ParseParamAssignment("Mode=On");
    EXPECT_FALSE(a.normalized);
    EXPECT_EQ(a.value, "On");
    ParamAssignment b = ParseParamAssignment("Mode=Min");
    EXPECT_FALSE(b.normalized);
    ParamAssignment c = ParseParamAssignment("Gain=1N");
    EXPECT_TRUE(c.normalized);
    EXPECT_EQ(c.normalizedValue, 1.0);
    ParamAssignment d = ParseParamAssignment("Pan=-50");
    EXPECT_EQ(d.value, "-50");
}

TEST(Options, BadParameterRequests) {
    EXPECT_THROW(ParseParamAssignment("Feedback"), UsageError);
    EXPECT_THROW(ParseParamAssignment("=4"), UsageError);
    EXPECT_THROW(ParseParamAssignment("Feedback="), UsageError);
    // Values that are not finite numbers are no values at all.
    for (const char* text : {"Feedback=inf", "Feedback=-inf", "Feedback=nan", "Feedback=NAN",
                             "Feedback=infinity", "Feedback=nann", "Feedback=infn"})
        EXPECT_THROW(ParseParamAssignment(text), UsageError) << text;
}

TEST(Options, InfoAndDemo) {
    Options info = Parse({"--info", "fx.so"});
    EXPECT_EQ(info.mode, Mode::Info);
    EXPECT_EQ(info.Plugin().path, "fx.so");
    Options demo = Parse({"--demo", "out/dir", "fx.so"});
    EXPECT_EQ(demo.mode, Mode::Demo);
    EXPECT_EQ(demo.demoDir, "out/dir");
    EXPECT_FALSE(demo.Plugin().program);
    EXPECT_THROW(Parse({"--info", "fx.so", "in.wav"}), UsageError);
    EXPECT_THROW(Parse({"--demo", "d", "fx.so", "x"}), UsageError);
    EXPECT_THROW(Parse({"--demo", "d", "--info", "fx.so"}), UsageError);
}

TEST(Options, StateOnlyNeedsSave) {
    Options o = Parse({"fx.so", "--save", "p.fxp", "--load", "b.fxb"});
    EXPECT_EQ(o.Plugin().saveState, "p.fxp");
    EXPECT_EQ(o.Plugin().loadState, "b.fxb");
    EXPECT_TRUE(o.input.empty());
    EXPECT_THROW(Parse({"fx.so"}), UsageError);
}

TEST(Options, EditorScale) {
    EXPECT_EQ(Parse({"fx.so", "--editor-png", "p.png", "--scale", "2"}).editorScale, 2.0);
    EXPECT_EQ(Parse({"--editor", "fx.so", "--scale=1.5"}).editorScale, 1.5);
    EXPECT_EQ(Parse({"--demo", "d", "--scale", "1", "fx.so"}).editorScale, 1.0);
    EXPECT_FALSE(Parse({"fx.so", "--editor-png", "p.png"}).editorScale);
    for (const char* bad : {"0.5", "3.5", "-2", "nan", "inf", "big"})
        EXPECT_THROW(Parse({"fx.so", "--editor-png", "p.png", "--scale", bad}), UsageError) << bad;
    EXPECT_THROW(Parse({"fx.so", "in.wav", "out.wav", "--scale", "2"}), UsageError)
        << "no editor to scale";
}

TEST(Options, HelpStopsParsing) {
    EXPECT_EQ(Parse({"-h", "--bogus"}).mode, Mode::Help);
    EXPECT_EQ(Parse({"--version"}).mode, Mode::Version);
    EXPECT_THROW(Parse({"--bogus", "-h"}), UsageError);
}

TEST(Options, Rejections) {
    EXPECT_THROW(Parse({}), UsageError);
    EXPECT_THROW(Parse({"fx.so", "in.wav"}), UsageError);
    EXPECT_THROW(Parse({"fx.so", "a", "b", "c"}), UsageError);
    EXPECT_THROW(Parse({"--frobnicate", "fx.so", "a", "b"}), UsageError);
    EXPECT_THROW(Parse({"--tempo"}), UsageError);
    EXPECT_THROW(Parse({"--tempo", "fast", "fx.so", "a", "b"}), UsageError);
    EXPECT_THROW(Parse({"--tempo", "0", "fx.so", "a", "b"}), UsageError);
    EXPECT_THROW(Parse({"--tempo", "nan", "fx.so", "a", "b"}), UsageError);
    EXPECT_THROW(Parse({"-b", "0", "fx.so", "a", "b"}), UsageError);
    EXPECT_THROW(Parse({"-b", "100000", "fx.so", "a", "b"}), UsageError);
    EXPECT_THROW(Parse({"-b", "12x", "fx.so", "a", "b"}), UsageError);
    EXPECT_THROW(Parse({"-r", "10", "fx.so", "a", "b"}), UsageError);
    EXPECT_THROW(Parse({"--tail", "-1", "fx.so", "a", "b"}), UsageError);
    EXPECT_THROW(Parse({"--precision", "half", "fx.so", "a", "b"}), UsageError);
    EXPECT_THROW(Parse({"--quiet=yes", "fx.so", "a", "b"}), UsageError);
    EXPECT_THROW(Parse({"-p", "", "fx.so", "a", "b"}), UsageError);
}

TEST(Options, DoubleDashEndsOptions) {
    Options o = Parse({"--", "-odd.so", "-in.wav", "-out.wav"});
    EXPECT_EQ(o.Plugin().path, "-odd.so");
    EXPECT_EQ(o.input, "-in.wav");
}

TEST(Options, ChainsAutomationAndTheRest) {
    Options o = Parse({"-P",
                       "Gain=1",
                       "a.so",
                       "--automate",
                       "a.json",
                       "--then",
                       "b.so",
                       "-p",
                       "2",
                       "-PMix=3",
                       "--save",
                       "b.fxp",
                       "--then",
                       "c.so",
                       "--load",
                       "c.fxp",
                       "--channels",
                       "2,1",
                       "--time-signature",
                       "6/8",
                       "--json",
                       "-t90",
                       "-b64",
                       "in.wav",
                       "-"});
    EXPECT_EQ(o.Plugin().path, "a.so");
    EXPECT_EQ(o.Plugin().params.size(), 1u);
    EXPECT_EQ(o.Plugin().automation, "a.json");
    ASSERT_EQ(o.chain.size(), 3u);
    EXPECT_EQ(o.chain[1].path, "b.so");
    EXPECT_EQ(o.chain[1].program, "2");
    ASSERT_EQ(o.chain[1].params.size(), 1u);
    EXPECT_EQ(o.chain[1].params[0].target, "Mix");
    EXPECT_EQ(o.chain[1].saveState, "b.fxp");
    EXPECT_EQ(o.chain[2].loadState, "c.fxp");
    EXPECT_FALSE(o.Plugin().loadState);
    EXPECT_EQ(o.channels, "2,1");
    EXPECT_EQ(o.timeSigNumerator, 6);
    EXPECT_EQ(o.timeSigDenominator, 8);
    EXPECT_TRUE(o.json);
    EXPECT_EQ(o.tempo, 90.0);
    EXPECT_EQ(o.blockSize, 64);
    EXPECT_EQ(o.output, "-");
    EXPECT_NO_THROW(Parse({"fx.so", "-", "-"})); // standard input to standard output

    Options d = Parse({"diff", "a.wav", "b.wav", "--tolerance", "-60dB", "--json"});
    EXPECT_EQ(d.mode, Mode::Diff);
    EXPECT_NEAR(d.tolerance, 0.001, 1e-12);
    EXPECT_EQ(d.diffB, "b.wav");
    for (const std::vector<std::string>& bad :
         std::vector<std::vector<std::string>>{{"fx.so", "--then"},
                                               {"fx.so", "--then", ""},
                                               {"fx.so", "--time-signature", "3", "a", "b"},
                                               {"fx.so", "--time-signature", "0/4", "a", "b"},
                                               {"fx.so", "--channels", "", "a", "b"},
                                               {"fx.so", "--json=1", "a", "b"},
                                               {"diff", "a.wav"},
                                               {"diff", "a", "b", "--tolerance", "3"},
                                               {"diff", "a", "b", "--frobnicate"}})
        EXPECT_THROW(Parse(bad), UsageError) << bad[1];
}

TEST(Options, NumbersAreDecimalAndSettingsAreGivenOnce) {
    double v = 0.0;
    for (const char* text : {"40", "-2.5", ".5", "1e3", "+7", "3."})
        EXPECT_TRUE(ParseDecimal(text, v)) << text;
    for (const char* text : {"0x10", "inf", "nan", " 5", "5 ", "", "1e", "e3", "--1", "1,5"})
        EXPECT_FALSE(ParseDecimal(text, v)) << text;
    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {"-t", "0x10", "fx.so", "a", "b"},
             {"-b", "1e9", "fx.so", "a", "b"},
             {"-b", "2.5", "fx.so", "a", "b"},
             {"--save", "a", "--save", "b", "fx.so"},
             {"-p", "1", "--program", "2", "fx.so", "a", "b"},
             {"--float", "--encoding=pcm16", "fx.so", "a", "b"},
             {"-r", "48000", "--rate", "48000", "fx.so", "a", "b"},
             {"a.so", "--then", "b.so", "--load", "x", "--load", "y", "i", "o"},
         })
        EXPECT_THROW(Parse(bad), UsageError) << bad[1];
    // Each plug-in of a chain has its own.
    Options o = Parse({"--save", "a.fxp", "a.so", "--then", "b.so", "--save", "b.fxp"});
    EXPECT_EQ(o.chain[0].saveState, "a.fxp");
    EXPECT_EQ(o.chain[1].saveState, "b.fxp");
}

TEST(Options, UsageDocumentsEveryOption) {
    std::string text = UsageText();
    for (const char* option :
         {"--tempo",      "--rate",     "--block-size", "--precision", "--tail",
          "--program",    "--param",    "--load",       "--save",      "--format",
          "--encoding",   "--float",    "--info",       "--demo",      "--quiet",
          "--help",       "--channels", "--automate",   "--then",      "--time-signature",
          "--json",       "diff A B",   "--tolerance",  "--force",     "--editor",
          "--editor-png", "--version",  "validate"})
        EXPECT_NE(text.find(option), std::string::npos) << option;
    EXPECT_NE(text.find("0.4n"), std::string::npos);
}

} // namespace
} // namespace vhost
