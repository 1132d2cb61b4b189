# The Windows packages beside stakora.exe: the installer (NSIS) and the portable zip. The exe
# itself needs neither: without NSIS, only the installer is left out, and building it says why.
find_program(MAKENSIS makensis)
set(STAKORA_SETUP ${PROJECT_BINARY_DIR}/stakora-${PROJECT_VERSION}-setup.exe)
set(STAKORA_ZIP ${PROJECT_BINARY_DIR}/stakora-${PROJECT_VERSION}-win64.zip)
set(script ${CMAKE_CURRENT_LIST_DIR}/stakora.nsi)
# The program as it is published, on its own and in both packages: stakora.exe, signed when the
# maintainer names a code-signing certificate (its password in STAKORA_WINDOWS_CERT_PASSWORD at
# build time, never in the cache). The installer and the uninstaller it writes are signed too.
set(STAKORA_WINDOWS_CERT "" CACHE FILEPATH
    "PKCS#12 certificate that signs the Windows program and installer; empty: unsigned")
set(STAKORA_PUBLISHED_EXE ${PROJECT_BINARY_DIR}/stakora-${PROJECT_VERSION}-win64.exe)
string(TIMESTAMP epoch "%s" UTC)  # honours SOURCE_DATE_EPOCH: the files' and signatures' time
set(sign ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${epoch} ${CMAKE_CURRENT_LIST_DIR}/sign_pe.sh)
set(signing "")
set(nsis_signing "")
if(STAKORA_WINDOWS_CERT)
    set(signing COMMAND ${sign} ${STAKORA_WINDOWS_CERT} Stakora ${STAKORA_HOMEPAGE}
                        ${STAKORA_PUBLISHED_EXE})
    set(nsis_signing "-DSIGN=${CMAKE_CURRENT_LIST_DIR}/sign_pe.sh"
                     "-DSIGN_CERT=${STAKORA_WINDOWS_CERT}" "-DSIGN_URL=${STAKORA_HOMEPAGE}")
endif()
add_custom_command(
    OUTPUT ${STAKORA_PUBLISHED_EXE}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:stakora> ${STAKORA_PUBLISHED_EXE}
    ${signing}
    DEPENDS stakora ${CMAKE_CURRENT_LIST_DIR}/sign_pe.sh
    COMMENT "Published program ${STAKORA_PUBLISHED_EXE}"
    VERBATIM)
# The reader's note and the licence with Windows line ends, for every Notepad.
set(portable ${PROJECT_BINARY_DIR}/portable)
configure_file(${CMAKE_CURRENT_LIST_DIR}/LEGGIMI.txt ${portable}/LEGGIMI.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(${STAKORA_LICENSE_FILE} ${portable}/LICENSE.txt NEWLINE_STYLE CRLF)
if(MAKENSIS)
    add_custom_command(
        OUTPUT ${STAKORA_SETUP}
        COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${epoch}
                ${MAKENSIS} -V2 -DEXE=${STAKORA_PUBLISHED_EXE} -DICON=${STAKORA_ICON}
                -DLICENSE=${portable}/LICENSE.txt "-DCOPYRIGHT=${STAKORA_COPYRIGHT}"
                -DVERSION=${PROJECT_VERSION} -DVERSION_QUAD=${STAKORA_VERSION_QUAD}
                "-DPUBLISHER=${STAKORA_PUBLISHER}" -DHOMEPAGE=${STAKORA_HOMEPAGE}
                -DHELP=${STAKORA_HELP_URL}
                ${nsis_signing} -DOUTFILE=${STAKORA_SETUP} ${script}
        DEPENDS ${STAKORA_PUBLISHED_EXE} ${script} ${STAKORA_ICON} ${portable}/LICENSE.txt
        COMMENT "Installer ${STAKORA_SETUP}"
        VERBATIM)
else()
    message(STATUS "makensis not found: the installer is not built (apt-get install nsis)")
    add_custom_command(
        OUTPUT ${STAKORA_SETUP}
        COMMAND ${CMAKE_COMMAND} -E echo
                "The installer needs NSIS: apt-get install nsis, then configure again."
        COMMAND ${CMAKE_COMMAND} -E false
        COMMENT "Installer ${STAKORA_SETUP}")
endif()

find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_custom_command(
    OUTPUT ${STAKORA_ZIP}
    COMMAND ${CMAKE_COMMAND} -E copy ${STAKORA_PUBLISHED_EXE} ${portable}/stakora.exe
    COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${epoch} ${Python3_EXECUTABLE}
            ${CMAKE_CURRENT_LIST_DIR}/portable_zip.py ${STAKORA_ZIP} ${portable}/stakora.exe
            ${portable}/LEGGIMI.txt ${portable}/LICENSE.txt
    DEPENDS ${STAKORA_PUBLISHED_EXE} ${CMAKE_CURRENT_LIST_DIR}/portable_zip.py
            ${CMAKE_CURRENT_LIST_DIR}/LEGGIMI.txt ${STAKORA_LICENSE_FILE}
    COMMENT "Portable zip ${STAKORA_ZIP}"
    VERBATIM)
add_custom_target(windows_zip ALL DEPENDS ${STAKORA_ZIP})
# The installer is built by default only where it can be; asked for by name (the target
# windows_packages) without NSIS, it says what is missing.
if(MAKENSIS)
    set(by_default ALL)
endif()
add_custom_target(windows_packages ${by_default} DEPENDS ${STAKORA_SETUP})
add_dependencies(windows_packages windows_zip)
