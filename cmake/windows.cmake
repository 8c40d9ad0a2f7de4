# Windows build: the real executable with its resources; end-to-end tests run it under Wine.
enable_language(RC)
# Built for size: the work is the installer's and the disk's, not this code's, and
# -O3 made the executable a quarter larger (measured: 488 KiB over the payload against 385).
set(CMAKE_CXX_FLAGS_RELEASE "-Os -DNDEBUG")
# Neither checkout nor build directory may leak into the executable.
set(PATH_MAPS -ffile-prefix-map=${CMAKE_BINARY_DIR}/= -ffile-prefix-map=${CMAKE_SOURCE_DIR}/=)
target_compile_options(servicepack_core PRIVATE ${PATH_MAPS})
add_compile_options(${PATH_MAPS})
enable_testing()
find_package(Python3 REQUIRED COMPONENTS Interpreter)
# libmsi's Python binding is installed for Debian's own interpreter only.
set(DEBIAN_PYTHON /usr/bin/python3)

set(PATCH_PACKAGE "" CACHE FILEPATH "Patch package (.msp) to embed; empty embeds the demo patch")
set(PATCH_LIST_TEXTS "" CACHE STRING "Patch-list texts to embed as TXT 206, 207, ... (;-separated); empty embeds the demo text")
set(PATCH_LIST_CHECK "error" CACHE STRING
    "A patch-list text naming a product the patch does not target: error (fails the build) or warning")
set_property(CACHE PATCH_LIST_CHECK PROPERTY STRINGS error warning)
if(NOT PATCH_LIST_CHECK MATCHES "^(error|warning)$")
    message(FATAL_ERROR "PATCH_LIST_CHECK: \"${PATCH_LIST_CHECK}\" is neither error nor warning")
endif()

set(DEMO_DIR ${CMAKE_BINARY_DIR}/demo)
file(MAKE_DIRECTORY ${DEMO_DIR})

