# Small helpers that keep the per-folder CMake files short.

# marlovex_library(NAME SOURCES ... [DEPS ...])
# A static library whose headers are included as "platform/...", "frame/..." and so on.
function(marlovex_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    if(ARG_DEPS)
        target_link_libraries(${name} PUBLIC ${ARG_DEPS})
    endif()
endfunction()

# marlovex_test(NAME SOURCES ... [DEPS ...] [QT])
# One GoogleTest executable, registered with CTest as one test: a process per test case would
# spend more time starting (under the sanitizers) than testing. QT tests get a main() that
# creates the application object and run on the offscreen platform.
function(marlovex_test name)
    cmake_parse_arguments(ARG "QT" "" "SOURCES;DEPS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock)
    if(ARG_QT)
        target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/qt_test_main.cpp)
        target_link_libraries(${name} PRIVATE Qt6::Widgets Qt6::Test)
        target_compile_definitions(${name} PRIVATE
            OFFSCREEN_SCREEN_CONFIG="${PROJECT_SOURCE_DIR}/tests/support/offscreen_screen.json")
    else()
        target_link_libraries(${name} PRIVATE GTest::gtest_main)
    endif()
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# The local HTTP server that the tests and the benchmarks of Lorquin's quote sources both use;
# defined by whichever of tests/ and bench/ asks first.
function(marlovex_test_http_server)
    if(NOT TARGET marlovex_test_http_server)
        add_library(marlovex_test_http_server STATIC ${PROJECT_SOURCE_DIR}/tests/support/test_http_server.cpp)
        target_include_directories(marlovex_test_http_server PUBLIC ${PROJECT_SOURCE_DIR}/tests)
        find_package(Threads REQUIRED)
        target_link_libraries(marlovex_test_http_server PUBLIC Threads::Threads)
    endif()
endfunction()

# Installed, the programs share a private folder. A tracker starts AppDir + "Lorquin", and AppDir
# is the frame's real directory (links resolved) without its "bin" folder: the frame lives in
# MARLOVEX_PROGRAM_DIR, Lorquin one level up in MARLOVEX_BASE_DIR.
set(MARLOVEX_BASE_DIR lib/marlovex)
set(MARLOVEX_PROGRAM_DIR ${MARLOVEX_BASE_DIR}/bin)

# marlovex_install_command(TARGET)
# Installs a program that users start into MARLOVEX_PROGRAM_DIR, with a link in <prefix>/bin for
# the PATH. The link is relative, so it holds under any prefix and DESTDIR.
function(marlovex_install_command target)
    install(TARGETS ${target} RUNTIME DESTINATION ${MARLOVEX_PROGRAM_DIR})
    get_target_property(name ${target} OUTPUT_NAME)
    if(NOT name)
        set(name ${target})
    endif()
    set(link_dir ${CMAKE_CURRENT_BINARY_DIR}/command-links)
    file(MAKE_DIRECTORY ${link_dir})
    file(CREATE_LINK ../${MARLOVEX_PROGRAM_DIR}/${name} ${link_dir}/${name} SYMBOLIC)
    install(FILES ${link_dir}/${name} DESTINATION bin)
endfunction()
