# What changes from one service pack to the next without touching the code:
# checked here, handed to the code and the version resource as one generated header.
# Included by the build; the checks also run alone (as the refusal test does):
#   cmake -DUP_TO_DATE_VERSION=... -DWATCHED_APPLICATIONS=... -DSERVICE_PACK_VERSION=... -P cmake/build_settings.cmake
set(UP_TO_DATE_VERSION "13.3.0.5" CACHE STRING
    "Products at or above this version (four numbers) count as already updated")
set(WATCHED_APPLICATIONS "plrx.exe=Plotrix;modelara.exe=Modelara" CACHE STRING
    "Applications to close before installing: file name=display name, ;-separated, 1 to 8, checked in this order")
set(SERVICE_PACK_VERSION "1.0.0.0" CACHE STRING
    "File and product version of the executable (four numbers)")

# Four numbers of at most 65535 each: what the version resource can hold.
function(check_four_part_version variable)
    set(value "${${variable}}")
    if(NOT value MATCHES "^[0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+$")
        message(FATAL_ERROR "${variable}: \"${value}\" is not four numbers separated by dots (like 1.0.0.0)")
    endif()
    string(REPLACE "." ";" parts "${value}")
    foreach(part ${parts})
        if(part GREATER 65535)
            message(FATAL_ERROR "${variable}: \"${value}\" has a number above 65535")
        endif()
    endforeach()
endfunction()

# Sets WATCHED_APPLICATION_ROWS to the C++ initialisers of the list.
function(check_watched_applications)
    set(list "${WATCHED_APPLICATIONS}")
    if(list MATCHES "[\r\n]")
        message(FATAL_ERROR "WATCHED_APPLICATIONS: a display name holds a line break; "
            "the box puts one after each name itself")
    endif()
    list(LENGTH list count)
    if(count LESS 1 OR count GREATER 8)
        message(FATAL_ERROR "WATCHED_APPLICATIONS: ${count} applications; give 1 to 8 file name=display name pairs")
    endif()
    set(rows "")
    foreach(pair IN LISTS list)
        if(NOT pair MATCHES "^([^=]+)=(.+)$")
            message(FATAL_ERROR "WATCHED_APPLICATIONS: \"${pair}\" is not file name=display name")
        endif()
        string(STRIP "${CMAKE_MATCH_1}" file)
        string(STRIP "${CMAKE_MATCH_2}" name)
        # Compared with the process list's bare executable names.
        if(file MATCHES "[\\\\/:*?\"<>|]")
            message(FATAL_ERROR "WATCHED_APPLICATIONS: file name \"${file}\" holds a path or a character "
                "no file name may hold")
        endif()
        string(REPLACE "\\" "\\\\" name "${name}")
        string(REPLACE "\"" "\\\"" name "${name}")
        string(APPEND rows "    {u\"${file}\", u\"${name}\\n\"},\\\n")
    endforeach()
    set(WATCHED_APPLICATION_ROWS "${rows}" PARENT_SCOPE)
endfunction()

check_four_part_version(UP_TO_DATE_VERSION)
check_four_part_version(SERVICE_PACK_VERSION)
check_watched_applications()

if(NOT CMAKE_SCRIPT_MODE_FILE)
    string(REPLACE "." ", " SERVICE_PACK_VERSION_NUMBERS "${SERVICE_PACK_VERSION}")
    configure_file(${CMAKE_CURRENT_LIST_DIR}/build_settings.h.in
        ${CMAKE_BINARY_DIR}/generated/build_settings.h @ONLY)
endif()
