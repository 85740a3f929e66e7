# The product's names, read from the one header that the programs use, so that the build packs
# the payloads under the names the installer and the uninstaller look for, and the end-to-end
# cases look where the programs write.
set(ZM_PRODUCT_NAMES_HEADER ${CMAKE_SOURCE_DIR}/src/shared/product_names.h)
set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${ZM_PRODUCT_NAMES_HEADER})
file(READ ${ZM_PRODUCT_NAMES_HEADER} ZM_PRODUCT_NAMES_TEXT)

# zm_product_name(<variable> <constant>): the text of a constant of the header.
function(zm_product_name variable constant)
  if(NOT ZM_PRODUCT_NAMES_TEXT MATCHES "char ${constant}\\[\\] =[ \t\r\n]*\"([^\"]*)\";")
    message(FATAL_ERROR "${constant} is not a constant of ${ZM_PRODUCT_NAMES_HEADER}")
  endif()
  # The header spells a backslash as two.
  string(REPLACE "\\\\" "\\" text "${CMAKE_MATCH_1}")
  set(${variable} "${text}" PARENT_SCOPE)
endfunction()

zm_product_name(ZM_SCREEN_SAVER_NAME ScreenSaverFileName)
zm_product_name(ZM_UNINSTALLER_NAME UninstallerFileName)

# zm_product_names_shell(<file> <shell name>=<constant>...): a shell file of read-only
# variables, for the scripts that inspect an installation.
function(zm_product_names_shell file)
  set(content "# Made by the build from src/shared/product_names.h.\n")
  foreach(pair ${ARGN})
    string(REPLACE "=" ";" fields "${pair}")
    list(GET fields 0 shell_name)
    list(GET fields 1 constant)
    zm_product_name(text ${constant})
    string(REPLACE "'" "'\\''" text "${text}")
    string(APPEND content "readonly ${shell_name}='${text}'\n")
  endforeach()
  file(CONFIGURE OUTPUT ${file} CONTENT "${content}" @ONLY)
endfunction()
