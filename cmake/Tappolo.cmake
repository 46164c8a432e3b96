# Helpers shared by every folder's CMakeLists.txt.

# The program's version: the project's three numbers and a build number. The executable's
# version block is made from these; the About dialog, the package and the installer read it there.
set(TAPPOLO_BUILD_NUMBER 1)
set(TAPPOLO_VERSION_TEXT "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.${TAPPOLO_BUILD_NUMBER}")

# Our own code: all warnings are errors.
function(tappolo_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
    if(WIN32)
        target_compile_definitions(${target} PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
    endif()
endfunction()

set(TAPPOLO_RUN_GTEST ${CMAKE_CURRENT_LIST_DIR}/run-gtest.sh)
set(TAPPOLO_WINENV ${CMAKE_CURRENT_LIST_DIR}/winenv.sh)

# A GoogleTest program registered as one ctest test. It passes only when the program exits 0,
# prints GoogleTest's final PASSED line for at least one test, and reports no failure.
#   tappolo_add_gtest(name SOURCES a.cpp b.cpp LIBS core [TIMEOUT s] [LABELS l])
function(tappolo_add_gtest name)
    cmake_parse_arguments(arg "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${arg_SOURCES})
    tappolo_warnings(${name})
    target_link_libraries(${name} PRIVATE tappolo_testfiles)
    if(WIN32)
        target_link_libraries(${name} PRIVATE ${arg_LIBS} tappolo_testmain)
        set(emu ${CMAKE_CROSSCOMPILING_EMULATOR})
    else()
        target_link_libraries(${name} PRIVATE ${arg_LIBS} GTest::gtest_main GTest::gtest)
        set(emu "")
    endif()
    add_test(NAME ${name} COMMAND ${TAPPOLO_RUN_GTEST} ${emu} $<TARGET_FILE:${name}>)
    if(NOT arg_TIMEOUT)
        set(arg_TIMEOUT 300)
    endif()
    set_tests_properties(${name} PROPERTIES TIMEOUT ${arg_TIMEOUT} LABELS "${arg_LABELS}")
    if(WIN32)
        # One desktop, one keyboard, one tray: Win32 tests never run side by side.
        set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED winenv RESOURCE_LOCK winenv)
    endif()
endfunction()

# The Wine environment (prefix, Xvfb, wineserver, PulseAudio) as a ctest fixture, so that
# `ctest -R one_test` brings it up and takes it down by itself.
function(tappolo_winenv_fixture)
    add_test(NAME winenv_start COMMAND ${TAPPOLO_WINENV} start ${CMAKE_BINARY_DIR}/winenv)
    add_test(NAME winenv_stop COMMAND ${TAPPOLO_WINENV} stop ${CMAKE_BINARY_DIR}/winenv)
    set_tests_properties(winenv_start PROPERTIES FIXTURES_SETUP winenv TIMEOUT 300)
    set_tests_properties(winenv_stop PROPERTIES FIXTURES_CLEANUP winenv TIMEOUT 60)
endfunction()

# A shipped binary carries no debug information: the static runtime libraries bring theirs,
# which is most of the file. The symbols stay beside the build, in symbols/<file>.debug, to
# name the function at a crash address.
function(tappolo_strip target)
    if(NOT WIN32 OR NOT CMAKE_OBJCOPY OR NOT CMAKE_STRIP)
        return()
    endif()
    set(symbols ${CMAKE_BINARY_DIR}/symbols)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -E make_directory ${symbols}
        COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}>
                ${symbols}/$<TARGET_FILE_NAME:${target}>.debug
        COMMAND ${CMAKE_STRIP} --strip-all $<TARGET_FILE:${target}>
        VERBATIM)
endfunction()

# Debian's header-only library nlohmann-json for both builds. The cross build must not see the
# rest of /usr/include, so a folder in the build tree links to just this one.
function(tappolo_header_libraries)
    set(dir ${CMAKE_BINARY_DIR}/_deps/headers)
    file(MAKE_DIRECTORY ${dir})
    foreach(lib nlohmann)
        if(NOT EXISTS ${dir}/${lib})
            file(CREATE_LINK /usr/include/${lib} ${dir}/${lib} SYMBOLIC)
        endif()
    endforeach()
    add_library(tappolo_third_party_headers INTERFACE)
    target_include_directories(tappolo_third_party_headers SYSTEM INTERFACE ${dir})
endfunction()
