# protozero (Debian's libprotozero-dev) is header-only and installs no CMake files: its headers
# are looked for here. Defines Protozero_FOUND and the target Protozero::Protozero.
find_path(Protozero_INCLUDE_DIR protozero/version.hpp)
include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(Protozero REQUIRED_VARS Protozero_INCLUDE_DIR)
mark_as_advanced(Protozero_INCLUDE_DIR)
if(Protozero_FOUND AND NOT TARGET Protozero::Protozero)
  add_library(Protozero::Protozero INTERFACE IMPORTED)
  set_target_properties(Protozero::Protozero PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${Protozero_INCLUDE_DIR}")
endif()
