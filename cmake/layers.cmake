# velmorande_layer(<target> <folder> [<source dir>]): the target's headers,
# "<folder>/name.h", are visible to the target itself and to whatever links it, and to
# nothing else. The folder is src/<folder> unless a source dir is given. Each layer gets an
# include root of its own holding one link to its folder, so an include of a layer that a
# target does not link fails to build.
function(velmorande_layer target folder)
    set(source ${PROJECT_SOURCE_DIR}/src/${folder})
    if(ARGC GREATER 2)
        set(source ${ARGV2})
    endif()
    string(REPLACE "/" "_" root_name ${folder})
    set(root ${PROJECT_BINARY_DIR}/layers/${root_name})
    get_filename_component(parent ${root}/${folder} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    if(NOT EXISTS ${root}/${folder})
        file(CREATE_LINK ${source} ${root}/${folder} SYMBOLIC)
    endif()
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
        target_include_directories(${target} INTERFACE ${root})
    else()
        target_include_directories(${target} PUBLIC ${root})
    endif()
endfunction()
