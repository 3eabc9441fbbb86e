# Character artwork.
#
# For each of the five characters this writes two SVG pictures into
# ${TESSURI_ASSET_GEN_DIR}:
#   char<i>.svg  360 x 100, six 60 x 100 sprite frames for the stage
#   talk<i>.svg  240 x 120, two 120 x 120 face frames for the call-out
# and appends their paths to TESSURI_MASKED_SVGS.
#
# A picture is put together from a template (sheet.svg.in, talk.svg.in),
# the shared pieces in parts/ and the character's own folder:
#   character.cmake   name, palette (C_*) and proportions
#   hair-back.svg.in  hair behind the face         (head space)
#   hair-front.svg.in bangs over the face          (head space)
#   head-over.svg.in  glasses, pins, towel on top  (head space)
#   body-walk.svg.in  outfit and arms while walking (frame space)
#   bust.svg.in       shoulders of the close-up    (head space)
# Templates and parts refer to each other and to palette entries with
# @NAME@ placeholders, which are filled in here until none is left.
#
# Usable from a build (include() with TESSURI_ASSET_GEN_DIR set) and
# from a script: cmake -DTESSURI_ASSET_GEN_DIR=/tmp/x -P characters.cmake

set(_tessuri_chars_dir "${CMAKE_CURRENT_LIST_DIR}")
set(_tessuri_chars_names rumika shiore yatsuha pelulu mazeri)

if(NOT TESSURI_ASSET_GEN_DIR)
  message(FATAL_ERROR "characters.cmake: TESSURI_ASSET_GEN_DIR is not set")
endif()

# Writes content to path unless the file already holds exactly that, so
# that a re-run of configure does not make the pictures out of date.
function(_tessuri_chars_write path content)
  if(EXISTS "${path}")
    file(READ "${path}" _old)
    if(_old STREQUAL content)
      return()
    endif()
  endif()
  file(WRITE "${path}" "${content}")
endfunction()

# Fills @NAME@ placeholders from the variables in scope, repeatedly,
# because inserted pieces carry placeholders of their own. A placeholder
# without a variable is an error rather than a silent empty string.
function(_tessuri_chars_fill out_var text what)
  foreach(_pass RANGE 6)
    string(REGEX MATCHALL "@[A-Za-z0-9_]+@" _tokens "${text}")
    if(NOT _tokens)
      set(${out_var} "${text}" PARENT_SCOPE)
      return()
    endif()
    list(REMOVE_DUPLICATES _tokens)
    foreach(_token IN LISTS _tokens)
      string(REGEX REPLACE "^@(.*)@$" "\\1" _name "${_token}")
      if(NOT DEFINED ${_name})
        message(FATAL_ERROR "${what}: nothing defines the placeholder ${_token}")
      endif()
    endforeach()
    string(CONFIGURE "${text}" text @ONLY)
  endforeach()
  message(FATAL_ERROR "${what}: placeholders still nest after seven passes")
endfunction()

function(_tessuri_chars_make index name out_files)
  set(_dir "${_tessuri_chars_dir}/${name}")
  set(_parts "${_tessuri_chars_dir}/parts")

  include("${_parts}/common.cmake")
  include("${_dir}/character.cmake")

  # Palette entries a character may leave to these defaults.
  foreach(_pair IN ITEMS EYE:HAIR_SHADE LEG:SKIN SHOE:LINE NOTE:ACCENT TOWEL:LIGHT)
    string(REPLACE ":" ";" _pair "${_pair}")
    list(GET _pair 0 _entry)
    list(GET _pair 1 _default)
    if(NOT DEFINED C_${_entry})
      set(C_${_entry} "${C_${_default}}")
    endif()
  endforeach()

  # Rows derived from the character's proportions.
  math(EXPR ANKLE_Y "${FOOT_Y} - 3")
  math(EXPR SHOE_Y "${FOOT_Y} - 4")
  math(EXPR SOAK_LOW_Y "${SOAK_HEAD_Y} + 1")
  math(EXPR STEAM_Y "${WATER_Y} - 2")
  math(EXPR STEAM_UP_Y "${WATER_Y} - 7")
  math(EXPR STEAM_HEAD_Y "${SOAK_HEAD_Y} - 14")
  math(EXPR LEAVE_STEAM_Y "${HEAD_Y} - 12")

  set(_inputs "${_parts}/common.cmake" "${_dir}/character.cmake")
  foreach(_piece face fx body talk)
    string(TOUPPER "PART_${_piece}" _var)
    file(READ "${_parts}/${_piece}.svg.in" ${_var})
    list(APPEND _inputs "${_parts}/${_piece}.svg.in")
  endforeach()
  foreach(_piece hair-back hair-front head-over body-walk bust)
    string(TOUPPER "CHAR_${_piece}" _var)
    string(REPLACE "-" "_" _var "${_var}")
    file(READ "${_dir}/${_piece}.svg.in" ${_var})
    list(APPEND _inputs "${_dir}/${_piece}.svg.in")
  endforeach()

  set(_written "")
  foreach(_kind sheet talk)
    file(READ "${_tessuri_chars_dir}/${_kind}.svg.in" _template)
    list(APPEND _inputs "${_tessuri_chars_dir}/${_kind}.svg.in")
    _tessuri_chars_fill(_svg "${_template}" "${name} ${_kind}")
    # Pure white is reserved for the transparent part of a sheet.
    string(TOLOWER "${_svg}" _lower)
    if(_lower MATCHES "#fff\"|#ffffff|\"white\"")
      message(FATAL_ERROR "${name} ${_kind}: pure white used in a figure")
    endif()
    if(_kind STREQUAL "sheet")
      set(_out "${TESSURI_ASSET_GEN_DIR}/char${index}.svg")
    else()
      set(_out "${TESSURI_ASSET_GEN_DIR}/talk${index}.svg")
    endif()
    _tessuri_chars_write("${_out}" "${_svg}")
    list(APPEND _written "${_out}")
  endforeach()

  if(NOT CMAKE_SCRIPT_MODE_FILE)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_inputs})
  endif()
  set(${out_files} "${_written}" PARENT_SCOPE)
endfunction()

file(MAKE_DIRECTORY "${TESSURI_ASSET_GEN_DIR}")
set(_tessuri_chars_index 0)
foreach(_tessuri_chars_name IN LISTS _tessuri_chars_names)
  _tessuri_chars_make(${_tessuri_chars_index} ${_tessuri_chars_name} _tessuri_chars_files)
  list(APPEND TESSURI_MASKED_SVGS ${_tessuri_chars_files})
  math(EXPR _tessuri_chars_index "${_tessuri_chars_index} + 1")
endforeach()

unset(_tessuri_chars_index)
unset(_tessuri_chars_name)
unset(_tessuri_chars_files)
unset(_tessuri_chars_names)
