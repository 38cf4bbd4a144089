# Run by cpack (CPACK_PRE_BUILD_SCRIPTS) on the folder a package is made
# from, before it is packed.
#
# Every folder 0755. The install rules set the files' modes, but the folders
# on the way (usr/, usr/share/kestrin/ ...) are made through the builder's
# umask, which would put 0700 folders into a package built under umask 077.
file(GLOB_RECURSE kestrin_staged LIST_DIRECTORIES true "${CPACK_TEMPORARY_DIRECTORY}/*")
set(kestrin_staged_folders "${CPACK_TEMPORARY_DIRECTORY}")
foreach(path IN LISTS kestrin_staged)
  if(IS_DIRECTORY "${path}" AND NOT IS_SYMLINK "${path}")
    list(APPEND kestrin_staged_folders "${path}")
  endif()
endforeach()
file(CHMOD ${kestrin_staged_folders} DIRECTORY_PERMISSIONS
     OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# A tree with changes not committed makes version x.y.z...-dirty, which
# Debian reads as a revision of a package that is not native: its changelog
# then goes by Debian's name for that, changelog.Debian.gz.
set(kestrin_doc "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/share/doc/kestrin")
set(kestrin_changelog "${kestrin_doc}/changelog.gz")
if(CPACK_GENERATOR STREQUAL "DEB" AND CPACK_PACKAGE_VERSION MATCHES "-" AND
   EXISTS "${kestrin_changelog}")
  file(RENAME "${kestrin_changelog}"
       "${kestrin_doc}/changelog.Debian.gz")
endif()
