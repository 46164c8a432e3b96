# Fails unless CHM is a compiled help file that holds every topic page, the contents and the
# index. Names in a CHM's directory are stored uncompressed, so they can be found as bytes.
if(NOT EXISTS "${CHM}")
    message(FATAL_ERROR "${CHM} is missing")
endif()
file(READ "${CHM}" signature LIMIT 4 HEX)
if(NOT signature STREQUAL "49545346") # "ITSF"
    message(FATAL_ERROR "${CHM} does not start with ITSF: ${signature}")
endif()
file(STRINGS "${CHM}" names REGEX "\\.(html|hhc|hhk)")
string(JOIN "\n" names ${names})
foreach(entry IN LISTS TOPICS ITEMS tplhelp.hhc tplhelp.hhk)
    string(FIND "${names}" "/${entry}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "${CHM} holds no /${entry}")
    endif()
endforeach()
