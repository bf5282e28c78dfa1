# Fails the build when the installer executable is longer than the bytes that
# precede its archive, and removes it so that no oversized program is left.
#   cmake -DFILE=installer.exe -DLIMIT=75264 -P check_size.cmake
file(SIZE "${FILE}" size)
if(size GREATER LIMIT)
  file(REMOVE "${FILE}")
  message(FATAL_ERROR "${FILE} is ${size} bytes, more than the ${LIMIT} bytes before the archive")
endif()
message(STATUS "${FILE}: ${size} of ${LIMIT} bytes")
