# velmorande_panel_images(<library> <list variable> <scales variable> <image folder>)
# Makes <library>, the panel's images for every build of the effect that links it, and
# generates for it from one image list (name id file ...) and the scales each image is drawn
# at (X.png at scale S is X@Sx.png, X.png itself at 1):
#   panel_images.h      the names with their ids and resource names, for the panel code;
#   panel_images.rc     the Windows resource script (Windows builds): the images of type
#                       "PNG" at scale 1, of type "PNG<percent>" at the others;
#   panel_image_data.cpp  the images as byte arrays where the platform has no resources
#                         (empty on Windows).
# Sets VELMORANDE_PANEL_RC in the parent scope to the resource script. A listed image that
# does not exist at one of the scales stops the configure.
function(velmorande_panel_images library list_var scales_var image_dir)
    set(out ${CMAKE_CURRENT_BINARY_DIR}/generated)
    add_library(${library} STATIC)
    target_link_libraries(${library} PUBLIC velmorande_editor)
    set(images ${${list_var}})
    set(percents "")
    foreach(scale ${${scales_var}})
        if(scale MATCHES "^([0-9]+)$")
            math(EXPR percent "${CMAKE_MATCH_1} * 100")
        elseif(scale MATCHES "^([0-9]+)\\.([0-9])$")
            math(EXPR percent "${CMAKE_MATCH_1} * 100 + ${CMAKE_MATCH_2} * 10")
        else()
            message(FATAL_ERROR "panel image scale ${scale}: a number with one decimal at most")
        endif()
        list(APPEND percents ${percent})
    endforeach()
    list(JOIN percents ", " percent_list)
    string(CONCAT header "// Generated from the panel's image list; do not edit.\n#pragma once\n\n"
        "#include \"editor/display_scale.h\"\n#include \"editor/embedded_resources.h\"\n\n"
        "#include <algorithm>\n#include <span>\n\n"
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
        string(APPEND header "inline constexpr PanelImage ${name}{${id}, \"img/${file}\"};\n")
        string(REGEX REPLACE "\\.png$" "" stem ${file})
        foreach(scale percent IN ZIP_LISTS ${scales_var} percents)
            if(percent EQUAL 100)
                set(path ${image_dir}/${file})
                set(type PNG)
            else()
                set(path ${image_dir}/${stem}@${scale}x.png)
                set(type PNG${percent})
            endif()
            if(NOT EXISTS ${path})
                message(FATAL_ERROR "panel image ${name} (${id}) at ${scale}x is missing: ${path}")
            endif()
            string(APPEND rc "${id} ${type} \"${path}\"\n")
            list(APPEND entries "${id}=${percent}=${path}")
            list(APPEND files ${path})
        endforeach()
    endforeach()
    string(APPEND header "\n// The scales the images are drawn at, in percent: those the editor draws at.\n"
        "inline constexpr int kPanelImageScales[] = {${percent_list}};\n"
        "static_assert(std::ranges::equal(kPanelImageScales, DisplayScale::kPercents),\n"
        "              \"the panel's images exist at every scale the editor draws at\");\n"
        "\n// The images compiled into the library, for platforms without resources"
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
