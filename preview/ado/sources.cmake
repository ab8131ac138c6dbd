# The ADO core's sources, for the native library here and the ASP host's mingw build.
# They need only a C++20 compiler and the sqlite3 C API (sqlite3.h on the include path).
set(TABULON_ADO_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/catalog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/connection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/data_source.cpp
  ${CMAKE_CURRENT_LIST_DIR}/errors.cpp
  ${CMAKE_CURRENT_LIST_DIR}/jet_values.cpp
  ${CMAKE_CURRENT_LIST_DIR}/like_pattern.cpp
  ${CMAKE_CURRENT_LIST_DIR}/recordset.cpp
  ${CMAKE_CURRENT_LIST_DIR}/recordset_criteria.cpp
  ${CMAKE_CURRENT_LIST_DIR}/session.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sql_expression.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sql_from.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sql_function_call.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sql_function_more.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sql_functions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sql_lexer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sql_select.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sql_table_design.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sql_translate.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sql_vba_functions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sql_write.cpp
  ${CMAKE_CURRENT_LIST_DIR}/vba_dates.cpp
  ${CMAKE_CURRENT_LIST_DIR}/vba_format.cpp
)
# The one file of jet/ the core uses (OLE dates): the host's build compiles it with the core,
# the native build links tabulon_jet.
get_filename_component(TABULON_ADO_JET_SOURCES ${CMAKE_CURRENT_LIST_DIR}/../../jet/ole_date.cpp ABSOLUTE)
# The folder to put on the include path: sources include "preview/ado/…".
get_filename_component(TABULON_ADO_INCLUDE_DIR ${CMAKE_CURRENT_LIST_DIR}/../.. ABSOLUTE)
