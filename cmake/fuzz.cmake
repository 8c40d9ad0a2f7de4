# Linux build: libFuzzer targets over the core's parsers, against the test doubles,
# under AddressSanitizer and UndefinedBehaviorSanitizer. Each runs for a bounded
# time from its seed corpus as a CTest test.
enable_testing()

set(FUZZ_SECONDS 20 CACHE STRING "How long each fuzz target runs in the tests")
set(FUZZ_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
target_compile_options(servicepack_core PUBLIC ${FUZZ_SANITIZE} -fsanitize=fuzzer-no-link)
target_link_options(servicepack_core PUBLIC ${FUZZ_SANITIZE})

file(GLOB DOUBLE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/doubles/*.cpp)
# Objects, not an archive: the core and the doubles call each other.
add_library(fuzz_doubles OBJECT ${DOUBLE_SOURCES})
target_include_directories(fuzz_doubles PUBLIC ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(fuzz_doubles PUBLIC servicepack_core)

file(GLOB FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/fuzz_*.cpp)
foreach(src ${FUZZ_SOURCES})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE fuzz_doubles servicepack_core)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    add_test(NAME ${name}
        COMMAND ${CMAKE_SOURCE_DIR}/tests/fuzz/run_fuzzer.sh $<TARGET_FILE:${name}>
                ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${name} ${FUZZ_SECONDS})
    set_tests_properties(${name} PROPERTIES TIMEOUT 300)
endforeach()
