# Run by CPack on the packages it wrote. CPack adds an ldconfig call as postinst and postrm
# to any package with a library up to one folder below /usr/lib; plug-ins are not on the
# loader's path, so the calls do nothing but keep dpkg's record of the package after
# `dpkg -r` (until purged) and draw lintian's warning. The package is built again without
# them, everything else as CPack made it.
foreach(deb ${CPACK_PACKAGE_FILES})
    set(tree ${CPACK_TOPLEVEL_DIRECTORY}/repack)
    file(REMOVE_RECURSE ${tree})
    execute_process(COMMAND dpkg-deb --raw-extract ${deb} ${tree} COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE ${tree}/DEBIAN/postinst ${tree}/DEBIAN/postrm)
    execute_process(COMMAND dpkg-deb --root-owner-group --build ${tree} ${deb}
        OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE_RECURSE ${tree})
endforeach()
