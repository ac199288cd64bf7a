# SPDX-FileCopyrightText: The Marquetrix developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Fails when a file under src/ includes a folder its layer must not see.
# Layers run one way: a folder may include itself and what lies below it.
#
#   cmake -DSOURCE_DIR=src [-DSTAMP=file] [-DPRINT=ON] -P CheckLayers.cmake
#
# PRINT lists, for each folder, the folders its files include.

cmake_policy(VERSION 3.25)

set(sees_platform platform)
set(sees_core core platform)
# commands/ declares what every command folder defines, for the menu table.
set(commands document tags links frames help)
foreach(folder IN LISTS commands)
  set(sees_${folder} ${folder} commands core platform)
endforeach()
set(sees_commands commands core platform)
list(APPEND commands commands)
set(sees_app app ${commands} core platform)
set(layers app ${commands} core platform)

get_filename_component(SOURCE_DIR ${SOURCE_DIR} ABSOLUTE)
file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.cpp)
set(faults "")
foreach(file IN LISTS files)
  string(REGEX MATCH "^[^/]+" folder "${file}")
  if(NOT folder IN_LIST layers)
    continue()
  endif()
  # Angle brackets too: <core/Editor.h> would find the same file.
  file(STRINGS ${SOURCE_DIR}/${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[^\"<]*[\"<]([^\">]*)[\">].*$" "\\1" included "${line}")
    if(line MATCHES "include[ \t]*<")
      string(REGEX MATCH "^[^/]+" target "${included}")
      if(NOT included MATCHES "/" OR NOT target IN_LIST layers)
        continue() # a system or library header
      endif()
    endif()
    if(included MATCHES "\\.\\.")
      string(APPEND faults "\n  ${file}: ${included} (name the folder, not a way up to it)")
      continue()
    endif()
    if(NOT included MATCHES "/")
      continue() # its own folder, or a generated header
    endif()
    string(REGEX MATCH "^[^/]+" target "${included}")
    if(NOT target IN_LIST sees_${folder})
      string(APPEND faults "\n  ${file}: ${included} (${folder} may include only: ${sees_${folder}})")
    endif()
    if(NOT target STREQUAL folder)
      list(APPEND graph_${folder} ${target})
    endif()
  endforeach()
endforeach()

if(PRINT)
  foreach(folder IN LISTS layers)
    if(graph_${folder})
      list(REMOVE_DUPLICATES graph_${folder})
    endif()
    list(JOIN graph_${folder} " " seen)
    message("${folder} -> ${seen}")
  endforeach()
endif()
if(faults)
  message(FATAL_ERROR "Includes across layers:${faults}")
endif()
if(STAMP)
  file(TOUCH ${STAMP})
endif()

