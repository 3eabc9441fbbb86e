# The default voice clips, installed without touching the user's own.
#
# The build lists its default clips with their SHA-256 in wav/.defaults.sha256
# (the format of sha256sum, so `sha256sum -c .defaults.sha256` in wav/ shows
# which clips were replaced); the program only opens NNNN.wav names and never
# reads it.  An install copies the list along, and the next install replaces a
# clip only where there is none or where it still matches that installed list:
# a clip the user recorded over a default one stays.
#
#   cmake -D CLIPS_ACTION=manifest -D CLIPS_TABLE=lines.tsv -D CLIPS_DIR=DIR -P install_clips.cmake
#   cmake -D CLIPS_ACTION=install -D CLIPS_FROM=DIR -D CLIPS_TO=DIR -P install_clips.cmake
#
# Included from install(CODE), the installed clips and the list join the
# install manifest (install_manifest.txt); clips kept for the user do not.

cmake_policy(PUSH)
cmake_policy(VERSION 3.21)
set(_clips_list_name ".defaults.sha256")

# Writes path through a file beside it, so that a reader never sees half.
function(_clips_write_whole path text)
  file(WRITE "${path}.new" "${text}")
  file(RENAME "${path}.new" "${path}")
endfunction()

# The list of the clips that table names, as found in dir.
function(_clips_write_list table dir)
  file(STRINGS "${table}" lines REGEX "^[0-9][0-9][0-9][0-9]\t")
  set(text "")
  foreach(line IN LISTS lines)
    string(SUBSTRING "${line}" 0 4 number)
    file(SHA256 "${dir}/${number}.wav" hash)
    string(APPEND text "${hash}  ${number}.wav\n")
  endforeach()
  _clips_write_whole("${dir}/${_clips_list_name}" "${text}")
endfunction()

# Reads a list into <prefix>_names and one <prefix>_<name> per clip with its
# hash.  Only NNNN.wav names count, so a list cannot point outside wav/.
function(_clips_read_list path prefix)
  set(names "")
  if(EXISTS "${path}")
    file(STRINGS "${path}" lines REGEX "^[0-9a-f]+  [0-9][0-9][0-9][0-9]\\.wav$")
    foreach(line IN LISTS lines)
      string(REGEX MATCH "^([0-9a-f]+)  (.+)$" _ "${line}")
      list(APPEND names "${CMAKE_MATCH_2}")
      set(${prefix}_${CMAKE_MATCH_2} "${CMAKE_MATCH_1}" PARENT_SCOPE)
    endforeach()
  endif()
  set(${prefix}_names "${names}" PARENT_SCOPE)
endfunction()

function(_clips_install from to)
  if(NOT EXISTS "${from}/${_clips_list_name}")
    message(FATAL_ERROR "${from}/${_clips_list_name} is missing; build the voicepack target first")
  endif()
  _clips_read_list("${from}/${_clips_list_name}" new)
  _clips_read_list("${to}/${_clips_list_name}" old)
  file(MAKE_DIRECTORY "${to}")
  set(added 0)
  set(updated 0)
  set(current 0)
  set(kept 0)
  set(installed "")
  foreach(name IN LISTS new_names)
    set(dest "${to}/${name}")
    if(EXISTS "${dest}")
      file(SHA256 "${dest}" have)
    else()
      set(have "")
    endif()
    if("${have}" STREQUAL "${new_${name}}")
      math(EXPR current "${current} + 1")
    elseif("${have}" STREQUAL "" OR (DEFINED old_${name} AND "${have}" STREQUAL "${old_${name}}"))
      if("${have}" STREQUAL "")
        math(EXPR added "${added} + 1")
      else()
        math(EXPR updated "${updated} + 1")
      endif()
      message(STATUS "Installing: ${dest}")
      file(COPY_FILE "${from}/${name}" "${dest}.new")
      file(RENAME "${dest}.new" "${dest}")
    else()
      math(EXPR kept "${kept} + 1")
      message(STATUS "Keeping your own clip: ${dest}")
      continue()
    endif()
    list(APPEND installed "${dest}")
  endforeach()

  # A default of the previous install that is no longer one goes, unless the
  # user recorded over it.
  set(dropped 0)
  foreach(name IN LISTS old_names)
    if(NOT DEFINED new_${name} AND EXISTS "${to}/${name}")
      file(SHA256 "${to}/${name}" have)
      if("${have}" STREQUAL "${old_${name}}")
        message(STATUS "Removing: ${to}/${name} (no longer a default clip)")
        file(REMOVE "${to}/${name}")
        math(EXPR dropped "${dropped} + 1")
      endif()
    endif()
  endforeach()

  file(READ "${from}/${_clips_list_name}" list_text)
  _clips_write_whole("${to}/${_clips_list_name}" "${list_text}")
  list(APPEND installed "${to}/${_clips_list_name}")
  message(STATUS "Voice clips in ${to}: ${added} added, ${updated} updated, "
                 "${current} already current, ${kept} of your own kept, ${dropped} removed")
  set(CMAKE_INSTALL_MANIFEST_FILES ${CMAKE_INSTALL_MANIFEST_FILES} ${installed} PARENT_SCOPE)
endfunction()

if(CLIPS_ACTION STREQUAL "manifest")
  _clips_write_list("${CLIPS_TABLE}" "${CLIPS_DIR}")
elseif(CLIPS_ACTION STREQUAL "install")
  _clips_install("${CLIPS_FROM}" "${CLIPS_TO}")
else()
  message(FATAL_ERROR "install_clips.cmake: CLIPS_ACTION is '${CLIPS_ACTION}', want manifest or install")
endif()
cmake_policy(POP)
