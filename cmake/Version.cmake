# The one place that names the release: the programs' --version and About boxes, the
# desktop metadata and the Debian package all take it from here.
set(RELEASE_DATE 2026-12-07)

configure_file(${CMAKE_CURRENT_LIST_DIR}/app_version.h.in
               ${PROJECT_BINARY_DIR}/generated/app_version.h @ONLY)
add_library(app_version INTERFACE)
target_include_directories(app_version INTERFACE ${PROJECT_BINARY_DIR}/generated)
