# The compiler's checks, in one place for every target: warnings on
# everywhere, fatal where TALLOWMERE_WERROR asks (CI), and the sanitizers that
# TALLOWMERE_SANITIZE names ("address;undefined") for a checking build.
option(TALLOWMERE_WERROR "Treat compiler warnings as errors" OFF)
set(TALLOWMERE_SANITIZE "" CACHE STRING "Sanitizers to build with, for example address;undefined")

if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  # Aggregates are filled by name with defaults for the rest: no warning for that.
  add_compile_options(-Wall -Wextra -Wpedantic -Wshadow=local -Wnon-virtual-dtor -Woverloaded-virtual
                      -Wno-missing-field-initializers)
  if(TALLOWMERE_WERROR)
    add_compile_options(-Werror)
  endif()
  if(TALLOWMERE_SANITIZE)
    list(JOIN TALLOWMERE_SANITIZE "," sanitizers)
    add_compile_options(-fsanitize=${sanitizers} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=${sanitizers})
  endif()
elseif(MSVC)
  add_compile_options(/W4)
  if(TALLOWMERE_WERROR)
    add_compile_options(/WX)
  endif()
endif()
