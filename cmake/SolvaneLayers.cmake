# One static library per layer of the program. A layer sees only its own
# headers and those of the layers it is built on: each gets an include tree of
# its own (under <build>/layers/<name>) holding links to exactly those headers,
# and links only the libraries below it. A file that includes a header of a
# higher layer therefore fails to compile; one that calls into it fails to link.
#
#   solvane_layer(NAME SOURCES file... [LAYERS lower-layer...] [LINK library...])
#
# SOURCES are paths relative to the source tree; LINK names outside libraries
# (Qt, SQLite), linked publicly so that the layers above may use them too.
function(solvane_layer name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LAYERS;LINK" ${ARGN})
    set(root ${CMAKE_BINARY_DIR}/layers/${name})
    file(REMOVE_RECURSE ${root})
    set(headers)
    foreach(source ${ARG_SOURCES})
        if(source MATCHES "\\.h$")
            list(APPEND headers ${source})
        endif()
    endforeach()
    foreach(layer ${ARG_LAYERS})
        get_property(below GLOBAL PROPERTY SOLVANE_LAYER_HEADERS_${layer})
        list(APPEND headers ${below})
    endforeach()
    list(REMOVE_DUPLICATES headers)
    foreach(header ${headers})
        get_filename_component(folder ${root}/${header} DIRECTORY)
        file(MAKE_DIRECTORY ${folder})
        file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${header} ${root}/${header} SYMBOLIC)
    endforeach()
    set_property(GLOBAL PROPERTY SOLVANE_LAYER_HEADERS_${name} ${headers})

    list(TRANSFORM ARG_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/)
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PRIVATE ${root})
    target_link_libraries(${name} PUBLIC ${ARG_LAYERS} ${ARG_LINK})

    # Every object of the layer linked with nothing but what lies below it:
    # a call into a higher layer has nothing to resolve to.
    set(check ${CMAKE_BINARY_DIR}/layers/${name}_link_check.cpp)
    file(WRITE ${check} "int main() { return 0; }\n")
    add_executable(${name}_link_check ${check})
    target_link_libraries(${name}_link_check PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${name}>")
endfunction()
