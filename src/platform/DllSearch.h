// Where the installer's DLLs come from. It runs elevated from the user's
// download folder, where anyone can put a DLL under a system DLL's name; so
// the loader must never look beside the program (nor in the current folder).
//
// - RestrictDllSearch runs first thing in the process (the entry point, before
//   the C runtime starts): from then on the system folder is the only place a
//   DLL loaded by name comes from.
// - Static imports are limited to DLLs that the loader maps from the system
//   folder anyway (KnownDLLs): cmake/SystemDlls.cmake turns every other system
//   DLL the code links into a delay-loaded one, and the delay-load hook in
//   DllSearchWin.cpp loads it with LoadSystemLibrary.
// - Code that loads a system DLL itself uses LoadSystemLibrary too.
#pragma once

#include "platform/Handles.h"

namespace orvane {

// SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32) where the system has
// it (Windows 8, Windows 7 with KB2533623), else SetDllDirectoryW(L"") (which
// drops the current folder). Uses nothing but kernel32: it runs before the C
// runtime is set up.
void RestrictDllSearch();

// a system DLL by its file name ("dbghelp.dll"), from the system folder only,
// with its own imports resolved from there too; empty on failure
UniqueModule LoadSystemLibrary(const wchar_t* fileName);

}  // namespace orvane
