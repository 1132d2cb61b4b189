# The Windows packages beside stakora.exe: the installer (NSIS) and the portable zip. The exe
# itself needs neither: without NSIS, only the installer is left out, and building it says why.
find_program(MAKENSIS makensis)
set(STAKORA_SETUP ${PROJECT_BINARY_DIR}/stakora-${PROJECT_VERSION}-setup.exe)
set(STAKORA_ZIP ${PROJECT_BINARY_DIR}/stakora-${PROJECT_VERSION}-win64.zip)
set(script ${CMAKE_CURRENT_LIST_DIR}/stakora.nsi)
# The reader's note and the licence with Windows line ends, for every Notepad.
set(portable ${PROJECT_BINARY_DIR}/portable)
configure_file(${CMAKE_CURRENT_LIST_DIR}/LEGGIMI.txt ${portable}/LEGGIMI.txt NEWLINE_STYLE CRLF)
configure_file(${STAKORA_LICENSE_FILE} ${portable}/LICENSE.txt NEWLINE_STYLE CRLF)
if(MAKENSIS)
    add_custom_command(
        OUTPUT ${STAKORA_SETUP}
        COMMAND ${MAKENSIS} -V2 -DEXE=$<TARGET_FILE:stakora> -DICON=${STAKORA_ICON}
                -DLICENSE=${portable}/LICENSE.txt "-DCOPYRIGHT=${STAKORA_COPYRIGHT}"
                -DOUTFILE=${STAKORA_SETUP} ${script}
        DEPENDS stakora ${script} ${STAKORA_ICON} ${portable}/LICENSE.txt
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
string(TIMESTAMP epoch "%s" UTC)  # honours SOURCE_DATE_EPOCH
add_custom_command(
    OUTPUT ${STAKORA_ZIP}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:stakora> ${portable}/stakora.exe
    COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${epoch} ${Python3_EXECUTABLE}
            ${CMAKE_CURRENT_LIST_DIR}/portable_zip.py ${STAKORA_ZIP} ${portable}/stakora.exe
            ${portable}/LEGGIMI.txt ${portable}/LICENSE.txt
    DEPENDS stakora ${CMAKE_CURRENT_LIST_DIR}/portable_zip.py
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
