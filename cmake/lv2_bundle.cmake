# velmorande_lv2_bundle(<target> EFFECT <library> URI <plug-in URI> BUNDLE <name.lv2>
#                       BINARY <library file name>)
# An LV2 bundle around an effect library built for the LV2 layer, in <build>/lv2/<name.lv2>/:
# the library with its two entry points and nothing else visible, and the Turtle files,
# written by a tool built from the same effect, so the description always matches the
# effect. The target's properties VELMORANDE_BUNDLE_DIR and VELMORANDE_LV2_URI hold the
# bundle's folder and the plug-in's URI for whatever else needs them (tests, tools).
function(velmorande_lv2_bundle target)
    cmake_parse_arguments(ARG "" "EFFECT;URI;BUNDLE;BINARY" "" ${ARGN})
    set(dir ${PROJECT_BINARY_DIR}/lv2/${ARG_BUNDLE})
    get_filename_component(stem ${ARG_BINARY} NAME_WE)

    add_library(${target} MODULE ${VELMORANDE_LV2_SOURCE_DIR}/lv2_entry.cpp)
    target_compile_definitions(${target} PRIVATE VELMORANDE_LV2_URI="${ARG_URI}")
    target_link_libraries(${target} PRIVATE velmorande_lv2 ${ARG_EFFECT})
    set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${stem} SUFFIX ""
        LIBRARY_OUTPUT_DIRECTORY ${dir})
    set_target_properties(${target} PROPERTIES OUTPUT_NAME ${ARG_BINARY})
    set(exports ${VELMORANDE_LV2_SOURCE_DIR}/exports.map)
    target_link_options(${target} PRIVATE -Wl,--version-script=${exports} -Wl,--no-undefined)
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${exports})
    if(NOT VELMORANDE_SANITIZE AND NOT VELMORANDE_TSAN)
        target_link_options(${target} PRIVATE -static-libstdc++ -static-libgcc)
    endif()

    add_executable(${target}_turtle ${VELMORANDE_LV2_SOURCE_DIR}/turtle_main.cpp)
    target_link_libraries(${target}_turtle PRIVATE velmorande_lv2 ${ARG_EFFECT})
    set(turtle ${dir}/manifest.ttl ${dir}/${stem}.ttl ${dir}/presets.ttl)
    # A sanitizer build's tool would report the font library's process-lifetime caches.
    add_custom_command(OUTPUT ${turtle}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
        COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
            $<TARGET_FILE:${target}_turtle> ${dir} ${ARG_URI} ${ARG_BINARY}
        DEPENDS ${target}_turtle
        COMMENT "Describing ${ARG_BUNDLE}")
    add_custom_target(${target}_bundle ALL DEPENDS ${turtle})
    add_dependencies(${target} ${target}_bundle)
    set_property(TARGET ${target} PROPERTY VELMORANDE_BUNDLE_DIR ${dir})
    set_property(TARGET ${target} PROPERTY VELMORANDE_LV2_URI ${ARG_URI})
endfunction()
