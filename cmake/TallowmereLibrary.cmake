# Declares the program's libraries by layer. A CORE library links Qt Core and
# other CORE libraries only, so a widget include in it cannot compile. A
# WIDGETS library is the thin widget side of one subsystem: it may add the
# shared base widgets, never another subsystem's widgets. The WINDOW library at
# the top assembles them all. Every include is path-qualified from src/.
function(tallowmere_library name kind)
  cmake_parse_arguments(L "" "" "SOURCES;LINKS" ${ARGN})
  if(NOT kind MATCHES "^(CORE|WIDGETS|WINDOW)$")
    message(FATAL_ERROR "${name}: unknown library kind ${kind}")
  endif()
  foreach(dep IN LISTS L_LINKS)
    get_target_property(dep_kind ${dep} TALLOWMERE_KIND)
    if(kind STREQUAL "CORE" AND NOT dep_kind STREQUAL "CORE")
      message(FATAL_ERROR "${name} links Qt Core only and may not link ${dep} (${dep_kind})")
    endif()
    if(kind STREQUAL "WIDGETS" AND NOT dep_kind STREQUAL "CORE" AND NOT dep STREQUAL "tallowmere_base_widgets")
      message(FATAL_ERROR "${name} may not link another subsystem's widgets: ${dep}")
    endif()
  endforeach()
  add_library(${name} STATIC ${L_SOURCES})
  set_target_properties(${name} PROPERTIES TALLOWMERE_KIND ${kind})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  if(kind STREQUAL "CORE")
    target_link_libraries(${name} PUBLIC ${L_LINKS} Qt6::Core)
  else()
    target_link_libraries(${name} PUBLIC ${L_LINKS} Qt6::Widgets)
  endif()
endfunction()
