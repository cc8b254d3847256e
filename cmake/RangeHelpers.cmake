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
    # A program split with range_split_test is run in its parts only.
    if(NOT name IN_LIST RANGE_SPLIT_TESTS)
        range_run_test(${name} ${name})
    endif()
endfunction()

# range_run_test(<test name> <program> [test functions...])
function(range_run_test test program)
    add_test(NAME ${test} COMMAND ${program} ${ARGN})
    set_tests_properties(${test} PROPERTIES
        TIMEOUT 600
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;RANGE_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()

# range_split_test(<name> PART <functions...> [PART <functions...>]...)
# Runs the test program <name> (listed in RANGE_SPLIT_TESTS before
# range_add_folder_tests) as CTest entries that can run side by side: one
# per PART, <name>_<first function>, with those test functions, and <name>
# with every other test function of the first "private slots:" section of
# <name>.cpp, so that a function added there later runs too. For programs
# whose functions wait long on real clocks (a simulated line's targets).
function(range_split_test name)
    set(_file ${CMAKE_CURRENT_SOURCE_DIR}/${name}.cpp)
    # Its functions are read again whenever it changes.
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_file})
    file(READ ${_file} _source)
    string(FIND "${_source}" "private slots:" _from)
    string(SUBSTRING "${_source}" ${_from} -1 _source)
    string(FIND "${_source}" "private:" _to)
    string(SUBSTRING "${_source}" 0 ${_to} _slots)
    string(REGEX MATCHALL "void [A-Za-z0-9_]+\\(\\)" _declarations "${_slots}")
    set(_rest)
    foreach(_declaration ${_declarations})
        string(REGEX REPLACE "void ([A-Za-z0-9_]+).*" "\\1" _function "${_declaration}")
        if(NOT _function MATCHES "^(init|cleanup|initTestCase|cleanupTestCase)$|_data$")
            list(APPEND _rest ${_function})
        endif()
    endforeach()
    set(_part)
    foreach(_word ${ARGN} PART)
        if(_word STREQUAL "PART")
            if(_part)
                list(GET _part 0 _first)
                range_run_test(${name}_${_first} ${name} ${_part})
            endif()
            set(_part)
        elseif(_word IN_LIST _rest)
            list(APPEND _part ${_word})
            list(REMOVE_ITEM _rest ${_word})
        else()
            message(FATAL_ERROR "${name}: no test function ${_word}, or named twice")
        endif()
    endforeach()
    if(_rest)
        range_run_test(${name} ${name} ${_rest})
    endif()
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
