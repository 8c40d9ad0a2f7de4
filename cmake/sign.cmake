# Authenticode signing of servicepack.exe as the last build step, when the
# release engineer names a PKCS#12 file and a file holding its password.
set(SIGN_PKCS12 "" CACHE FILEPATH "PKCS#12 file (certificate and key) to sign servicepack.exe with")
set(SIGN_PASSWORD_FILE "" CACHE FILEPATH "File whose first line is the PKCS#12 password")
set(SIGN_TIMESTAMP_URL "" CACHE STRING "RFC 3161 time-stamp server (optional)")

if(SIGN_PKCS12 AND SIGN_PASSWORD_FILE)
    find_program(OSSLSIGNCODE osslsigncode REQUIRED)
    foreach(file SIGN_PKCS12 SIGN_PASSWORD_FILE)
        if(NOT EXISTS "${${file}}")
            message(FATAL_ERROR "${file}: no such file: ${${file}}")
        endif()
    endforeach()
    set(timestamp)
    if(SIGN_TIMESTAMP_URL)
        set(timestamp -ts ${SIGN_TIMESTAMP_URL})
    endif()
    # Signed into a side file and moved over, so a failed signing leaves no
    # half-signed executable behind (the build fails and relinks next time).
    add_custom_command(TARGET servicepack POST_BUILD
        COMMAND ${CMAKE_COMMAND} -E remove -f $<TARGET_FILE:servicepack>.signed
        COMMAND ${OSSLSIGNCODE} sign -pkcs12 ${SIGN_PKCS12} -readpass ${SIGN_PASSWORD_FILE}
                -h sha256 -n "Corvanta service pack installer" ${timestamp}
                -in $<TARGET_FILE:servicepack> -out $<TARGET_FILE:servicepack>.signed
        COMMAND ${CMAKE_COMMAND} -E rename $<TARGET_FILE:servicepack>.signed $<TARGET_FILE:servicepack>
        COMMENT "Signing servicepack.exe (Authenticode, SHA-256)" VERBATIM)
elseif(SIGN_PKCS12 OR SIGN_PASSWORD_FILE)
    message(FATAL_ERROR "Signing needs both SIGN_PKCS12 and SIGN_PASSWORD_FILE")
else()
    message(STATUS "servicepack.exe will not be signed (set SIGN_PKCS12 and SIGN_PASSWORD_FILE to sign it)")
endif()
