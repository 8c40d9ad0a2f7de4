# Refuses a patch package that is missing or is not a compound file.
# Included by the Windows build; also runs alone:
#   cmake -DPATCH_PACKAGE=file -P cmake/check_patch.cmake
function(check_patch_signature path)
    if(NOT EXISTS "${path}" OR IS_DIRECTORY "${path}")
        message(FATAL_ERROR "PATCH_PACKAGE: no such file: ${path}")
    endif()
    file(READ "${path}" head LIMIT 8 HEX)
    if(NOT head STREQUAL "d0cf11e0a1b11ae1")
        message(FATAL_ERROR "PATCH_PACKAGE: ${path} is not a patch package "
            "(it does not begin with the compound-file signature D0 CF 11 E0 A1 B1 1A E1)")
    endif()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE AND DEFINED PATCH_PACKAGE)
    check_patch_signature("${PATCH_PACKAGE}")
endif()
