# The layers of the program as libraries. Each library sees on its include path its own headers and those of the
# libraries it links, nothing else: an include of a layer above, or of one beside it that it does not link, names a
# file the compiler cannot find, so a wrong-way include fails the build.
#
#   quillbox_layer(<target> <folder under src> [TOP] [<library it builds on>...])
#
# makes <target> from the sources in src/<folder> (its subfolders included) and gives it an include folder of its
# own in the build tree, in which a link with the folder's path leads to the sources: "store/record_file.h" is found
# there for quillbox_store and for whatever links it, and from nowhere else. TOP is for the program's own folder,
# src/app: its files alone, not the layers in its subfolders, and not main().
function(quillbox_layer target folder)
    cmake_parse_arguments(PARSE_ARGV 2 layer "TOP" "" "")
    if(layer_TOP)
        file(GLOB sources CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/src/${folder}/*.cpp"
             "${PROJECT_SOURCE_DIR}/src/${folder}/*.h")
        list(FILTER sources EXCLUDE REGEX ".*/main\\.cpp$")
    else()
        file(GLOB_RECURSE sources CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/src/${folder}/*.cpp"
             "${PROJECT_SOURCE_DIR}/src/${folder}/*.h")
    endif()
    add_library(${target} STATIC ${sources})
    set(root "${PROJECT_BINARY_DIR}/layers/${target}")
    get_filename_component(parent "${root}/${folder}" DIRECTORY)
    file(MAKE_DIRECTORY "${parent}")
    file(CREATE_LINK "${PROJECT_SOURCE_DIR}/src/${folder}" "${root}/${folder}" SYMBOLIC)
    target_include_directories(${target} PUBLIC "${root}")
    target_link_libraries(${target} PUBLIC ${layer_UNPARSED_ARGUMENTS})
    quillbox_warnings(${target})
endfunction()
