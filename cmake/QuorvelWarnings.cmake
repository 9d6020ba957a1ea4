# Warning flags shared by every target of the project.
function(quorvel_target_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                             -Wold-style-cast -Wcast-align -Woverloaded-virtual
                                             -Wimplicit-fallthrough)
    if(QUORVEL_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

# A GoogleTest executable registered with CTest, one CTest case per test.
# quorvel_gtest(name SOURCES a.cpp b.cpp LIBS lib1 lib2 [LABELS l1 l2])
function(quorvel_gtest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
    quorvel_target_warnings(${name})
    # Cases are found in the sources at configure time, so each becomes its own CTest case with
    # the labels set here.
    gtest_add_tests(TARGET ${name} SOURCES ${ARG_SOURCES} TEST_LIST _cases)
    set_tests_properties(${_cases} PROPERTIES LABELS "unit;${ARG_LABELS}"
                         ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
endfunction()

# A QtTest executable registered with CTest as one case, run on the offscreen platform.
function(quorvel_qtest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test)
    quorvel_target_warnings(${name})
    add_test(NAME ${name} COMMAND ${name} -platform offscreen)
    set_tests_properties(${name} PROPERTIES LABELS "widgets;${ARG_LABELS}"
                         ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# Collects the sources of a folder: every .cpp and .h in it (not in subfolders), where files
# ending in _win32 build only on Windows and files ending in _linux only elsewhere.
function(quorvel_collect_sources out dir)
    file(GLOB _srcs CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h)
    if(WIN32)
        list(FILTER _srcs EXCLUDE REGEX "_linux\\.(cpp|h)$")
    else()
        list(FILTER _srcs EXCLUDE REGEX "_win32\\.(cpp|h)$")
    endif()
    set(${out} ${_srcs} PARENT_SCOPE)
endfunction()

# Tests labelled "thread" also build into the target `thread-tests`, which the ThreadSanitizer
# run builds instead of the whole tree.
if(NOT TARGET thread-tests)
    add_custom_target(thread-tests)
endif()
function(quorvel_mark_thread_test target)
    add_dependencies(thread-tests ${target})
endfunction()
