# Writes a C++ source holding files as byte arrays, as the span PanelImageData().
# Run as: cmake -DOUTPUT=file.cpp -DRESOURCES="id=path;id=path" -P embed_resources.cmake
set(body "")
set(table "")
foreach(entry ${RESOURCES})
    string(REPLACE "=" ";" pair "${entry}")
    list(GET pair 0 id)
    list(GET pair 1 path)
    if(NOT EXISTS "${path}")
        message(FATAL_ERROR "resource ${id} is missing: ${path}")
    endif()
    file(READ "${path}" hex HEX)
    string(LENGTH "${hex}" length)
    math(EXPR size "${length} / 2")
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(REGEX REPLACE "((0x..,){24})" "\\1\n" bytes "${bytes}")
    string(APPEND body "const unsigned char resource_${id}[] = {\n${bytes}\n};\n")
    string(APPEND table "    {${id}, resource_${id}, ${size}},\n")
endforeach()
file(WRITE "${OUTPUT}.tmp" "// Generated from the resource files; do not edit.\n"
    "#include \"panel_images.h\"\n\nnamespace {\n${body}\n"
    "const EmbeddedResource kResources[] = {\n${table}};\n"
    "} // namespace\n\n"
    "std::span<const EmbeddedResource> PanelImageData() { return kResources; }\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
