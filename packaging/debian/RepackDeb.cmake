# Run by CPack after it has made the .deb (CPACK_POST_BUILD_SCRIPTS). CPack stamps its archives
# and their files with the time of the build; dpkg-deb, given SOURCE_DATE_EPOCH, does not. So the
# package is unpacked, every file given the source's time and the usual modes, and packed again by dpkg-deb, with
# root as the owner of every file: the same sources then always give the same .deb.
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
    if(NOT deb MATCHES "\\.deb$")
        continue()
    endif()
    set(tree ${deb}.tree)
    file(REMOVE_RECURSE ${tree})
    execute_process(COMMAND dpkg-deb --raw-extract ${deb} ${tree} COMMAND_ERROR_IS_FATAL ANY)
    # Modes as Debian wants them whatever the builder's umask: rwx for root, r-x (r--) for all.
    execute_process(COMMAND chmod -R u+rwX,go=rX ${tree} COMMAND_ERROR_IS_FATAL ANY)
    execute_process(COMMAND find ${tree} -exec touch --no-dereference
                            --date=@${CPACK_STAKORA_SOURCE_DATE_EPOCH} {} +
                    COMMAND_ERROR_IS_FATAL ANY)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env
                            SOURCE_DATE_EPOCH=${CPACK_STAKORA_SOURCE_DATE_EPOCH}
                            dpkg-deb --root-owner-group --build ${tree} ${deb}
                    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE_RECURSE ${tree})
endforeach()
