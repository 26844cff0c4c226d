# velmorande_vst_module(<target> EFFECT <library> NAME <file name> [WINDOWS_NAME <name>]
#                       [SOURCES ...])
# A VST 2.x plug-in library around an effect library: the VST layer's entry points, the
# effect, and nothing else visible. Modules land in <build>/plugins/.
function(velmorande_vst_module target)
    cmake_parse_arguments(ARG "" "EFFECT;NAME;WINDOWS_NAME" "SOURCES" ${ARGN})
    add_library(${target} MODULE ${ARG_SOURCES})
    target_link_libraries(${target} PRIVATE velmorande_vst_entry velmorande_vst_module_glue
        ${ARG_EFFECT})
    set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${ARG_NAME}
        LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/plugins)
    if(WIN32)
        # The C and C++ runtimes linked in, so that nothing but system DLLs sits beside it.
        if(ARG_WINDOWS_NAME)
            set_target_properties(${target} PROPERTIES OUTPUT_NAME ${ARG_WINDOWS_NAME})
        endif()
        target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++
            $<$<CONFIG:Release>:-s>)
    else()
        target_link_options(${target} PRIVATE
            -Wl,--version-script=${VELMORANDE_VST_EXPORTS} -Wl,--no-undefined)
        set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${VELMORANDE_VST_EXPORTS})
        # Hosts bring their own C++ runtime, possibly older: carry ours inside, hidden.
        # Sanitizer builds share the host's runtime, which the sanitizer watches.
        if(NOT VELMORANDE_SANITIZE AND NOT VELMORANDE_TSAN)
            target_link_options(${target} PRIVATE -static-libstdc++ -static-libgcc)
        endif()
    endif()
endfunction()
