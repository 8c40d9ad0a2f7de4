# Linux build: the core against the test doubles, under ASan and UBSan.
enable_testing()
find_package(GTest REQUIRED)
include(GoogleTest)

set(SANITIZE_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
target_compile_options(servicepack_core PUBLIC ${SANITIZE_FLAGS})
target_link_options(servicepack_core PUBLIC ${SANITIZE_FLAGS})

file(GLOB DOUBLE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/doubles/*.cpp)
file(GLOB_RECURSE UNIT_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)

add_executable(unit_tests ${UNIT_SOURCES} ${DOUBLE_SOURCES})
target_include_directories(unit_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_compile_definitions(unit_tests PRIVATE
    SERVICEPACK_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
target_link_libraries(unit_tests PRIVATE servicepack_core GTest::gtest GTest::gtest_main)

gtest_discover_tests(unit_tests DISCOVERY_MODE PRE_TEST)

# The build's guard against embedding something that is not a patch package.
add_test(NAME build_refuses_missing_patch
    COMMAND ${CMAKE_COMMAND} -DPATCH_PACKAGE=${CMAKE_BINARY_DIR}/no-such.msp -P ${CMAKE_SOURCE_DIR}/cmake/check_patch.cmake)
add_test(NAME build_refuses_non_patch
    COMMAND ${CMAKE_COMMAND} -DPATCH_PACKAGE=${CMAKE_SOURCE_DIR}/README.md -P ${CMAKE_SOURCE_DIR}/cmake/check_patch.cmake)
set_tests_properties(build_refuses_missing_patch build_refuses_non_patch PROPERTIES WILL_FAIL TRUE)
