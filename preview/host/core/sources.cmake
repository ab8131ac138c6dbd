# The ASP host's portable core, for the native library here and the host's mingw build.
# It needs only a C++20 compiler; it uses base/ascii_text and jet/ole_date, which the
# native build links and the host's build compiles in (below).
set(TABULON_HOST_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/builtin_rewriter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/comparison_rewriter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/compile_diagnosis.cpp
  ${CMAKE_CURRENT_LIST_DIR}/construct_rewriter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/front_link.cpp
  ${CMAKE_CURRENT_LIST_DIR}/http_parser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/http_request.cpp
  ${CMAKE_CURRENT_LIST_DIR}/leading_locale.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ole_date.cpp
  ${CMAKE_CURRENT_LIST_DIR}/page_translator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/runtime_diagnosis.cpp
  ${CMAKE_CURRENT_LIST_DIR}/session_token.cpp
  ${CMAKE_CURRENT_LIST_DIR}/stored_state.cpp
  ${CMAKE_CURRENT_LIST_DIR}/vb_dates.cpp
  ${CMAKE_CURRENT_LIST_DIR}/vb_errors.cpp
  ${CMAKE_CURRENT_LIST_DIR}/vb_escape.cpp
  ${CMAKE_CURRENT_LIST_DIR}/vbs_tokens.cpp
)
get_filename_component(TABULON_HOST_CORE_BASE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/../../../base/ascii_text.cpp ABSOLUTE)
# The folder to put on the include path: sources include "base/…" and "jet/…".
get_filename_component(TABULON_HOST_CORE_INCLUDE_DIR ${CMAKE_CURRENT_LIST_DIR}/../../.. ABSOLUTE)
