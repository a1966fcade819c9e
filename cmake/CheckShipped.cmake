# Checks one shipped program as a user's Windows would meet it:
#   - every DLL in its import table is part of Windows (a DLL that Wine happens to carry,
#     such as zlib1.dll, is not: only the import table shows the difference);
#   - and is one that Windows never looks for beside the program: a KnownDLL, mapped by the
#     system for every process from the system folder, or the common controls, which the
#     program's manifest binds side by side. Any other Windows DLL is loaded from the system
#     folder at its first use instead (LoadSystemLibrary);
#   - it imports no function that Windows 7 forwards to a DLL that is no KnownDLL (advapi32's
#     SystemFunction036, 040 and 041 go to cryptbase.dll): the loader would look for that
#     DLL beside the program too;
#   - it imports none of the DPI functions that Windows 7 lacks (they are looked up), and a
#     manifest among its resources declares per-monitor DPI awareness with the system-aware
#     form for older Windows;
#   - it is no larger than MAX_BYTES (2 MiB unless given);
#   - it carries no debug sections but a .gnu_debuglink, and the debug file is beside it.
# The imports that remain are listed, each with why it is safe.
#   usage: cmake -DOBJDUMP=<objdump> -DFILE=<program> [-DMAX_BYTES=<n>] -P CheckShipped.cmake

cmake_minimum_required(VERSION 3.16)

# DLLs that every supported Windows (7 and later) has in its system folder.
set(windowsDlls
  advapi32.dll bcrypt.dll comctl32.dll comdlg32.dll crypt32.dll dbghelp.dll dwmapi.dll
  gdi32.dll gdiplus.dll imm32.dll iphlpapi.dll kernel32.dll msimg32.dll msvcrt.dll
  mpr.dll netapi32.dll ntdll.dll ole32.dll oleaut32.dll powrprof.dll psapi.dll rpcrt4.dll
  secur32.dll setupapi.dll shell32.dll shfolder.dll shlwapi.dll user32.dll userenv.dll
  uxtheme.dll version.dll winhttp.dll wininet.dll winmm.dll winspool.drv ws2_32.dll
  wsock32.dll mswsock.dll)
# Windows 7's KnownDLLs (HKLM\System\CurrentControlSet\Control\Session Manager\KnownDLLs);
# later versions keep these. ntdll.dll is mapped into every process before any search.
set(knownDlls
  advapi32.dll comdlg32.dll gdi32.dll imm32.dll kernel32.dll msvcrt.dll ntdll.dll ole32.dll
  oleaut32.dll psapi.dll rpcrt4.dll setupapi.dll shell32.dll shlwapi.dll user32.dll
  wininet.dll ws2_32.dll)

# Imports that Windows 7 forwards out of a KnownDLL into one that is not, as DLL:FUNCTION.
set(forwardedImports
  advapi32.dll:SystemFunction036 advapi32.dll:SystemFunction040 advapi32.dll:SystemFunction041)

# The DPI functions of Windows 8.1 and 10: a program that imports one does not start on 7.
set(laterImports
  GetDpiForWindow GetDpiForSystem GetSystemMetricsForDpi AdjustWindowRectExForDpi
  SystemParametersInfoForDpi EnableNonClientDpiScaling SetProcessDpiAwarenessContext
  SetThreadDpiAwarenessContext GetDpiForMonitor SetProcessDpiAwareness GetProcessDpiAwareness
  GetThreadDpiAwarenessContext GetWindowDpiAwarenessContext AreDpiAwarenessContextsEqual
  GetAwarenessFromDpiAwarenessContext GetDpiFromDpiAwarenessContext GetSystemDpiForProcess
  LogicalToPhysicalPointForPerMonitorDPI PhysicalToLogicalPointForPerMonitorDPI
  SetThreadDpiHostingBehavior)

if(NOT DEFINED MAX_BYTES)
  set(MAX_BYTES 2097152)
endif()
foreach(var OBJDUMP FILE)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "CheckShipped: ${var} not given")
  endif()
endforeach()
if(NOT EXISTS "${FILE}")
  message(FATAL_ERROR "CheckShipped: ${FILE} does not exist")
endif()
get_filename_component(name "${FILE}" NAME)

execute_process(COMMAND "${OBJDUMP}" -p "${FILE}" OUTPUT_VARIABLE privateHeaders
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "CheckShipped: ${OBJDUMP} -p ${FILE} failed")
endif()
execute_process(COMMAND "${OBJDUMP}" -h "${FILE}" OUTPUT_VARIABLE sectionHeaders
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "CheckShipped: ${OBJDUMP} -h ${FILE} failed")
endif()

