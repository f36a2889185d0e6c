# Turns a UTF-8 text with LF line ends into the Windows-1251 text with CR LF
# line ends that Notepad on a Russian system reads.
#   cmake -DIN=<utf-8 file> -DOUT=<ansi file> -P text_to_ansi.cmake
file(READ "${IN}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE "${OUT}.crlf" "${text}")
execute_process(COMMAND iconv -f UTF-8 -t CP1251 "${OUT}.crlf"
                OUTPUT_FILE "${OUT}" RESULT_VARIABLE result)
file(REMOVE "${OUT}.crlf")
if(NOT result EQUAL 0)
  file(REMOVE "${OUT}")
  message(FATAL_ERROR "${IN}: not convertible to Windows-1251")
endif()
