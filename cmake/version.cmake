# lpgctl --version: the program's version from its one home, the version
# resource's line in res/zuvels.rc ("#define ZUVELS_VERSION 5,2,0,0"), handed
# to cli/usage.cpp. Included by every build that compiles it.
# ZUVELS_REPO: the repository's root.
file(STRINGS ${ZUVELS_REPO}/res/zuvels.rc VERSION_LINE REGEX "^#define ZUVELS_VERSION ")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ZUVELS_REPO}/res/zuvels.rc)
if(NOT VERSION_LINE MATCHES "ZUVELS_VERSION ([0-9]+),([0-9]+),")
  message(FATAL_ERROR "no ZUVELS_VERSION line in res/zuvels.rc")
endif()
set_source_files_properties(${ZUVELS_REPO}/cli/usage.cpp PROPERTIES COMPILE_DEFINITIONS
  "ZUVELS_VERSION_MAJOR=${CMAKE_MATCH_1};ZUVELS_VERSION_MINOR=${CMAKE_MATCH_2}")
