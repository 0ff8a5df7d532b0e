# Copies the text file SOURCE to TARGET with every line ended by CR LF
# (whatever ended the lines of the source), the last one included.
file(READ "${SOURCE}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REGEX REPLACE "\n+$" "" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE "${TARGET}" "${text}\r\n")
