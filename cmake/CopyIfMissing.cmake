# Copies SOURCE to DESTINATION unless DESTINATION already exists, so a user's
# own data file beside the program is never replaced by the delivered one.
#   cmake -DSOURCE=<file> -DDESTINATION=<file> -P CopyIfMissing.cmake
if(NOT DEFINED SOURCE OR NOT DEFINED DESTINATION)
  message(FATAL_ERROR "CopyIfMissing.cmake needs SOURCE and DESTINATION")
endif()
if(NOT EXISTS "${DESTINATION}" AND NOT IS_SYMLINK "${DESTINATION}")
  get_filename_component(_dir "${DESTINATION}" DIRECTORY)
  file(MAKE_DIRECTORY "${_dir}")
  file(COPY_FILE "${SOURCE}" "${DESTINATION}")
endif()
