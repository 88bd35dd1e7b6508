# One static library per subsystem folder. A folder links the folders it may use,
# and a check before its build rejects an include from any other folder, so the
# dependencies point one way. Sources are globbed: a new file, or a folder that
# gets its first source, is picked up at the next build.

set(ZEP_QT_LIBRARIES
    Qt5::Core Qt5::Gui Qt5::Widgets Qt5::Network Qt5::Sql Qt5::Qml Qt5::Quick Qt5::Multimedia)
set(ZEP_COMPONENT_TARGETS "")
set(ZEP_SOURCES "")

# zep_db for db/.
function(zep_component_target result folder)
    string(REPLACE "/" "_" name "zep_${folder}")
    set(${result} ${name} PARENT_SCOPE)
endfunction()

function(zep_component folder)
    cmake_parse_arguments(ARG "" "NAME" "USES;EXCLUDE" ${ARGN})
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS
        ${CMAKE_SOURCE_DIR}/${folder}/*.cpp ${CMAKE_SOURCE_DIR}/${folder}/*.h)
    foreach(excluded IN LISTS ARG_EXCLUDE)
        list(FILTER sources EXCLUDE REGEX "^${CMAKE_SOURCE_DIR}/${excluded}")
    endforeach()
    if(NOT sources)
        return()
    endif()

    zep_component_target(name ${folder})
    if(ARG_NAME)
        set(name ${ARG_NAME})
    endif()
    set(used_targets "")
    foreach(used IN LISTS ARG_USES)
        zep_component_target(used_target ${used})
        if(TARGET ${used_target})
            list(APPEND used_targets ${used_target})
        endif()
    endforeach()

    set(compiled ${sources})
    list(FILTER compiled INCLUDE REGEX "\\.cpp$")
    if(compiled)
        add_library(${name} STATIC ${sources})
        target_link_libraries(${name} PUBLIC ${used_targets} ${ZEP_QT_LIBRARIES})
        target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
        target_compile_definitions(${name} PUBLIC
            QT_NO_CAST_FROM_BYTEARRAY ZEP_VERSION="${PROJECT_VERSION}")
    else()
        add_library(${name} INTERFACE)
        target_link_libraries(${name} INTERFACE ${used_targets} ${ZEP_QT_LIBRARIES})
        target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR})
    endif()

    set(stamp ${CMAKE_CURRENT_BINARY_DIR}/includes/${name}.checked)
    add_custom_command(OUTPUT ${stamp}
        COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DFOLDER=${folder}
                "-DALLOWED=${ARG_USES}" "-DSOURCES=${sources}" -DSTAMP=${stamp}
                -P ${CMAKE_SOURCE_DIR}/cmake/checkincludes.cmake
        DEPENDS ${sources} ${CMAKE_SOURCE_DIR}/cmake/checkincludes.cmake
        COMMENT "Checking the includes of ${folder}/"
        VERBATIM)
    add_custom_target(${name}_includes DEPENDS ${stamp})
    add_dependencies(${name} ${name}_includes)

    set(ZEP_COMPONENT_TARGETS ${ZEP_COMPONENT_TARGETS} ${name} PARENT_SCOPE)
    set(ZEP_SOURCES ${ZEP_SOURCES} ${sources} PARENT_SCOPE)
endfunction()
