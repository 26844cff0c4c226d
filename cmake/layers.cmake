# velmorande_layer(<target> <folder>): the target's headers, "<folder>/name.h", are visible
# to the target itself and to whatever links it, and to nothing else. Each layer gets an
# include root of its own holding one link to its folder, so an include of a layer that a
# target does not link fails to build.
function(velmorande_layer target folder)
    string(REPLACE "/" "_" root_name ${folder})
    set(root ${PROJECT_BINARY_DIR}/layers/${root_name})
    get_filename_component(parent ${root}/${folder} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    if(NOT EXISTS ${root}/${folder})
        file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${folder} ${root}/${folder} SYMBOLIC)
    endif()
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
        target_include_directories(${target} INTERFACE ${root})
    else()
        target_include_directories(${target} PUBLIC ${root})
    endif()
endfunction()
