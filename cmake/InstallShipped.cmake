# Writes the read-only data of an installation, share/tamberon, afresh with the build's
# generators, as the build writes its program folder: the build's own program folder also
# holds what its runs wrote (projects, copies), which no installation gets. Run by
# "cmake --install" (cmake/Package.cmake sets the TAMBERON_* variables).
set(dest "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${TAMBERON_SHIPPED}")
message(STATUS "Writing: ${dest}")
file(REMOVE_RECURSE "${dest}")
file(MAKE_DIRECTORY "${dest}")
execute_process(COMMAND "${TAMBERON_MAKE_APPDIR}" "${TAMBERON_DATA}" "${dest}"
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND "${TAMBERON_MAKE_DOCUMENTS}" "${TAMBERON_DATA}" "${dest}"
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND "${TAMBERON_MAKE_DEMO}" "${dest}" COMMAND_ERROR_IS_FATAL ANY)
# The reference documents the Km1 window links to.
file(GLOB documents "${TAMBERON_DATA}/documents/*.htm")
file(COPY ${documents} DESTINATION "${dest}/data")
# Each valuer's program folder gets its own scratch folder.
file(REMOVE_RECURSE "${dest}/Temp")
file(CHMOD_RECURSE "${dest}"
     FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
     DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                           WORLD_READ WORLD_EXECUTE)
