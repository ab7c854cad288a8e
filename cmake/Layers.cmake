# The core is built by layer: one static library per folder, each linking only the layers below it.
#
#   ravelin_add_layer(NAME [USES LAYER...])
#
# makes the static library ravelin_NAME from the sources NAME/CMakeLists.txt adds to it, links the
# layers it USES (which must be declared before it), and adds it to ravelin_core, the one name that
# the programs, tests, benchmarks and fuzz harnesses link. Every layer also records the folders its
# sources may include from (its own and, transitively, those of the layers it uses) in the global
# property RAVELIN_LAYER_REACH_<NAME>; the layer_includes test checks the sources against it,
# since a link alone does not stop an #include of a header from a layer above.

set_property(GLOBAL PROPERTY RAVELIN_LAYERS "")

function(ravelin_add_layer name)
    cmake_parse_arguments(PARSE_ARGV 1 ARG "" "" "USES")
    if(ARG_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "ravelin_add_layer(${name}): unexpected ${ARG_UNPARSED_ARGUMENTS}")
    endif()
    set(target ravelin_${name})
    add_library(${target} STATIC)
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
    set(reach ${name})
    foreach(used IN LISTS ARG_USES)
        if(NOT TARGET ravelin_${used})
            message(FATAL_ERROR "layer ${name} uses ${used}, which is not declared before it")
        endif()
        target_link_libraries(${target} PUBLIC ravelin_${used})
        get_property(usedReach GLOBAL PROPERTY RAVELIN_LAYER_REACH_${used})
        list(APPEND reach ${usedReach})
    endforeach()
    list(REMOVE_DUPLICATES reach)
    set_property(GLOBAL PROPERTY RAVELIN_LAYER_REACH_${name} "${reach}")
    set_property(GLOBAL APPEND PROPERTY RAVELIN_LAYERS ${name})
    add_subdirectory(${PROJECT_SOURCE_DIR}/${name} ${PROJECT_BINARY_DIR}/${name})
    target_link_libraries(ravelin_core INTERFACE ${target})
endfunction()

# Sets out to the include rules of every declared layer, one argument each ("db=db,platform"), for
# tests/layers/CheckLayerIncludes.sh. Folders given after out include from nothing but themselves.
function(ravelin_layer_rules out)
    get_property(layers GLOBAL PROPERTY RAVELIN_LAYERS)
    set(rules)
    foreach(layer IN LISTS layers)
        get_property(reach GLOBAL PROPERTY RAVELIN_LAYER_REACH_${layer})
        string(REPLACE ";" "," reach "${reach}")
        list(APPEND rules "${layer}=${reach}")
    endforeach()
    foreach(folder IN LISTS ARGN)
        list(APPEND rules "${folder}=${folder}")
    endforeach()
    set(${out} ${rules} PARENT_SCOPE)
endfunction()
