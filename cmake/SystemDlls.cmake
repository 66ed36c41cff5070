# Which system DLLs the installer may import statically, and how it gets the
# others.
#
# The installer runs elevated from the user's download folder. The loader
# resolves static imports before any code of ours runs, and every DLL it maps
# then resolves its own imports the same way: with the program's folder first.
# On Windows the KnownDLLs and their imports are exempt; on Wine they are not
# (its user32.dll imports version.dll, for one). So:
# - ORVANE_STATIC_SYSTEM_DLLS: the only DLLs the program imports statically,
#   kernel32 and the C runtime, which import nothing a user could plant
#   (check-static-exe.sh enforces it on the built program);
# - every other system DLL is linked by its plain name as usual (user32,
#   gdiplus, winmm, ...), and ORVANE_DELAY_LOADED_DLLS makes that name a
#   target which links a delay-load import library instead of the import
#   library: the DLL is loaded on its first call, after the entry point has
#   restricted the DLL search, through the hook of platform/DllSearchWin.cpp
#   that loads it from the system folder only, its own imports too. A new
#   system DLL goes into this list.
# dbghelp.dll is loaded at run time by the SDK (sdk/module/CrashReport.cpp),
# from the system folder too.
#
# A delay-loaded function must be called through its stub, not through its
# import pointer: GNU ld drops the stub of an import-library member that no
# call names, and the pointer that still leads to it is then null
# (binutils bug 14339). So Windows' declarations lose their dllimport here,
# for everything compiled in this tree; check-static-exe.sh looks for dropped
# stubs in the built program.
add_compile_definitions(DECLSPEC_IMPORT=)

set(ORVANE_STATIC_SYSTEM_DLLS kernel32 msvcrt)
set(ORVANE_DELAY_LOADED_DLLS
  user32 gdi32 advapi32 shell32 shlwapi ole32 oleaut32 ws2_32 psapi
  version winhttp iphlpapi setupapi gdiplus winmm msimg32 comdlg32 imm32)

set(_delay_dir ${CMAKE_BINARY_DIR}/delay-load)
file(MAKE_DIRECTORY ${_delay_dir})
foreach(dll IN LISTS ORVANE_DELAY_LOADED_DLLS)
  find_library(ORVANE_IMPLIB_${dll} NAMES lib${dll}.a REQUIRED)
  set(_lib ${_delay_dir}/lib${dll}_delay.a)
  if(NOT EXISTS ${_lib} OR ${ORVANE_IMPLIB_${dll}} IS_NEWER_THAN ${_lib})
    # the exports of the import library, "Name@bytes" as its stubs call them
    execute_process(COMMAND ${CMAKE_NM} ${ORVANE_IMPLIB_${dll}}
                    OUTPUT_VARIABLE _symbols RESULT_VARIABLE _rc)
    if(NOT _rc EQUAL 0)
      message(FATAL_ERROR "${CMAKE_NM} failed on ${ORVANE_IMPLIB_${dll}}")
    endif()
    string(REGEX MATCHALL "[0-9a-fA-F]+ T _[A-Za-z0-9_@]+" _stubs "${_symbols}")
    set(_def "LIBRARY \"${dll}.dll\"\nEXPORTS\n")
    foreach(_stub IN LISTS _stubs)
      string(REGEX REPLACE "^[0-9a-fA-F]+ T _" "" _name "${_stub}")
      string(APPEND _def "${_name}\n")
    endforeach()
    file(WRITE ${_delay_dir}/${dll}.def "${_def}")
    # -k: the DLL exports the undecorated names
    execute_process(COMMAND ${CMAKE_DLLTOOL} -k -d ${_delay_dir}/${dll}.def
                            -y ${_lib} -D ${dll}.dll
                    RESULT_VARIABLE _rc)
    if(NOT _rc EQUAL 0)
      message(FATAL_ERROR "${CMAKE_DLLTOOL} could not make ${_lib}")
    endif()
  endif()
  add_library(${dll} STATIC IMPORTED GLOBAL)
  # the hook must come from our object, not the runtime's empty default
  set_target_properties(${dll} PROPERTIES
    IMPORTED_LOCATION ${_lib}
    INTERFACE_LINK_OPTIONS "LINKER:-u,___pfnDliNotifyHook2")
endforeach()
