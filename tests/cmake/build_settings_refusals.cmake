# Each bad setting is refused when the build is configured, naming the setting.
#   cmake -DSOURCE_DIR=... -P tests/cmake/build_settings_refusals.cmake
cmake_minimum_required(VERSION 3.21)
# variable|value (, for ;)|what the refusal says
set(cases
    "UP_TO_DATE_VERSION|13.4.0|not four numbers"
    "UP_TO_DATE_VERSION|13.4.0.x|not four numbers"
    "SERVICE_PACK_VERSION|1.0.0|not four numbers"
    "SERVICE_PACK_VERSION|1.O.0.0|not four numbers"
    "SERVICE_PACK_VERSION|1.0.0.65536|above 65535"
    "WATCHED_APPLICATIONS|bin\\plrx.exe=Plotrix|holds a path"
    "WATCHED_APPLICATIONS|a=A,b=B,c=C,d=D,e=E,f=F,g=G,h=H,i=I|9 applications"
    "WATCHED_APPLICATIONS||0 applications"
    "WATCHED_APPLICATIONS|plrx.exe=Plot\nrix|line break"
    "WATCHED_APPLICATIONS|plrx.exe|not file name=display name")
foreach(case IN LISTS cases)
    string(REGEX MATCH "^([^|]*)\\|(.*)\\|([^|]*)$" _ "${case}")
    set(variable "${CMAKE_MATCH_1}")
    string(REPLACE "," ";" value "${CMAKE_MATCH_2}")
    set(expected "${CMAKE_MATCH_3}")
    execute_process(COMMAND ${CMAKE_COMMAND} "-D${variable}=${value}"
        -P ${SOURCE_DIR}/cmake/build_settings.cmake
        RESULT_VARIABLE result ERROR_VARIABLE error OUTPUT_QUIET)
    string(REGEX REPLACE "[ \n]+" " " error "${error}")
    if(result EQUAL 0 OR NOT error MATCHES "${variable}: .*${expected}")
        message(SEND_ERROR "${variable}=\"${value}\": expected a refusal saying \"${expected}\", got: ${error}")
    endif()
endforeach()
execute_process(COMMAND ${CMAKE_COMMAND} -P ${SOURCE_DIR}/cmake/build_settings.cmake RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(SEND_ERROR "the default settings are refused")
endif()