# Demo products, built by wixl from the WiX sources in demo/products; products
# only some end-to-end tests install (tests/e2e/data) go apart, to demo/tests.
file(GLOB DEMO_PRODUCT_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/demo/products/*.wxs)
file(GLOB TEST_PRODUCT_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/data/*.wxs)
file(MAKE_DIRECTORY ${DEMO_DIR}/tests)
set(DEMO_PRODUCTS)
foreach(wxs ${DEMO_PRODUCT_SOURCES} ${TEST_PRODUCT_SOURCES})
    get_filename_component(name ${wxs} NAME_WE)
    set(msi ${DEMO_DIR}/${name}.msi)
    if(wxs IN_LIST TEST_PRODUCT_SOURCES)
        set(msi ${DEMO_DIR}/tests/${name}.msi)
    endif()
    add_custom_command(OUTPUT ${msi}
        COMMAND wixl -a x64 -o ${msi} ${wxs}
        DEPENDS ${wxs}
        COMMENT "wixl ${name}.msi" VERBATIM)
    list(APPEND DEMO_PRODUCTS ${msi})
endforeach()
add_custom_target(demo_products ALL DEPENDS ${DEMO_PRODUCTS})

# Demo patches: a patch-class file whose template names the demo products.
function(demo_patch output codes)
    add_custom_command(OUTPUT ${output}
        COMMAND ${DEBIAN_PYTHON} ${CMAKE_SOURCE_DIR}/demo/make_patch.py --out ${output} --codes ${codes}
            --extra ${TEST_PRODUCT_SOURCES}
        DEPENDS ${CMAKE_SOURCE_DIR}/demo/make_patch.py ${DEMO_PRODUCT_SOURCES} ${TEST_PRODUCT_SOURCES}
        COMMENT "demo patch ${output}" VERBATIM)
endfunction()
demo_patch(${DEMO_DIR}/demo.msp 6)
demo_patch(${DEMO_DIR}/demo84.msp 84)
add_custom_target(demo_patches ALL DEPENDS ${DEMO_DIR}/demo.msp ${DEMO_DIR}/demo84.msp)

include(${CMAKE_SOURCE_DIR}/cmake/check_patch.cmake)

file(GLOB WIN32_PLATFORM_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/win32_*.cpp)
set(WIN32_EDGE_SOURCES
    ${CMAKE_SOURCE_DIR}/src/app/main.cpp
    ${WIN32_PLATFORM_SOURCES}
    ${CMAKE_SOURCE_DIR}/src/installer/installer_msi.cpp)
file(GLOB RESOURCE_FILES CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/src/resources/*.rc
    ${CMAKE_SOURCE_DIR}/src/resources/strings/*.rc
    ${CMAKE_SOURCE_DIR}/src/resources/servicepack.manifest
    ${CMAKE_SOURCE_DIR}/src/resources/servicepack.ico)

# One executable around one patch: the resource script is generated per target
# so each names its own payload, and rebuilt whenever an embedded file changes.
function(servicepack_add_executable target output_name patch texts)
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources.rc)
    set(body "#pragma code_page(65001)\n#include \"servicepack.rc\"\n\n")
    string(APPEND body "// Payload and patch-list texts, stored under Portuguese (Brazil).\nLANGUAGE 0x16, 0x01\n")
    string(APPEND body "IDR_MSP MSP \"${patch}\"\n")
    set(id 206)
    foreach(text ${texts})
        string(APPEND body "${id} TXT \"${text}\"\n")
        math(EXPR id "${id} + 1")
    endforeach()
    file(GENERATE OUTPUT ${rc} CONTENT "${body}")

    # The texts must describe the patch they travel with.
    set(checked ${CMAKE_CURRENT_BINARY_DIR}/${target}_patch_list.checked)
    set(warn)
    if(PATCH_LIST_CHECK STREQUAL "warning")
        set(warn --warn)
    endif()
    add_custom_command(OUTPUT ${checked}
        COMMAND ${DEBIAN_PYTHON} ${CMAKE_SOURCE_DIR}/tools/check_patch_list.py --patch ${patch}
            ${warn} --stamp ${checked} ${texts}
        DEPENDS ${CMAKE_SOURCE_DIR}/tools/check_patch_list.py ${patch} ${texts}
        COMMENT "patch-list texts of ${output_name} against its patch" VERBATIM)
    set_source_files_properties(${rc} PROPERTIES
        OBJECT_DEPENDS "${patch};${texts};${RESOURCE_FILES};${CMAKE_BINARY_DIR}/generated/build_settings.h;${checked}")

    add_executable(${target} WIN32 ${WIN32_EDGE_SOURCES} ${rc} ${checked})
    set_target_properties(${target} PROPERTIES OUTPUT_NAME ${output_name})
    target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/src/resources)
    target_link_libraries(${target} PRIVATE servicepack_core)
    # Page-aligned sections let the loader map the payload instead of reading it.
    # No link timestamp, so two builds of the same inputs are the same bytes.
    target_link_options(${target} PRIVATE -municode -static -s -Wl,--no-insert-timestamp
        -Wl,--file-alignment,4096 -Wl,--section-alignment,4096)
    target_compile_options(${target} PRIVATE -municode)
endfunction()

if(PATCH_PACKAGE)
    get_filename_component(PATCH_PACKAGE_ABS "${PATCH_PACKAGE}" ABSOLUTE)
    check_patch_signature("${PATCH_PACKAGE_ABS}")
else()
    set(PATCH_PACKAGE_ABS ${DEMO_DIR}/demo.msp)
endif()
if(PATCH_LIST_TEXTS)
    set(PATCH_LIST_ABS)
    foreach(text ${PATCH_LIST_TEXTS})
        get_filename_component(abs "${text}" ABSOLUTE)
        if(NOT EXISTS "${abs}")
            message(FATAL_ERROR "PATCH_LIST_TEXTS: no such file: ${abs}")
        endif()
        list(APPEND PATCH_LIST_ABS ${abs})
    endforeach()
else()
    set(PATCH_LIST_ABS ${CMAKE_SOURCE_DIR}/demo/patchlist.txt)
endif()

servicepack_add_executable(servicepack servicepack "${PATCH_PACKAGE_ABS}" "${PATCH_LIST_ABS}")
include(${CMAKE_SOURCE_DIR}/cmake/sign.cmake)

# Test-only variants: an 84-product template, and two patch-list texts.
servicepack_add_executable(servicepack_84 servicepack84 ${DEMO_DIR}/demo84.msp
    "${CMAKE_SOURCE_DIR}/demo/patchlist.txt;${CMAKE_SOURCE_DIR}/tests/e2e/data/patchlist2.txt")
set_target_properties(servicepack_84 PROPERTIES EXCLUDE_FROM_ALL FALSE)

# Small Windows helpers for the end-to-end tests.
file(GLOB E2E_TOOL_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/tools/*.cpp)
foreach(src ${E2E_TOOL_SOURCES})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE msi)
    target_link_options(${name} PRIVATE -municode -static)
    target_compile_options(${name} PRIVATE -municode)
endforeach()

# A stand-in msi.dll that marks where it was loaded; kept out of the build
# directory's root, where the helpers above would load it.
add_library(planted_msi SHARED ${CMAKE_SOURCE_DIR}/tests/e2e/tools/planted/msi.cpp)
set_target_properties(planted_msi PROPERTIES OUTPUT_NAME msi PREFIX ""
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/planted
    ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/planted)
target_link_options(planted_msi PRIVATE -static)

file(GLOB E2E_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/test_*.py)
foreach(test ${E2E_TESTS})
    get_filename_component(name ${test} NAME_WE)
    add_test(NAME e2e_${name} COMMAND ${DEBIAN_PYTHON} ${test})
    set_tests_properties(e2e_${name} PROPERTIES
        ENVIRONMENT "SERVICEPACK_BUILD_DIR=${CMAKE_BINARY_DIR};SERVICEPACK_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
        TIMEOUT 600)
endforeach()

# The guard lets a real patch package through.
add_test(NAME build_accepts_demo_patch
    COMMAND ${CMAKE_COMMAND} -DPATCH_PACKAGE=${DEMO_DIR}/demo.msp -P ${CMAKE_SOURCE_DIR}/cmake/check_patch.cmake)
