# velmorande_panel_images(<library> <list variable> <image folder>)
# Makes <library>, the panel's images for every build of the effect that links it, and
# generates for it from one image list (name id file ...):
#   panel_images.h      the names with their ids and resource names, for the panel code;
#   panel_images.rc     the Windows resource script (Windows builds);
#   panel_image_data.cpp  the images as byte arrays where the platform has no resources
#                         (empty on Windows).
# Sets VELMORANDE_PANEL_RC in the parent scope to the resource script. A listed image that
# does not exist stops the configure.
function(velmorande_panel_images library list_var image_dir)
    set(out ${CMAKE_CURRENT_BINARY_DIR}/generated)
    add_library(${library} STATIC)
    target_link_libraries(${library} PUBLIC velmorande_editor)
    set(images ${${list_var}})
    string(CONCAT header "// Generated from the panel's image list; do not edit.\n#pragma once\n\n"
        "#include \"editor/embedded_resources.h\"\n\n#include <span>\n\n"
        "struct PanelImage {\n    int id;\n    const char* name;\n};\n\n")
    set(rc "// Generated from the panel's image list; do not edit.\n")
    set(entries "")
    set(files "")
    list(LENGTH images count)
    math(EXPR last "${count} - 1")
    foreach(i RANGE 0 ${last} 3)
        math(EXPR j "${i} + 1")
        math(EXPR k "${i} + 2")
        list(GET images ${i} name)
        list(GET images ${j} id)
        list(GET images ${k} file)
        set(path ${image_dir}/${file})
        if(NOT EXISTS ${path})
            message(FATAL_ERROR "panel image ${name} (${id}) is missing: ${path}")
        endif()
        string(APPEND header "inline constexpr PanelImage ${name}{${id}, \"img/${file}\"};\n")
        string(APPEND rc "${id} PNG \"${path}\"\n")
        list(APPEND entries "${id}=${path}")
        list(APPEND files ${path})
    endforeach()
    string(APPEND header "\n// The images compiled into the library, for platforms without resources"
        " of their own.\nstd::span<const EmbeddedResource> PanelImageData();\n")
    file(CONFIGURE OUTPUT ${out}/panel_images.h CONTENT "${header}")
    target_include_directories(${library} PUBLIC ${out})

    if(WIN32)
        file(CONFIGURE OUTPUT ${out}/panel_images.rc CONTENT "${rc}")
        set_source_files_properties(${out}/panel_images.rc PROPERTIES OBJECT_DEPENDS "${files}")
        set(VELMORANDE_PANEL_RC ${out}/panel_images.rc PARENT_SCOPE)
        set(VELMORANDE_PANEL_RC ${out}/panel_images.rc CACHE INTERNAL "")
        # The images come from the module's resources there.
        file(CONFIGURE OUTPUT ${out}/panel_image_data.cpp CONTENT "#include \"panel_images.h\"
\nstd::span<const EmbeddedResource> PanelImageData() { return {}; }\n")
    else()
        string(REPLACE ";" "\\;" resource_arg "${entries}")
        add_custom_command(
            OUTPUT ${out}/panel_image_data.cpp
            COMMAND ${CMAKE_COMMAND} -DOUTPUT=${out}/panel_image_data.cpp
                    "-DRESOURCES=${resource_arg}" -P ${PROJECT_SOURCE_DIR}/cmake/embed_resources.cmake
            DEPENDS ${files} ${PROJECT_SOURCE_DIR}/cmake/embed_resources.cmake
            COMMENT "Embedding the panel's images")
    endif()
    target_sources(${library} PRIVATE ${out}/panel_image_data.cpp)
endfunction()