set(problems "")
string(REGEX MATCHALL "DLL Name: [^\r\n]+" dllLines "${privateHeaders}")
if(NOT dllLines)
  list(APPEND problems "no import table found")
endif()
# The common controls are bound side by side only by a manifest among the resources.
set(commonControlsBinding FALSE)
if(sectionHeaders MATCHES "\\.rsrc +([0-9a-f]+) +[0-9a-f]+ +[0-9a-f]+ +([0-9a-f]+)")
  math(EXPR resourceBytes "0x${CMAKE_MATCH_1}")
  math(EXPR resourceOffset "0x${CMAKE_MATCH_2}")
  file(READ "${FILE}" resources OFFSET ${resourceOffset} LIMIT ${resourceBytes} HEX)
  set(binding "Microsoft.Windows.Common-Controls")
  string(HEX "${binding}" bindingHex)
  string(FIND "${resources}" "${bindingHex}" at)
  if(NOT at EQUAL -1)
    set(commonControlsBinding TRUE)
    # The manifest that binds them tells the DPI awareness too.
    foreach(declaration "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true</dpiAware>"
                        "PerMonitorV2, System</dpiAwareness>")
      string(HEX "${declaration}" declarationHex)
      string(FIND "${resources}" "${declarationHex}" at)
      if(at EQUAL -1)
        list(APPEND problems "its manifest lacks ${declaration}")
      endif()
    endforeach()
  endif()
endif()
set(safeImports "")
foreach(line IN LISTS dllLines)
  string(REGEX REPLACE "DLL Name: " "" dll "${line}")
  string(STRIP "${dll}" dll)
  string(TOLOWER "${dll}" lowerDll)
  if(NOT lowerDll IN_LIST windowsDlls)
    list(APPEND problems "imports ${dll}, which is not part of Windows")
  elseif(lowerDll IN_LIST knownDlls)
    list(APPEND safeImports "${dll} (a KnownDLL)")
  elseif(lowerDll STREQUAL "comctl32.dll" AND commonControlsBinding)
    list(APPEND safeImports "${dll} (bound side by side by the manifest)")
  else()
    list(APPEND problems "imports ${dll}, which Windows looks for beside the program first (load it from the system folder at first use)")
  endif()
endforeach()

# The import table lists each DLL's functions below its name.
string(REPLACE "\n" ";" headerLines "${privateHeaders}")
set(importingDll "")
foreach(line IN LISTS headerLines)
  if(line MATCHES "DLL Name: ([^\r]+)")
    string(STRIP "${CMAKE_MATCH_1}" importingDll)
    string(TOLOWER "${importingDll}" importingDll)
  elseif(importingDll AND line MATCHES "^\t[0-9a-f]+\t +[0-9]+ +([A-Za-z0-9_@]+)")
    if("${importingDll}:${CMAKE_MATCH_1}" IN_LIST forwardedImports)
      list(APPEND problems "imports ${CMAKE_MATCH_1} from ${importingDll}, which Windows 7 forwards to a DLL looked for beside the program")
    endif()
    if(CMAKE_MATCH_1 IN_LIST laterImports)
      list(APPEND problems "imports ${CMAKE_MATCH_1}, which Windows 7 lacks (look it up)")
    endif()
  elseif(line MATCHES "^[ \t]*$")
    set(importingDll "")
  endif()
endforeach()

file(SIZE "${FILE}" size)
if(size GREATER MAX_BYTES)
  list(APPEND problems "is ${size} bytes, more than ${MAX_BYTES}")
endif()

if(sectionHeaders MATCHES "[ \t]\\.debug_")
  list(APPEND problems "still carries debug sections")
endif()
if(NOT sectionHeaders MATCHES "\\.gnu_debuglink")
  list(APPEND problems "has no .gnu_debuglink")
elseif(NOT EXISTS "${FILE}.debug")
  list(APPEND problems "has no ${name}.debug beside it")
endif()

if(problems)
  # In a fixed order, whichever order the linker gave the imports.
  list(SORT problems)
  list(JOIN problems "; " text)
  message(FATAL_ERROR "${name}: ${text}")
endif()
list(JOIN safeImports ", " importText)
message(STATUS "${name}: ${size} bytes, debug information in ${name}.debug; imports ${importText}")
