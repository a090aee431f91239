# libosmium is header-only and Debian's libosmium2-dev installs no CMake files of its own: its
# headers, and protozero's (libprotozero-dev) for the PBF format, are looked for here.
# Defines Osmium_FOUND and the target Osmium::Osmium (the headers with the libraries their XML,
# PBF and compressed formats need: expat, zlib, bzip2, threads).
find_path(Osmium_INCLUDE_DIR osmium/version.hpp)
include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(Osmium REQUIRED_VARS Osmium_INCLUDE_DIR)
mark_as_advanced(Osmium_INCLUDE_DIR)
if(Osmium_FOUND AND NOT TARGET Osmium::Osmium)
  add_library(Osmium::Osmium INTERFACE IMPORTED)
  set_target_properties(Osmium::Osmium PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${Osmium_INCLUDE_DIR}")
endif()
