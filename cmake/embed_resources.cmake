# Writes a C++ source holding files as byte arrays, as the span PanelImageData().
# Run as: cmake -DOUTPUT=file.cpp -DRESOURCES="id=percent=path;..." -P embed_resources.cmake
# where percent is the scale the file is drawn for.
set(body "")
set(table "")
set(n 0)
foreach(entry ${RESOURCES})
    string(REPLACE "=" ";" fields "${entry}")
    list(GET fields 0 id)
    list(GET fields 1 percent)
    list(GET fields 2 path)
    if(NOT EXISTS "${path}")
        message(FATAL_ERROR "resource ${id} at ${percent}% is missing: ${path}")
    endif()
    file(READ "${path}" hex HEX)
    string(LENGTH "${hex}" length)
    math(EXPR size "${length} / 2")
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(REGEX REPLACE "((0x..,){24})" "\\1\n" bytes "${bytes}")
    string(APPEND body "const unsigned char resource_${n}[] = {\n${bytes}\n};\n")
    string(APPEND table "    {${id}, resource_${n}, ${size}, ${percent}},\n")
    math(EXPR n "${n} + 1")
endforeach()
file(WRITE "${OUTPUT}.tmp" "// Generated from the resource files; do not edit.\n"
    "#include \"panel_images.h\"\n\nnamespace {\n${body}\n"
    "const EmbeddedResource kResources[] = {\n${table}};\n"
    "} // namespace\n\n"
    "std::span<const EmbeddedResource> PanelImageData() { return kResources; }\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
