# Fails when a program imports a system library that is not a known DLL.
# The loader takes a known DLL from the system folder whatever lies beside the
# program; any other imported library it looks for in the program's folder
# first, so a copy planted there would run inside the program.
# Usage: cmake -DOBJDUMP=<objdump> -P check_imports.cmake <program>...
#
# The known DLLs: the KnownDLLs values present on both Windows 7 and Windows
# 10/11, ntdll (mapped before anything else), and the API set names
# (api-ms-win-*, ext-ms-win-*), which the loader resolves without a search.
# Our own libraries ship beside the program and are imported from there on
# purpose (HookDLL.DLL, the keyboard hook).
# comctl32 is allowed only when the program's manifest declares the Common
# Controls 6 assembly: the loader then takes it from the side-by-side store
# through the activation context, never from the program's folder.
cmake_minimum_required(VERSION 3.21)

set(known advapi32 clbcatq comdlg32 difxapi gdi32 imagehlp imm32 kernel32 msctf msvcrt normaliz nsi ntdll ole32
    oleaut32 psapi rpcrt4 sechost setupapi shell32 shlwapi user32 wldap32 ws2_32)

set(ours hookdll)

set(programs)
set(seen_script FALSE)
foreach(i RANGE 1 ${CMAKE_ARGC})
  if(i EQUAL CMAKE_ARGC)
    break()
  endif()
  set(arg "${CMAKE_ARGV${i}}")
  if(seen_script AND NOT arg STREQUAL "--")
    list(APPEND programs "${arg}")
  elseif(arg MATCHES "check_imports\\.cmake$")
    set(seen_script TRUE)
  endif()
endforeach()
if(NOT OBJDUMP OR NOT programs)
  message(FATAL_ERROR "usage: cmake -DOBJDUMP=<objdump> -P check_imports.cmake <program>...")
endif()

set(failed FALSE)
foreach(program IN LISTS programs)
  execute_process(COMMAND "${OBJDUMP}" -p "${program}" OUTPUT_VARIABLE dump RESULT_VARIABLE code)
  if(NOT code EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} -p ${program} failed")
  endif()
  string(REGEX MATCHALL "DLL Name: [^\n]+" lines "${dump}")
  set(imports)
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^DLL Name: *" "" name "${line}")
    string(STRIP "${name}" name)
    string(TOLOWER "${name}" name)
    string(REGEX REPLACE "\\.dll$" "" name "${name}")
    list(APPEND imports ${name})
  endforeach()
  list(REMOVE_DUPLICATES imports)
  message(STATUS "${program}: ${imports}")
  if(NOT "kernel32" IN_LIST imports)
    message(SEND_ERROR "${program}: no import of kernel32 found; the import table was not read")
    set(failed TRUE)
  endif()
  file(STRINGS "${program}" common_controls REGEX "Microsoft\\.Windows\\.Common-Controls")
  foreach(name IN LISTS imports)
    if(name IN_LIST known OR name IN_LIST ours OR name MATCHES "^(api|ext)-ms-win-")
      continue()
    endif()
    if(name STREQUAL "comctl32" AND common_controls)
      continue()
    endif()
    message(SEND_ERROR "${program} imports ${name}.dll, which is not a known DLL: load it at run time from the system folder")
    set(failed TRUE)
  endforeach()
endforeach()
if(failed)
  message(FATAL_ERROR "imports outside the known DLLs")
endif()
