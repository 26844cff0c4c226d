# Run by CPack on the staged files before it packs them: the changelog added and the manual
# pages compressed as Debian installs them (gzip -9n: no name or time stamp inside).
# The newest entry must be for the version packed.
file(STRINGS ${CPACK_VELMORANDE_CHANGELOG} newest LIMIT_COUNT 1)
if(NOT newest MATCHES "^${CPACK_PACKAGE_NAME} \\(([^)]*)\\) " OR
   NOT CMAKE_MATCH_1 STREQUAL CPACK_PACKAGE_VERSION)
    message(FATAL_ERROR "${CPACK_VELMORANDE_CHANGELOG}: the newest entry is not for "
        "${CPACK_PACKAGE_VERSION}: add one for this version")
endif()

set(root ${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})
set(docs ${root}/share/doc/${CPACK_PACKAGE_NAME})
file(COPY ${CPACK_VELMORANDE_CHANGELOG} DESTINATION ${docs})
file(GLOB pages ${root}/share/man/man*/*.[1-9])
foreach(file ${docs}/changelog ${pages})
    execute_process(COMMAND gzip -9nf ${file} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
