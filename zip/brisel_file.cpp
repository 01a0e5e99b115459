#include "zip/brisel_file.h"

CBriselFile::CBriselFile()
{
}

CBriselFile::~CBriselFile()
{
}
