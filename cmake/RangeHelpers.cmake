# range_add_library(<name> LIBS <libs...>)
# Builds the static library range_<name> from every source, form and resource
# file of the calling folder; its headers are found by file name.
function(range_add_library name)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    file(GLOB _sources CONFIGURE_DEPENDS
        ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp
        ${CMAKE_CURRENT_SOURCE_DIR}/*.h
        ${CMAKE_CURRENT_SOURCE_DIR}/*.ui
        ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
    if(NOT _sources MATCHES "\\.cpp")
        return() # the folder has no code yet
    endif()
    add_library(range_${name} STATIC ${_sources})
    target_include_directories(range_${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(range_${name} PUBLIC ${ARG_LIBS})
endfunction()

# range_add_test(<name> [SOURCES <files...>] LIBS <libs...>)
# One Qt Test executable under CTest, run on the offscreen platform.
# SOURCES defaults to <name>.cpp.
function(range_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    if(NOT ARG_SOURCES)
        set(ARG_SOURCES ${name}.cpp)
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} range_testsupport Qt5::Test)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        TIMEOUT 600
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;RANGE_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()

# range_add_folder_tests(LIBS <libs...>)
# Every tst_*.cpp of the calling folder becomes one test program.
function(range_add_folder_tests)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    file(GLOB _tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp)
    foreach(_test ${_tests})
        get_filename_component(_name ${_test} NAME_WE)
        range_add_test(${_name} SOURCES ${_test} LIBS ${ARG_LIBS})
    endforeach()
endfunction()
