# Header-only libraries of the build machine for the MinGW-w64 cross build. Their own
# package files point at /usr/include, whose C library headers are the build machine's and
# would replace MinGW-w64's; toml++'s even names Debian's compiled library. Here each library
# gets a folder of its own in the build tree that holds only a link to its headers.
function(header_only_package target header_dir)
  cmake_parse_arguments(ARG "" "" "DEFINITIONS" ${ARGN})
  if(TARGET ${target})
    return()
  endif()
  find_path(_headers_${target} NAMES "${header_dir}" PATHS /usr/include NO_DEFAULT_PATH
            NO_CMAKE_FIND_ROOT_PATH)
  if(NOT _headers_${target})
    message(FATAL_ERROR "${header_dir} not found in /usr/include for ${target}")
  endif()
  string(MAKE_C_IDENTIFIER "${target}" folder)
  set(include_dir "${CMAKE_BINARY_DIR}/host-headers/${folder}")
  file(MAKE_DIRECTORY "${include_dir}")
  if(NOT EXISTS "${include_dir}/${header_dir}")
    file(CREATE_LINK "${_headers_${target}}/${header_dir}" "${include_dir}/${header_dir}"
         SYMBOLIC)
  endif()
  add_library(${target} INTERFACE IMPORTED)
  set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${include_dir}"
                        INTERFACE_COMPILE_DEFINITIONS "${ARG_DEFINITIONS}")
endfunction()
