# Compiler and linker settings shared by every target of ours.
add_library(orvane_options INTERFACE)

if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  target_compile_options(orvane_options INTERFACE -Wall -Wextra -Wno-unused-parameter)
endif()

if(WIN32)
  target_compile_definitions(orvane_options INTERFACE
    UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN
    # Windows 7 API surface; newer calls are looked up at run time.
    _WIN32_WINNT=0x0601 WINVER=0x0601)
  # MinGW quirks, all here:
  # - link libgcc, libstdc++ and winpthread statically, so that the installer
  #   needs no MinGW runtime DLL beside it;
  # - the posix thread model pulls winpthread in through libstdc++; -static
  #   makes the linker take its archive instead of the import library;
  # - keep the i686 stack aligned for SSE code in zlib and GDI+ callbacks.
  target_link_options(orvane_options INTERFACE -static -static-libgcc -static-libstdc++
    $<$<CONFIG:Release,MinSizeRel>:-s>)
  target_compile_options(orvane_options INTERFACE -mstackrealign)
else()
  if(ORVANE_SANITIZE)
    set(_san -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_compile_options(orvane_options INTERFACE ${_san})
    target_link_options(orvane_options INTERFACE ${_san})
  endif()
  if(ORVANE_FUZZ)
    # coverage feedback for the fuzz targets, in every object they link
    target_compile_options(orvane_options INTERFACE -fsanitize=fuzzer-no-link)
  endif()
endif()
