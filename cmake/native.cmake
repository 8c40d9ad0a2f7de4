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
