# Read by libmpg123's own build (scripts/build-thirdparty.sh) right after its project():
# its DLL gets the name of the library's own Windows builds, libmpg123-0.dll, so that a
# user can put another build of the library in its place.
set(CMAKE_SHARED_LIBRARY_SUFFIX "-0.dll")
