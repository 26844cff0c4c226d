// A shared library that is not a VST 2.x plug-in: it exports no entry point.
extern "C" int NotAPluginAnswer() {
    return 42;
}
