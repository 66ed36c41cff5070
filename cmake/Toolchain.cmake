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
  # - every function and datum in a section of its own, and the linker keeps
  #   only what is reached. On i686 that reaches little: the linker keeps
  #   every .eh_frame, and with it each function that has unwind tables, so
  #   the release build also links with LTO (below), which drops unused C++
  #   before it is ever emitted.
  target_link_options(orvane_options INTERFACE -static -static-libgcc -static-libstdc++
    LINKER:--gc-sections $<$<CONFIG:Release,MinSizeRel>:-s>)
  target_compile_options(orvane_options INTERFACE -mstackrealign
    -ffunction-sections -fdata-sections)
  # The release program is downloaded by every user: link-time optimisation
  # there, not in the test builds, whose many programs would each pay for it.
  if(CMAKE_BUILD_TYPE MATCHES "^(Release|MinSizeRel)$")
    include(CheckIPOSupported)
    check_ipo_supported(RESULT _ipo OUTPUT _ipo_output LANGUAGES C CXX)
    if(NOT _ipo)
      message(FATAL_ERROR "link-time optimisation unavailable: ${_ipo_output}")
    endif()
    set(CMAKE_INTERPROCEDURAL_OPTIMIZATION ON)
    # one partition: GCC 12 stops with an internal error (binds_to_current_def_p)
    # when it splits Qlx.dll into several
    target_link_options(orvane_options INTERFACE -flto-partition=one)
    # std::terminate aborts at once: libstdc++'s verbose handler would print
    # the exception's type to a console that a GUI program does not have, and
    # brings a 46 KiB C++ demangler into every module for it
    target_link_options(orvane_options INTERFACE
      LINKER:--defsym,__ZN9__gnu_cxx27__verbose_terminate_handlerEv=_abort)
  endif()
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
