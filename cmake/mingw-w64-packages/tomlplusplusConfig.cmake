include("${CMAKE_CURRENT_LIST_DIR}/header_only.cmake")
# Debian ships toml++ compiled for the build machine; here it is used from its headers.
header_only_package(tomlplusplus::tomlplusplus toml++ DEFINITIONS TOML_HEADER_ONLY=1)
