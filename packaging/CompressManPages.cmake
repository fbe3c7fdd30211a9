# Run by cpack on the staged files before the package is made: Debian keeps manual pages
# compressed with gzip -9n (no name or time stamp, so the bytes depend on the page alone).
file(GLOB_RECURSE pages "${CPACK_TEMPORARY_DIRECTORY}/*/share/man/*")
foreach(page IN LISTS pages)
  if(NOT page MATCHES "\\.gz$" AND NOT IS_SYMLINK "${page}")
    execute_process(COMMAND gzip -9nf "${page}" RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
      message(FATAL_ERROR "gzip could not compress ${page}")
    endif()
  endif()
endforeach()
