# Read by cpack before it makes a package. A Debian package whose dependencies could not be
# computed installs without SDL and then cannot start, so cpack stops instead of making one
# (CPack itself only warns and leaves the Depends line out).
if(CPACK_GENERATOR STREQUAL "DEB")
  find_program(VAULTREACH_DPKG_SHLIBDEPS dpkg-shlibdeps)
  find_program(VAULTREACH_FILE_UTILITY file)
  if(NOT VAULTREACH_DPKG_SHLIBDEPS OR NOT VAULTREACH_FILE_UTILITY)
    message(FATAL_ERROR "The package's dependencies cannot be computed without dpkg-shlibdeps "
                        "(package dpkg-dev) and file: tools/package/build.sh installs them")
  endif()
endif()
