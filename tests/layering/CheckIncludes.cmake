# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a file under src/ includes a header of a level above its own.
# The linker catches most upward calls; this also catches the ones that live
# in headers only. Run as: cmake -DSOURCE_DIR=<src> -P CheckIncludes.cmake
cmake_minimum_required(VERSION 3.25)

set(allowed_platform platform)
set(allowed_color ${allowed_platform} color)
set(allowed_gif ${allowed_color} gif)
set(allowed_editing ${allowed_gif} editing)
set(allowed_io ${allowed_editing} io)
set(allowed_document ${allowed_editing} document)
# The windows: app/ and dialogs/ are one level and use each other.
set(allowed_app ${allowed_io} document app dialogs)
set(allowed_dialogs ${allowed_app})
set(allowed_cli ${allowed_io} cli)

set(violations "")
foreach(folder platform color gif editing io document app dialogs cli)
  file(GLOB sources ${SOURCE_DIR}/${folder}/*.cpp ${SOURCE_DIR}/${folder}/*.h)
  foreach(source ${sources})
    file(STRINGS ${source} includes REGEX "^#include \"[a-z]+/")
    foreach(line ${includes})
      string(REGEX REPLACE "^#include \"([a-z]+)/.*" "\\1" target ${line})
      if(NOT target IN_LIST allowed_${folder})
        file(RELATIVE_PATH name ${SOURCE_DIR} ${source})
        string(APPEND violations "  ${name}: ${line}\n")
      endif()
    endforeach()
  endforeach()
endforeach()

if(violations)
  message(FATAL_ERROR "Includes that point to a higher level:\n${violations}")
endif()
