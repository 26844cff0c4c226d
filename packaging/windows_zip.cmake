# The Windows zip, Velmorande-<version>-win64.zip: the DLL, a read-me and the licence, loose
# at the top so that it unpacks straight into a VST folder. `cpack` in the Windows build
# tree writes it (scripts/windows.sh, once the DLL's suite has passed).
set(readme ${CMAKE_CURRENT_BINARY_DIR}/Velmorande-README.txt)
set(licence ${CMAKE_CURRENT_BINARY_DIR}/Velmorande-LICENSE.txt)
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/windows_readme.txt.in ${readme} @ONLY
    NEWLINE_STYLE CRLF)
configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${licence} @ONLY NEWLINE_STYLE CRLF)

install(TARGETS velmorande LIBRARY DESTINATION .)
install(FILES ${readme} ${licence} DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Velmorande)
set(CPACK_PACKAGE_VENDOR Talvo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Velmorande-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
include(CPack)
