# SPDX-FileCopyrightText: The Marquetrix developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Makes the package's changelog, in Debian's format, from NEWS. NEWS holds one
# entry per release, newest first:
#
#   Marquetrix VERSION (YYYY/MM/DD)
#
#     * What changed, indented by two spaces.
#
# The newest entry must be the version and release date that CMakeLists.txt
# holds, so a release cannot go out with the notes of the one before.
#
#   cmake -DNEWS=FILE -DOUTPUT=FILE -DPACKAGE=NAME -DVERSION=X.Y.Z
#         -DRELEASE_DATE=YYYY/MM/DD "-DMAINTAINER=Name <address>" -P changelog.cmake

cmake_minimum_required(VERSION 3.25)

foreach(var NEWS OUTPUT PACKAGE VERSION RELEASE_DATE MAINTAINER)
  if(NOT DEFINED ${var} OR "${${var}}" STREQUAL "")
    message(FATAL_ERROR "changelog.cmake: -D${var}= is missing")
  endif()
endforeach()

set(month_names Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
set(day_names Sun Mon Tue Wed Thu Fri Sat)
# Offsets of Sakamoto's day-of-week method, by month.
set(month_offsets 0 3 2 5 0 3 5 1 4 6 2 4)

# "Mon, 07 Dec 2026 00:00:00 +0000" for a date of the form YYYY/MM/DD.
function(rfc2822_date year month day out)
  # Leading zeros would be read as octal by some, so they go.
  string(REGEX REPLACE "^0" "" m "${month}")
  string(REGEX REPLACE "^0" "" d "${day}")
  if(m LESS 1 OR m GREATER 12 OR d LESS 1 OR d GREATER 31)
    message(FATAL_ERROR "${NEWS}: ${year}/${month}/${day} is no date")
  endif()
  math(EXPR i "${m} - 1")
  list(GET month_offsets ${i} offset)
  list(GET month_names ${i} month_name)
  set(y ${year})
  if(m LESS 3)
    math(EXPR y "${y} - 1")
  endif()
  math(EXPR weekday "(${y} + ${y} / 4 - ${y} / 100 + ${y} / 400 + ${offset} + ${d}) % 7")
  list(GET day_names ${weekday} day_name)
  set(${out} "${day_name}, ${day} ${month_name} ${year} 00:00:00 +0000" PARENT_SCOPE)
endfunction()

file(READ "${NEWS}" text)
if(text MATCHES "\r")
  message(FATAL_ERROR "${NEWS}: carriage returns; the changelog wants plain line ends")
endif()

# Lines are taken one at a time with FIND and SUBSTRING rather than as a CMake
# list, which would split the text at every semicolon.
set(changelog "")
set(entries 0)
set(lineno 0)
set(in_entry FALSE)
set(rest "${text}\n")
while(NOT rest STREQUAL "")
  string(FIND "${rest}" "\n" eol)
  string(SUBSTRING "${rest}" 0 ${eol} line)
  math(EXPR eol "${eol} + 1")
  string(SUBSTRING "${rest}" ${eol} -1 rest)
  math(EXPR lineno "${lineno} + 1")

  if(line MATCHES "^Marquetrix ([0-9]+\\.[0-9]+\\.[0-9]+) \\(([0-9][0-9][0-9][0-9])/([0-9][0-9])/([0-9][0-9])\\)$")
    set(version ${CMAKE_MATCH_1})
    set(year ${CMAKE_MATCH_2})
    set(month ${CMAKE_MATCH_3})
    set(day ${CMAKE_MATCH_4})
    set(date "${year}${month}${day}")
    if(in_entry)
      if(NOT has_text)
        message(FATAL_ERROR "${NEWS}:${entry_line}: the entry for ${entry_version} says nothing")
      endif()
      # Newest first, each release later than the one before it.
      if(NOT entry_version VERSION_GREATER version OR NOT entry_date GREATER date)
        message(FATAL_ERROR "${NEWS}:${lineno}: ${version} of ${year}/${month}/${day} is not older than the entry above it")
      endif()
      string(APPEND changelog "\n -- ${MAINTAINER}  ${entry_stamp}\n\n")
    elseif(NOT version STREQUAL VERSION OR NOT "${year}/${month}/${day}" STREQUAL RELEASE_DATE)
      message(FATAL_ERROR "${NEWS}: the newest entry is ${version} of ${year}/${month}/${day}, but "
                          "CMakeLists.txt says ${VERSION} of ${RELEASE_DATE}: put this release's "
                          "notes at the top of NEWS")
    endif()
    rfc2822_date(${year} ${month} ${day} entry_stamp)
    set(entry_version ${version})
    set(entry_date ${date})
    set(entry_line ${lineno})
    set(in_entry TRUE)
    set(has_text FALSE)
    set(blank_lines "")
    math(EXPR entries "${entries} + 1")
    string(APPEND changelog "${PACKAGE} (${version}) unstable; urgency=medium\n\n")
  elseif(line MATCHES "^[ \t]*$")
    # Blank lines inside an entry are kept; those around its text are not.
    if(in_entry AND has_text)
      string(APPEND blank_lines "\n")
    endif()
  elseif(in_entry AND line MATCHES "^  ")
    string(APPEND changelog "${blank_lines}${line}\n")
    set(blank_lines "")
    set(has_text TRUE)
  else()
    message(FATAL_ERROR "${NEWS}:${lineno}: neither an entry's heading "
                        "(Marquetrix X.Y.Z (YYYY/MM/DD)) nor its text indented by two spaces")
  endif()
endwhile()

if(entries EQUAL 0)
  message(FATAL_ERROR "${NEWS} has no entry")
endif()
if(NOT has_text)
  message(FATAL_ERROR "${NEWS}:${entry_line}: the entry for ${entry_version} says nothing")
endif()
string(APPEND changelog "\n -- ${MAINTAINER}  ${entry_stamp}\n")
file(WRITE "${OUTPUT}" "${changelog}")
