# Helpers that give every library of the program the same shape.

# The program's texts are CP1250 bytes: its libraries and their tests compile
# UTF-8 sources into CP1250 literals. The platform layer never does.
function(dalmora_use_program_charset target)
    target_compile_options(${target} PRIVATE -finput-charset=UTF-8 -fexec-charset=CP1250)
endfunction()

# dalmora_library(<name> [EXCLUDE <file>...] DEPENDS <lib>... [PRIVATE_DEPENDS <lib>...])
# One static library from every .cpp of the calling folder.
function(dalmora_library name)
    cmake_parse_arguments(ARG "PLATFORM" "" "EXCLUDE;DEPENDS;PRIVATE_DEPENDS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
    foreach(excluded IN LISTS ARG_EXCLUDE)
        list(REMOVE_ITEM sources "${CMAKE_CURRENT_SOURCE_DIR}/${excluded}")
    endforeach()
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}")
    target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
    # Used inside only: their headers do not reach the layers above.
    if(ARG_PRIVATE_DEPENDS)
        target_link_libraries(${name} PRIVATE ${ARG_PRIVATE_DEPENDS})
    endif()
    if(NOT ARG_PLATFORM)
        dalmora_use_program_charset(${name})
    endif()
endfunction()

# dalmora_test_binary(<folder> DEPENDS <lib>... [PLATFORM] [LABELS <label>...])
# One GoogleTest binary from tests/<folder>/*_test.cpp.
function(dalmora_test_binary folder)
    cmake_parse_arguments(ARG "PLATFORM" "" "DEPENDS;EXTRA_SOURCES;LABELS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*_test.cpp")
    set(target ${folder}_tests)
    add_executable(${target} ${sources} ${ARG_EXTRA_SOURCES})
    target_link_libraries(${target} PRIVATE ${ARG_DEPENDS} GTest::gtest GTest::gmock GTest::gtest_main)
    target_compile_definitions(${target} PRIVATE
        DALMORA_TEST_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/${folder}/data/"
        DALMORA_BINARY_DIR="${CMAKE_BINARY_DIR}/")
    if(NOT ARG_PLATFORM)
        dalmora_use_program_charset(${target})
    endif()
    set(labels)
    if(ARG_LABELS)
        set(labels LABELS "${ARG_LABELS}")
    endif()
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT "TZ=Europe/Prague" ${labels})
endfunction()
