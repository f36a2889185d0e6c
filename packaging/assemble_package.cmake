# Lays out the installation package folder that Setup.exe checks and copies
# from, then zips it. Run by the "package" target:
#   cmake -DPACKAGE_DIR=... -DSOURCE_DIR=... -DSETUP_EXE=... -DCONSOLE_EXE=...
#         -DUNINSTALL_EXE=... -DMAKE_LNK=... -DPYTHON=... -DZIP=... -P assemble_package.cmake
foreach(input SETUP_EXE CONSOLE_EXE UNINSTALL_EXE MAKE_LNK)
  if(NOT EXISTS "${${input}}")
    message(FATAL_ERROR "package: ${input} '${${input}}' has not been built")
  endif()
endforeach()

set(assets "${SOURCE_DIR}/assets")
file(REMOVE_RECURSE "${PACKAGE_DIR}")
file(MAKE_DIRECTORY "${PACKAGE_DIR}/Data" "${PACKAGE_DIR}/Datalnk")

# The package folder: the installer and the five files it copies.
file(COPY_FILE "${SETUP_EXE}" "${PACKAGE_DIR}/Setup.exe")
file(COPY_FILE "${assets}/varnholde.ico" "${PACKAGE_DIR}/Ivel.bmp")
file(COPY_FILE "${assets}/Pos_set_par.ksr" "${PACKAGE_DIR}/Pos_set_par.ksr")
file(COPY_FILE "${CONSOLE_EXE}" "${PACKAGE_DIR}/Principal._x_")
file(COPY_FILE "${UNINSTALL_EXE}" "${PACKAGE_DIR}/Principial_un._x_")
execute_process(COMMAND "${CMAKE_COMMAND}" -DIN=${assets}/ReadMe.txt
                        -DOUT=${PACKAGE_DIR}/Func.bin -P "${CMAKE_CURRENT_LIST_DIR}/text_to_ansi.cmake"
                COMMAND_ERROR_IS_FATAL ANY)

# The skins, JPEG pictures under the package's names.
foreach(n RANGE 1 6)
  file(COPY_FILE "${assets}/skins/skin${n}.jpg" "${PACKAGE_DIR}/Data/data${n}.ksr")
endforeach()

# The Start-menu shortcuts, without extension, to the installed files.
execute_process(COMMAND "${MAKE_LNK}" "${PACKAGE_DIR}/Datalnk" COMMAND_ERROR_IS_FATAL ANY)

file(REMOVE "${ZIP}")
execute_process(COMMAND "${PYTHON}" "${CMAKE_CURRENT_LIST_DIR}/zip_folder.py" "${PACKAGE_DIR}" "${ZIP}"
                COMMAND_ERROR_IS_FATAL ANY)
message(STATUS "package: ${PACKAGE_DIR} and ${ZIP}")
