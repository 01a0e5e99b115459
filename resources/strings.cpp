// The program's string table. Texts are UTF-8.
#include "platform/resources/string_table.h"

namespace {

const trelwin::StringTableEntry kStrings[] = {
    {103, "Error de inicialización de Windows Sockets."},
};

const trelwin::StringTableRegistration registration(kStrings);

}  // namespace
